#include "platform/registry/regfile.h"
#include "platform/registry/registry.h"
#include "temp_config.h"

#include <cstring>

namespace {

class DamagedFileTest : public TempConfigTest {
protected:
    std::string Query(const char* path, const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        DWORD size = 0;
        std::string out = "<missing>";
        if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
            out.assign(size, '\0');
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(out.data()),
                             &size);
            out.resize(strnlen(out.c_str(), size));
        }
        RegCloseKey(key);
        return out;
    }
    LSTATUS Set(const char* path, const char* name, const char* text) {
        HKEY key = nullptr;
        LSTATUS rc = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (rc != LSTATUS(ERROR_SUCCESS))
            return rc;
        rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            DWORD(std::strlen(text) + 1));
        RegCloseKey(key);
        return rc;
    }
};

TEST_F(DamagedFileTest, ReadsWhatIsIntactAndKeepsTheRest) {
    const std::string hugeText(5u << 20, 'x');
    const std::string garbage("\x01\x02\xFF\xFE\x00\x7F binary\x00junk", 18);
    const std::vector<std::string> damaged = {
        "\"trunc\"=\"no end quote",        garbage, "\"cut\"=hex:01,0g", "[Software\\Broken",
        "\"lost\"=\"under a broken key\"",
    };
    std::string file = "REGEDIT4\n\n[Software\\App]\n\"before\"=\"1\"\n" + damaged[0] + "\n" +
                       damaged[1] + "\n\"huge\"=\"" + hugeText + "\"\n" + damaged[2] + "\n" +
                       damaged[3] + "\n" + damaged[4] +
                       "\n[Software\\App\\Sub]\n\"after\"=\"2\"\n" + "\"half";
    WriteFile(UserReg(), file);

    EXPECT_EQ(Query("Software\\App", "before"), "1");
    EXPECT_EQ(Query("Software\\App", "huge").size(), hugeText.size());
    EXPECT_EQ(Query("Software\\App", "cut"), "<missing>");
    EXPECT_EQ(Query("Software\\App\\Sub", "after"), "2");
    EXPECT_EQ(Query("Software\\App", "lost"), "<missing>");
    EXPECT_EQ(Query("Software\\Broken", "lost"), "<no key>");

    ASSERT_EQ(Set("Software\\App", "new", "3"), LSTATUS(ERROR_SUCCESS));
    ASSERT_EQ(Set("Software\\App\\Sub", "after", "4"), LSTATUS(ERROR_SUCCESS));
    const std::string rewritten = ReadFile(UserReg());
    for (const auto& line : damaged)
        EXPECT_NE(rewritten.find(line + "\n"), std::string::npos) << "lost line: " << line;
    EXPECT_NE(rewritten.find("\"half\n"), std::string::npos);
    // Each kept line stays under its key, before the next key line.
    EXPECT_LT(rewritten.find(damaged[0]), rewritten.find("[Software\\App\\Sub]"));
    EXPECT_LT(rewritten.find("[Software\\App\\Sub]"), rewritten.find("\"half"));
    EXPECT_EQ(Query("Software\\App", "new"), "3");
    EXPECT_EQ(Query("Software\\App\\Sub", "after"), "4");
    EXPECT_EQ(Query("Software\\App", "huge").size(), hugeText.size());
}

TEST_F(DamagedFileTest, PureGarbageIsAnEmptyHiveThatKeepsItsBytes) {
    std::string noise;
    // Bytes of every kind except those that open a key or a value line.
    for (int i = 0; noise.size() < 4096; ++i) {
        char c = char((i * 131 + 17) & 0xFF);
        if (c != '[' && c != '"' && c != '@')
            noise += c;
    }
    WriteFile(UserReg(), noise);
    EXPECT_EQ(Query("Software\\App", "x"), "<no key>");
    ASSERT_EQ(Set("Software\\New", "v", "1"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(Query("Software\\New", "v"), "1");
    // Every line of the noise is still in the file.
    const std::string rewritten = ReadFile(UserReg());
    std::size_t start = 0;
    while (start < noise.size()) {
        std::size_t end = noise.find('\n', start);
        if (end == std::string::npos)
            end = noise.size();
        std::string line = noise.substr(start, end - start);
        if (line.find_first_not_of(" \t\r\f\v") != std::string::npos) {
            EXPECT_NE(rewritten.find(line), std::string::npos);
        }
        start = end + 1;
    }
}

TEST_F(DamagedFileTest, OversizedFileIsNeitherReadNorReplaced) {
    std::string file = "REGEDIT4\n[Software\\A]\n\"v\"=\"1\"\n";
    file.append(qv::platform::registry::kMaxRegFileSize, ';');
    WriteFile(UserReg(), file);
    EXPECT_EQ(Query("Software\\A", "v"), "<no key>");
    EXPECT_NE(Set("Software\\A", "w", "2"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(std::filesystem::file_size(UserReg()), file.size());
}

} // namespace
