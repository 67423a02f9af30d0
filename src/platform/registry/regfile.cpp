#include "platform/registry/regfile.h"

#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace qv::platform::registry {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr DWORD kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;
// regedit wraps hex data near 80 columns; so do we, for readable diffs.
constexpr std::size_t kWrapColumn = 76;

// A line's blanks: its end is already cut off.
std::string_view Trim(std::string_view s) {
    return text::Trim(s, text::kLineBlanks);
}

std::string_view TrimRight(std::string_view s) {
    return text::TrimRight(s, text::kLineBlanks);
}

// Hexadecimal digits (eight at most) as a number; nullopt for anything else.
std::optional<DWORD> HexValue(std::string_view digits) {
    DWORD value = 0;
    for (char c : digits) {
        const int d = text::HexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<DWORD>(d);
    }
    return value;
}

// The next quote or backslash; a plain loop, as find_first_of calls memchr per byte.
std::size_t FindQuoteOrBackslash(std::string_view s, std::size_t pos) {
    for (; pos < s.size(); ++pos)
        if (s[pos] == '"' || s[pos] == '\\')
            return pos;
    return std::string_view::npos;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() &&
           text::EqualsIgnoreAsciiCase(s.substr(0, prefix.size()), prefix);
}

// Physical lines, split at '\n'. A CR stays part of its line: parsing trims it,
// and a line kept verbatim then comes back byte for byte.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Reads a quoted string at s[pos] == '"'. Only \\ and \" are escapes; any other
// backslash stays as it is. Returns nullopt when the closing quote is missing.
std::optional<std::string> ReadQuoted(std::string_view s, std::size_t& pos) {
    std::string out;
    ++pos;
    while (pos < s.size()) {
        // Whole runs at a time: a string value may be megabytes long.
        std::size_t stop = FindQuoteOrBackslash(s, pos);
        if (stop == std::string_view::npos)
            break;
        out.append(s.substr(pos, stop - pos));
        pos = stop;
        if (s[pos] == '"') {
            ++pos;
            return out;
        }
        if (pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            out += s[pos + 1];
            pos += 2;
        } else {
            out += '\\';
            ++pos;
        }
    }
    pos = s.size();
    return std::nullopt;
}

void SkipBlanks(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && text::IsBlank(s[pos], text::kLineBlanks))
        ++pos;
}

// The name and the start of the data of a value line; nullopt when the line
// is not a value line.
struct ValueHead {
    std::string name;
    std::size_t dataPos = 0;
};

std::optional<ValueHead> ReadValueHead(std::string_view line) {
    ValueHead head;
    std::size_t pos = 0;
    if (line.empty())
        return std::nullopt;
    if (line[0] == '@') {
        pos = 1;
    } else if (line[0] == '"') {
        auto name = ReadQuoted(line, pos);
        if (!name)
            return std::nullopt;
        head.name = std::move(*name);
    } else {
        return std::nullopt;
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    ++pos;
    SkipBlanks(line, pos);
    head.dataPos = pos;
    return head;
}

bool ParseHexBytes(std::string_view list, std::vector<BYTE>& out) {
    list = Trim(list);
    if (list.empty())
        return true;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = list.find(',', start);
        std::string_view token =
            Trim(list.substr(start, comma == std::string_view::npos ? list.npos : comma - start));
        if (token.empty())
            return comma == std::string_view::npos && start > 0; // a trailing comma only
        if (token.size() > 2)
            return false;
        const auto value = HexValue(token);
        if (!value)
            return false;
        out.push_back(static_cast<BYTE>(*value));
        if (comma == std::string_view::npos)
            return true;
        start = comma + 1;
    }
}

