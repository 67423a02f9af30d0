// Private profile (.ini) files: sections of key=value lines. Lines that are
// not understood, comments and blank lines are kept verbatim on rewrite.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::platform::registry {

struct IniLine {
    enum class Kind { Section, Pair, Other };
    Kind kind = Kind::Other;
    std::string text; // the line as it stands in the file
    std::string name; // section name or key, trimmed
};

struct IniDocument {
    std::vector<IniLine> lines;
};

IniDocument ParseIni(std::string_view text);
std::string SerializeIni(const IniDocument& doc);

// Names compare ASCII case-insensitively; the first matching section and key count.
std::optional<std::string> IniGet(const IniDocument& doc, std::string_view section,
                                  std::string_view key);
std::vector<std::string> IniSections(const IniDocument& doc);
std::vector<std::string> IniKeys(const IniDocument& doc, std::string_view section);
// False when the names or the value cannot be written as one line each.
bool IniSet(IniDocument& doc, std::string_view section, std::string_view key,
            std::string_view value);
bool IniDeleteKey(IniDocument& doc, std::string_view section, std::string_view key);
bool IniDeleteSection(IniDocument& doc, std::string_view section);

} // namespace qv::platform::registry
