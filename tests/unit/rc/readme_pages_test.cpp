// The readme pages (type 23): every page, style sheet and picture they name
// is in the program's resources, and the pages and pictures are well formed.
#include "../localized/test_support.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace qv::restest;

constexpr WORD kHtmlType = 23;
const std::vector<std::string> kPages = {"readme-en.htm", "readme-de.htm", "readme-fr.htm",
                                         "readme-nl.htm"};

// The bytes of a type-23 resource as the res:// handler finds them: by name,
// any case, the neutral request.
std::optional<std::string_view> Html(const std::string& name) {
    HMODULE module = RealModule();
    HRSRC found =
        FindResourceExA(module, MAKEINTRESOURCEA(kHtmlType), name.c_str(), 0 /* neutral */);
    if (!found)
        return std::nullopt;
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string_view(data, SizeofResource(module, found));
}

// Values of the named attributes ("href|src"), in order.
std::vector<std::string> Values(std::string_view page, const std::string& names) {
    const std::regex attribute(R"(\b(?:)" + names + R"re()\s*=\s*"([^"]*)")re", std::regex::icase);
    std::vector<std::string> values;
    const std::string text(page);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), attribute);
         it != std::sregex_iterator(); ++it)
        values.push_back((*it)[1]);
    return values;
}

// Width and height stated by <img> tags that give both, by file name.
std::multimap<std::string, std::pair<int, int>> ImageSizes(std::string_view page) {
    static const std::regex tag(R"re(<img\b[^>]*>)re", std::regex::icase);
    std::multimap<std::string, std::pair<int, int>> sizes;
    const std::string text(page);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), tag);
         it != std::sregex_iterator(); ++it) {
        const auto src = Values(it->str(), "src");
        const auto width = Values(it->str(), "width");
        const auto height = Values(it->str(), "height");
        if (!src.empty() && !width.empty() && !height.empty())
            sizes.emplace(src[0], std::make_pair(std::stoi(width[0]), std::stoi(height[0])));
    }
    return sizes;
}

int Byte(std::string_view data, std::size_t at) {
    return static_cast<unsigned char>(data[at]);
}

// Pixel size from a GIF's screen descriptor or a JPEG's frame header.
std::optional<std::pair<int, int>> PictureSize(const std::string& name, std::string_view data) {
    if (name.ends_with(".gif")) {
        if (data.size() < 10 || (data.substr(0, 6) != "GIF89a" && data.substr(0, 6) != "GIF87a"))
            return std::nullopt;
        return std::make_pair(Byte(data, 6) | Byte(data, 7) << 8, Byte(data, 8) | Byte(data, 9)
                                                                                      << 8);
    }
    if (name.ends_with(".jpg")) {
        if (data.size() < 4 || Byte(data, 0) != 0xFF || Byte(data, 1) != 0xD8)
            return std::nullopt;
        std::size_t at = 2;
        while (at + 9 <= data.size() && Byte(data, at) == 0xFF) {
            const int marker = Byte(data, at + 1);
            const std::size_t length = Byte(data, at + 2) << 8 | Byte(data, at + 3);
            // SOF0..SOF15, except DHT (C4), JPG (C8) and DAC (CC).
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                marker != 0xCC)
                return std::make_pair(Byte(data, at + 7) << 8 | Byte(data, at + 8),
                                      Byte(data, at + 5) << 8 | Byte(data, at + 6));
            at += 2 + length;
        }
    }
    return std::nullopt;
}

std::string WithoutFragment(const std::string& link) {
    return link.substr(0, link.find('#'));
}

class ReadmePagesTest : public ::testing::Test {
protected:
    ScopedResources resources_{RealModule()};
};

TEST_F(ReadmePagesTest, EveryPageIsUtf8Html) {
    for (const std::string& name : kPages) {
        SCOPED_TRACE(name);
        const auto page = Html(name);
        ASSERT_TRUE(page.has_value());
        EXPECT_EQ(qv::text::SanitizeUtf8(*page), *page) << "not UTF-8";
        EXPECT_NE(page->find("<meta charset=\"utf-8\">"), std::string_view::npos);
        EXPECT_NE(page->find("Quorvia Browser"), std::string_view::npos);
        EXPECT_NE(page->find("</html>"), std::string_view::npos) << "cut short";
    }
}

// Every link names a resource or an anchor on its page; each page links to
// the other languages and the style sheet, and all of it stays small.
TEST_F(ReadmePagesTest, EveryLinkNamesAResourceOrAnAnchorOnThePage) {
    std::set<std::string> files(kPages.begin(), kPages.end());
    for (const std::string& name : kPages) {
        SCOPED_TRACE(name);
        const auto page = Html(name);
        ASSERT_TRUE(page.has_value());
        const auto ids = Values(*page, "id");
        const std::vector<std::string> links = Values(*page, "href|src");
        EXPECT_GT(links.size(), 10u);
        for (const std::string& link : links) {
            if (!link.empty() && link[0] == '#') {
                EXPECT_NE(std::find(ids.begin(), ids.end(), link.substr(1)), ids.end())
                    << "no anchor for " << link;
                continue;
            }
            EXPECT_EQ(link.find(':'), std::string::npos) << "leaves the program: " << link;
            const std::string target = WithoutFragment(link);
            EXPECT_EQ(target.find('/'), std::string::npos) << "not a flat name: " << link;
            EXPECT_TRUE(Html(target).has_value()) << "broken link " << link;
            files.insert(target);
        }
        const std::set<std::string> targets(links.begin(), links.end());
        EXPECT_TRUE(targets.count("readme.css"));
        for (const std::string& other : kPages)
            EXPECT_EQ(targets.count(other), other == name ? 0u : 1u) << other;
    }
    std::size_t total = 0;
    for (const std::string& file : files)
        total += Html(file).value_or("").size();
    EXPECT_LT(total, 200u * 1024);
}

TEST_F(ReadmePagesTest, PicturesAreWellFormedAndOfTheSizeThePagesState) {
    std::set<std::string> seen;
    for (const std::string& name : kPages) {
        const auto page = Html(name);
        ASSERT_TRUE(page.has_value());
        for (const auto& [file, stated] : ImageSizes(*page)) {
            SCOPED_TRACE(name + ": " + file);
            const auto data = Html(file);
            ASSERT_TRUE(data.has_value());
            const auto size = PictureSize(file, *data);
            ASSERT_TRUE(size.has_value()) << "not a GIF or baseline JPEG";
            EXPECT_EQ(*size, stated);
            seen.insert(file);
        }
    }
    // The notification icon, the menu of each language and the display.
    for (const char* file : {"taskicon.gif", "menu-en.gif", "menu-de.gif", "menu-fr.gif",
                             "menu-nl.gif", "vphone.jpg", "top.gif"})
        EXPECT_TRUE(seen.count(file)) << file;
}

} // namespace