bool IsUtf16Type(DWORD type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Parses the data part of a value line (continuations already joined).
bool ParseData(std::string_view data, bool unicodeFile, RegEntry& entry) {
    data = Trim(data);
    RegValue& value = entry.value;
    if (data == "-") {
        entry.kind = RegEntry::Kind::Delete;
        return true;
    }
    entry.kind = RegEntry::Kind::Value;
    if (!data.empty() && data[0] == '"') {
        std::size_t pos = 0;
        auto text = ReadQuoted(data, pos);
        if (!text || pos != data.size())
            return false;
        value.type = kRegSz;
        value.data.assign(text->begin(), text->end());
        value.data.push_back(0);
        return true;
    }
    if (StartsWithNoCase(data, "dword:")) {
        std::string_view digits = data.substr(6);
        if (digits.empty() || digits.size() > 8)
            return false;
        const std::optional<DWORD> number = HexValue(digits);
        if (!number)
            return false;
        const DWORD v = *number;
        value.type = kRegDword;
        value.data = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
        return true;
    }
    if (!StartsWithNoCase(data, "hex"))
        return false;
    std::size_t pos = 3;
    DWORD type = kRegBinary;
    if (pos < data.size() && data[pos] == '(') {
        std::size_t close = data.find(')', pos);
        if (close == std::string_view::npos || close == pos + 1 || close - pos - 1 > 8)
            return false;
        const std::optional<DWORD> number = HexValue(data.substr(pos + 1, close - pos - 1));
        if (!number)
            return false;
        type = *number;
        pos = close + 1;
    }
    if (pos >= data.size() || data[pos] != ':')
        return false;
    value.type = type;
    if (!ParseHexBytes(data.substr(pos + 1), value.data))
        return false;
    if (unicodeFile && IsUtf16Type(type) && value.data.size() % 2 == 0) {
        std::string narrow = text::Utf16ToUtf8(
            text::Utf16FromLittleEndian(value.data.data(), value.data.size() / 2));
        value.data.assign(narrow.begin(), narrow.end());
    }
    return true;
}

// A line that may carry on a hex value: not blank and not the start of
// anything else, so a truncated value never swallows the next key or value.
bool IsContinuation(std::string_view line) {
    std::string_view t = Trim(line);
    return !t.empty() && t[0] != '[' && t[0] != '"' && t[0] != '@' && t[0] != ';';
}

bool EndsWithBackslash(std::string_view line) {
    std::string_view t = TrimRight(line);
    return !t.empty() && t.back() == '\\';
}

std::string EscapeQuoted(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out += '"';
    std::size_t pos = 0;
    while (true) {
        std::size_t stop = FindQuoteOrBackslash(s, pos);
        out.append(s.substr(pos, stop == std::string_view::npos ? s.npos : stop - pos));
        if (stop == std::string_view::npos)
            break;
        out += '\\';
        out += s[stop];
        pos = stop + 1;
    }
    out += '"';
    return out;
}

// A REG_SZ goes out as "text" only when reading that text back gives the same bytes.
bool IsPlainText(const std::vector<BYTE>& data) {
    if (data.empty() || data.back() != 0)
        return false;
    std::string_view s(reinterpret_cast<const char*>(data.data()), data.size() - 1);
    if (s.find('\0') != s.npos || s.find('\n') != s.npos)
        return false;
    return text::SanitizeUtf8(s) == s;
}

void AppendRaw(std::string& out, const std::string& raw) {
    out += raw;
    out += '\n';
    // A kept line ending in a backslash must not pull the next line into it.
    if (EndsWithBackslash(raw))
        out += '\n';
}

std::string_view ToUtf8File(std::string_view text, std::string& storage) {
    if (text.size() >= 2 && BYTE(text[0]) == 0xFF && BYTE(text[1]) == 0xFE) {
        storage =
            text::Utf16ToUtf8(text::Utf16FromLittleEndian(text.data() + 2, (text.size() - 2) / 2));
        return storage;
    }
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return text;
}

} // namespace

