#include "platform/registry/inifile.h"

#include "platform/text.h"

namespace qv::platform::registry {
namespace {

// A line's blanks: its end is already cut off.
std::string_view Trim(std::string_view s) {
    return text::Trim(s, text::kLineBlanks);
}

bool Same(std::string_view a, std::string_view b) {
    return text::EqualsIgnoreAsciiCase(a, b);
}

// The value part of a key line: trimmed, one pair of matching quotes removed.
std::string ValueOf(std::string_view line) {
    std::string_view v = Trim(line.substr(line.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

// Quotes a value that would not read back as itself.
std::string QuoteIfNeeded(std::string_view value) {
    bool edges = !value.empty() && (text::IsBlank(value.front(), text::kLineBlanks) ||
                                    text::IsBlank(value.back(), text::kLineBlanks));
    bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                  value.back() == value.front();
    if (edges || quoted)
        return '"' + std::string(value) + '"';
    return std::string(value);
}

// Index of the section's header line, or lines.size().
std::size_t FindSection(const IniDocument& doc, std::string_view section) {
    for (std::size_t i = 0; i < doc.lines.size(); ++i)
        if (doc.lines[i].kind == IniLine::Kind::Section && Same(doc.lines[i].name, section))
            return i;
    return doc.lines.size();
}

std::size_t SectionEnd(const IniDocument& doc, std::size_t header) {
    std::size_t i = header + 1;
    while (i < doc.lines.size() && doc.lines[i].kind != IniLine::Kind::Section)
        ++i;
    return i;
}

bool Writable(std::string_view s) {
    return s.find_first_of("\r\n") == std::string_view::npos;
}

} // namespace

IniDocument ParseIni(std::string_view text) {
    IniDocument doc;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        IniLine line;
        line.text = text.substr(start, end - start);
        start = end + 1;
        std::string_view t = Trim(line.text);
        if (!t.empty() && t[0] == '[') {
            // As on Windows, a missing closing bracket still opens the section.
            auto close = t.find(']');
            line.kind = IniLine::Kind::Section;
            line.name = Trim(t.substr(1, close == t.npos ? t.npos : close - 1));
        } else if (!t.empty() && t[0] != ';' && t[0] != '#' && t.find('=') != t.npos) {
            line.kind = IniLine::Kind::Pair;
            line.name = Trim(t.substr(0, t.find('=')));
        }
        doc.lines.push_back(std::move(line));
    }
    return doc;
}

std::string SerializeIni(const IniDocument& doc) {
    std::string out;
    for (const auto& line : doc.lines) {
        out += line.text;
        out += '\n';
    }
    return out;
}

std::optional<std::string> IniGet(const IniDocument& doc, std::string_view section,
                                  std::string_view key) {
    std::size_t header = FindSection(doc, section);
    if (header == doc.lines.size())
        return std::nullopt;
    for (std::size_t i = header + 1; i < SectionEnd(doc, header); ++i)
        if (doc.lines[i].kind == IniLine::Kind::Pair && Same(doc.lines[i].name, key))
            return ValueOf(doc.lines[i].text);
    return std::nullopt;
}

std::vector<std::string> IniSections(const IniDocument& doc) {
    std::vector<std::string> names;
    for (const auto& line : doc.lines)
        if (line.kind == IniLine::Kind::Section)
            names.push_back(line.name);
    return names;
}

std::vector<std::string> IniKeys(const IniDocument& doc, std::string_view section) {
    std::vector<std::string> keys;
    std::size_t header = FindSection(doc, section);
    if (header == doc.lines.size())
        return keys;
    for (std::size_t i = header + 1; i < SectionEnd(doc, header); ++i)
        if (doc.lines[i].kind == IniLine::Kind::Pair)
            keys.push_back(doc.lines[i].name);
    return keys;
}

bool IniSet(IniDocument& doc, std::string_view section, std::string_view key,
            std::string_view value) {
    std::string_view tkey = Trim(key);
    if (!Writable(section) || !Writable(key) || !Writable(value) || Trim(section) != section ||
        section.find(']') != section.npos || tkey.empty() || tkey != key ||
        key.find('=') != key.npos || key[0] == '[' || key[0] == ';' || key[0] == '#')
        return false;
    IniLine pair{IniLine::Kind::Pair, std::string(key) + "=" + QuoteIfNeeded(value),
                 std::string(key)};
    std::size_t header = FindSection(doc, section);
    if (header == doc.lines.size()) {
        doc.lines.push_back(
            {IniLine::Kind::Section, "[" + std::string(section) + "]", std::string(section)});
        doc.lines.push_back(std::move(pair));
        return true;
    }
    std::size_t end = SectionEnd(doc, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (doc.lines[i].kind == IniLine::Kind::Pair && Same(doc.lines[i].name, key)) {
            pair.name = doc.lines[i].name; // keeps the case it was first written with
            pair.text = pair.name + "=" + QuoteIfNeeded(value);
            doc.lines[i] = std::move(pair);
            return true;
        }
    }
    // After the section's last key, ahead of any blank lines that part it from the next.
    std::size_t pos = end;
    while (pos > header + 1 && Trim(doc.lines[pos - 1].text).empty())
        --pos;
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(pair));
    return true;
}

bool IniDeleteKey(IniDocument& doc, std::string_view section, std::string_view key) {
    std::size_t header = FindSection(doc, section);
    if (header == doc.lines.size())
        return false;
    for (std::size_t i = header + 1; i < SectionEnd(doc, header); ++i) {
        if (doc.lines[i].kind == IniLine::Kind::Pair && Same(doc.lines[i].name, key)) {
            doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

bool IniDeleteSection(IniDocument& doc, std::string_view section) {
    std::size_t header = FindSection(doc, section);
    if (header == doc.lines.size())
        return false;
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(header),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(doc, header)));
    return true;
}

} // namespace qv::platform::registry
