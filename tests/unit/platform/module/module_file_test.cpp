#include "platform/module/lasterror.h"
#include "platform/module/module.h"
#include "support/support.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string MessageFor(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0x0400, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = n > 0 ? std::string(text, n) : std::string();
    LocalFree(text);
    return result;
}

} // namespace

TEST(ModuleFile, ExecutablePathAndTruncation) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(path), n);
    EXPECT_TRUE(std::filesystem::exists(path));

    char shortBuffer[4];
    EXPECT_EQ(GetModuleFileNameA(nullptr, shortBuffer, sizeof shortBuffer), 3u);
    EXPECT_EQ(shortBuffer[3], '\0');
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    qv::platform::SetModuleFileNameForTesting("/opt/x/a.b.exe");
    EXPECT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    EXPECT_STREQ(path, "/opt/x/a.b.exe");
    qv::platform::SetModuleFileNameForTesting("");
}

TEST(ModuleFile, FailedLoadsKeepTheLoadersTextWithTheirCode) {
    EXPECT_EQ(LoadLibraryA("/nonexistent/libnothing.so"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    const std::string text = MessageFor(ERROR_MOD_NOT_FOUND);
    EXPECT_NE(text.find("libnothing.so"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');

    // A later error of another kind drops the kept text.
    SetLastError(ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(MessageFor(ERROR_MOD_NOT_FOUND).find("libnothing.so"), std::string::npos);

    // A file that is no library is of a bad format.
    qv::test::TempDir folder;
    qv::test::WriteFile(folder / "not-a-library.so", "plain text");
    EXPECT_EQ(LoadLibraryA((folder / "not-a-library.so").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    EXPECT_FALSE(MessageFor(ERROR_BAD_EXE_FORMAT).empty());
}

TEST(ModuleFile, LibrariesLoadAndResolveSymbols) {
    HMODULE libc = LoadLibraryA("libc.so.6");
    ASSERT_NE(libc, nullptr);
    EXPECT_NE(GetProcAddress(libc, "strlen"), nullptr);
    EXPECT_EQ(GetProcAddress(libc, "no_such_function_here"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_NE(MessageFor(ERROR_PROC_NOT_FOUND).find("no_such_function_here"), std::string::npos);
    EXPECT_TRUE(FreeLibrary(libc));
}

TEST(ModuleFile, SystemTextsForGenericCodesOnly) {
    EXPECT_EQ(MessageFor(0x80070057u), "The parameter is incorrect.\n");
    EXPECT_FALSE(MessageFor(0x80004005u).empty());
    EXPECT_TRUE(MessageFor(0x8004010Fu).empty()); // address-book statuses have none
    EXPECT_TRUE(MessageFor(0x00040380u).empty());

    char small[4];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small,
                             sizeof small, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}
