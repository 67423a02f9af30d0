// Registry operations per second against a realistic user.reg: every call
// locks, re-reads and parses the file, so this is the cost the UI thread pays.
#include "platform/module/module.h"
#include "platform/registry/registry.h"
#include "regtool.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string>

namespace {

// A few dozen keys, as a desktop user's file grows to.
class UserFile {
public:
    UserFile() {
        char pattern[] = "/tmp/qv-bench-XXXXXX";
        root_ = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        std::filesystem::create_directories(root_ + "/quorvia");
        std::ofstream out(root_ + "/quorvia/user.reg");
        out << "REGEDIT4\n\n";
        for (int k = 0; k < 40; ++k) {
            out << "[Software\\Vendor" << k % 7 << "\\App" << k << "]\n";
            for (int v = 0; v < 6; ++v)
                out << "\"Value" << v << "\"=\"some text for value " << v << "\"\n";
            out << "\"Count\"=dword:" << std::hex << 1000 + k << std::dec << "\n\n";
        }
        out << "[software\\Belmar\\Quorvia]\n\"Adrs\"=\"192.168.0.240\"\n\"User\"=\"alice\"\n"
               "\"Pass\"=\"3a4dfea8\"\n\"Autolog\"=dword:00000001\n\"Timeout\"=dword:00000005\n"
               "\"XPosition\"=dword:00000040\n\"YPosition\"=dword:00000040\n";
        out.close();
        qv::platform::SetModuleFileNameForTesting("/opt/quorvia/bin/Quorvia");
        SetSettingsCompany("Belmar");
    }
    ~UserFile() { std::filesystem::remove_all(root_); }

private:
    std::string root_;
};

UserFile& File() {
    static UserFile file;
    return file;
}

void BM_GetSettingInt(benchmark::State& state) {
    File();
    for (auto _ : state)
        benchmark::DoNotOptimize(GetSettingInt(nullptr, "Timeout", 5));
}
BENCHMARK(BM_GetSettingInt);

void BM_GetSettingString(benchmark::State& state) {
    File();
    for (auto _ : state)
        benchmark::DoNotOptimize(GetSettingString(nullptr, "Adrs", ""));
}
BENCHMARK(BM_GetSettingString);

void BM_WriteSettingInt(benchmark::State& state) {
    File();
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteSettingInt(nullptr, "XPosition", i++));
}
BENCHMARK(BM_WriteSettingInt);

void BM_RegQueryValueExA(benchmark::State& state) {
    File();
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Vendor3\\App10", 0, KEY_READ, &key);
    char buf[256];
    for (auto _ : state) {
        DWORD size = sizeof buf, type = 0;
        benchmark::DoNotOptimize(
            RegQueryValueExA(key, "Value3", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size));
    }
    RegCloseKey(key);
}
BENCHMARK(BM_RegQueryValueExA);

// quorvia-reg query /s over a chain of keys 1,000 deep, as the shell
// command runs it: one read of the file for the whole walk.
void BM_QueryRecursiveDepth1000(benchmark::State& state) {
    File();
    HKEY key = nullptr;
    std::string path = "Software\\Deep";
    for (int depth = 0; depth < 1000; ++depth)
        path += "\\k" + std::to_string(depth);
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
    auto parsed = qv::regtool::ParseCommandLine({"query", "HKCU\\Software\\Deep", "/s"});
    std::ostringstream out, err;
    qv::regtool::Console console{out, err, nullptr};
    for (auto _ : state) {
        out.str({});
        benchmark::DoNotOptimize(qv::regtool::Run(*parsed.command, console));
    }
    state.counters["keys"] = 1001;
}
BENCHMARK(BM_QueryRecursiveDepth1000)->Unit(benchmark::kMillisecond);

} // namespace