std::vector<std::string> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string NormalizeKeyPath(std::string_view path) {
    // Without a string per component: a recursive query normalises the
    // path of every key of a deep tree.
    std::string out;
    out.reserve(path.size());
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start) {
            if (!out.empty())
                out += '\\';
            out.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

RegParseResult ParseRegText(std::string_view input) {
    RegParseResult result;
    std::string storage;
    const std::string_view text = ToUtf8File(input, storage);
    const auto lines = SplitLines(text);
    std::size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty())
        ++i;
    bool unicodeFile = false;
    if (i < lines.size()) {
        std::string_view first = Trim(lines[i]);
        if (first == kHeader4 || first == kHeader5) {
            result.hasHeader = true;
            unicodeFile = first == kHeader5;
            ++i;
        }
    }
    RegDocument& doc = result.doc;
    RegSection* section = nullptr;
    for (; i < lines.size(); ++i) {
        std::string_view line = Trim(lines[i]);
        if (line.empty())
            continue;
        if (line[0] == '[') {
            RegSection next;
            next.broken = line.back() != ']' || line.size() < 2;
            next.path = next.broken ? std::string(lines[i])
                                    : NormalizeKeyPath(line.substr(1, line.size() - 2));
            doc.sections.push_back(std::move(next));
            section = &doc.sections.back();
            continue;
        }
        auto& entries = section ? section->entries : doc.preamble;
        RegEntry entry;
        auto head = ReadValueHead(line);
        std::size_t last = i;
        std::string joined;
        std::string_view logical = line;
        if (head && StartsWithNoCase(line.substr(head->dataPos), "hex")) {
            // Joined in place: a value of several MB has many thousand lines.
            joined = std::string(line);
            while (EndsWithBackslash(joined) && last + 1 < lines.size() &&
                   IsContinuation(lines[last + 1])) {
                joined.resize(TrimRight(joined).size() - 1);
                joined += Trim(lines[++last]);
            }
            if (EndsWithBackslash(joined)) // nothing followed: drop the dangling mark
                joined.resize(TrimRight(joined).size() - 1);
            logical = joined;
        }
        bool parsed = head && section && !section->broken;
        if (parsed) {
            entry.value.name = std::move(head->name);
            parsed = ParseData(logical.substr(head->dataPos), unicodeFile, entry);
        }
        if (!parsed) {
            entry = RegEntry{};
            entry.kind = RegEntry::Kind::Raw;
            for (std::size_t k = i; k <= last; ++k) {
                if (k > i)
                    entry.raw += '\n';
                entry.raw += lines[k];
            }
        }
        entries.push_back(std::move(entry));
        i = last;
    }
    return result;
}

std::string FormatRegValue(const RegValue& value) {
    std::string out = value.name.empty() ? std::string("@") : EscapeQuoted(value.name);
    out += '=';
    if (value.type == kRegSz && IsPlainText(value.data)) {
        out += EscapeQuoted(std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                             value.data.size() - 1));
        return out;
    }
    char buf[32];
    if (value.type == kRegDword && value.data.size() == 4) {
        const auto& d = value.data;
        std::snprintf(buf, sizeof buf, "dword:%08x",
                      unsigned(d[0] | (d[1] << 8) | (d[2] << 16) | (DWORD(d[3]) << 24)));
        return out + buf;
    }
    if (value.type == kRegBinary)
        std::snprintf(buf, sizeof buf, "hex:");
    else
        std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(value.type));
    out += buf;
    out.reserve(out.size() + value.data.size() * 3 + value.data.size() / 20 * 5);
    std::size_t column = out.size();
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t k = 0; k < value.data.size(); ++k) {
        out += kDigits[value.data[k] >> 4];
        out += kDigits[value.data[k] & 15];
        column += 2;
        if (k + 1 < value.data.size()) {
            out += ',';
            ++column;
            if (column >= kWrapColumn) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    return out;
}

namespace {

std::string SerializeSections(const RegDocument& doc, std::string_view rootName) {
    std::string out(kHeader4);
    out += "\n\n";
    for (const auto& entry : doc.preamble)
        AppendRaw(out, entry.raw);
    for (const auto& section : doc.sections) {
        if (section.broken) {
            AppendRaw(out, section.path);
        } else {
            out += '[';
            out += rootName;
            if (!rootName.empty() && !section.path.empty())
                out += '\\';
            out += section.path + "]\n";
        }
        for (const auto& entry : section.entries) {
            switch (entry.kind) {
            case RegEntry::Kind::Value:
                out += FormatRegValue(entry.value);
                out += '\n';
                break;
            case RegEntry::Kind::Delete:
                out +=
                    (entry.value.name.empty() ? std::string("@") : EscapeQuoted(entry.value.name));
                out += "=-\n";
                break;
            case RegEntry::Kind::Raw:
                AppendRaw(out, entry.raw);
                break;
            }
        }
        out += '\n';
    }
    return out;
}

} // namespace

std::string SerializeRegText(const RegDocument& doc) {
    return SerializeSections(doc, {});
}

std::string SerializeHiveText(const RegDocument& doc, std::string_view rootName) {
    return SerializeSections(doc, rootName);
}

RegDocument ParseHiveText(std::string_view text, std::string_view rootName) {
    RegDocument doc = ParseRegText(text).doc;
    for (auto& section : doc.sections) {
        if (section.broken)
            continue;
        const std::string_view path = section.path;
        const std::string_view first = path.substr(0, path.find('\\'));
        if (text::EqualsIgnoreAsciiCase(first, rootName))
            section.path.erase(0, std::min(path.size(), first.size() + 1));
        else if (StartsWithNoCase(first, "HKEY_")) {
            section.path = "[" + section.path + "]";
            section.broken = true;
        }
    }
    return doc;
}

} // namespace qv::platform::registry
