#include "platform/registry/profile.h"
#include "support/support.h"

namespace {

using namespace qv::test;

class ProfileTest : public ConfigHomeTest {
protected:
    std::string Get(const char* section, const char* key, const char* def = "dflt",
                    DWORD size = 256, const char* file = "test.ini") {
        std::vector<char> buf(size + 1, '#');
        DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), size, file);
        EXPECT_EQ(buf[n], '\0');
        return std::string(buf.data(), n);
    }
};

TEST_F(ProfileTest, BareNamesLiveBesideTheUserRegistry) {
    EXPECT_EQ(Get("Settings", "User"), "dflt");
    EXPECT_EQ(Get("Settings", "User", "trail   "), "trail") << "Windows trims the default";
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "User", "alice", "test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("settings", "Spaced", "  padded  ", "test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "Quoted", "\"q\"", "test.ini"));
    EXPECT_EQ(ReadFile(root_ + "/quorvia/test.ini").substr(0, 21), "[Settings]\nUser=alice");
    EXPECT_EQ(Get("SETTINGS", "user"), "alice");
    EXPECT_EQ(Get("Settings", "Spaced"), "  padded  ");
    EXPECT_EQ(Get("Settings", "Quoted"), "\"q\"");
    EXPECT_FALSE(WritePrivateProfileStringA("Settings", "Bad", "two\nlines", "test.ini"));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", "test.ini"));
}

TEST_F(ProfileTest, CutsOnCharacterBoundariesAndLists) {
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "ab\xC3\xA4", "test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k2", "v", "test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("T", "x", "y", "test.ini"));
    EXPECT_EQ(Get("S", "k", "", 4), "ab") << "never half a character";
    std::string keys = Get("S", nullptr, "", 256);
    EXPECT_EQ(keys, std::string("k\0k2\0", 5));
    std::string sections = Get(nullptr, nullptr, "", 256);
    EXPECT_EQ(sections, std::string("S\0T\0", 4));
    EXPECT_EQ(Get(nullptr, nullptr, "", 3).size(), 1u) << "a short list buffer gets size-2";

    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", nullptr, "test.ini"));
    EXPECT_EQ(Get("S", "k"), "dflt");
    EXPECT_EQ(Get("S", "k2"), "v");
    ASSERT_TRUE(WritePrivateProfileStringA("S", nullptr, nullptr, "test.ini"));
    EXPECT_EQ(Get("S", "k2"), "dflt");
    EXPECT_EQ(Get("T", "x"), "y");
}

TEST_F(ProfileTest, IntegersReadLikeWindows) {
    const char* file = "n.ini";
    WriteFile(root_ + "/quorvia/n.ini",
              "; kept comment\n[N]\nneg=-42\nhex=0x1F\nmixed=12abc\ntext=abc\nbig=99999999999\n"
              "quoted=\"7\"\ngarbage line\n");
    EXPECT_EQ(int(GetPrivateProfileIntA("N", "neg", 5, file)), -42);
    EXPECT_EQ(GetPrivateProfileIntA("N", "hex", 5, file), 31u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "mixed", 5, file), 12u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "text", 5, file), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "quoted", 5, file), 7u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "big", 5, file), UINT(99999999999ull & 0xFFFFFFFF));
    EXPECT_EQ(int(GetPrivateProfileIntA("N", "absent", -3, file)), -3);
    ASSERT_TRUE(WritePrivateProfileStringA("N", "new", "1", file));
    const std::string text = ReadFile(root_ + "/quorvia/n.ini");
    EXPECT_NE(text.find("; kept comment\n"), std::string::npos);
    EXPECT_NE(text.find("garbage line\n"), std::string::npos);
}

TEST_F(ProfileTest, PathsWithAFolderAreUsedAsTheyAre) {
    const std::string path = root_ + "/elsewhere.ini";
    ASSERT_TRUE(WritePrivateProfileStringA("A", "b", "c", path.c_str()));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(root_ + "/quorvia/elsewhere.ini"));
}

} // namespace
