// What the test fixtures share: temporary folders, environment variables set
// for a scope, whole-file reads and writes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::test {

// A fresh folder below /tmp, removed with everything in it at the end.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "qv-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Sets (or, with nullopt, removes) one environment variable; the old value
// comes back at the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const std::optional<std::string>& value) const;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// The user's locale: LC_ALL, LC_MESSAGES, LANG and LANGUAGE (nullopt
// removes one) for one scope.
class ScopedLocale {
public:
    explicit ScopedLocale(const std::optional<std::string>& all,
                          const std::optional<std::string>& messages = std::nullopt,
                          const std::optional<std::string>& lang = std::nullopt,
                          const std::optional<std::string>& language = std::nullopt)
        : all_("LC_ALL", all), messages_("LC_MESSAGES", messages), lang_("LANG", lang),
          language_("LANGUAGE", language) {}

private:
    ScopedEnv all_, messages_, lang_, language_;
};

// The whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
std::vector<std::byte> ReadBytes(const std::string& path);
// Replaces the file, making its folders first.
void WriteFile(const std::string& path, const std::string& text);

// The text's bytes and a terminating zero, as a string value is stored.
std::vector<unsigned char> TerminatedBytes(std::string_view text);
// argv for main-like functions: pointers into args, then a null.
std::vector<char*> Argv(std::vector<std::string>& args);

// A private XDG_CONFIG_HOME (the settings store's folder) for each test.
class ConfigHomeTest : public ::testing::Test {
protected:
    std::string UserReg() const { return config_ / "quorvia/user.reg"; }

    TempDir config_{"qv-config"};
    const std::string root_ = config_.path();

private:
    ScopedEnv home_{"XDG_CONFIG_HOME", config_.path()};
};

} // namespace qv::test
