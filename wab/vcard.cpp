#include "vcard.h"

#include <cstdint>
#include <optional>

namespace qv::vcard {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}
std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = UpperAscii(c);
    return out;
}
bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}
std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}
bool IsFold(char c) {
    return c == ' ' || c == '\t';
}
int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not one.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80)
        return 1;
    std::size_t len;
    std::uint32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and anything past U+10FFFF.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

// Windows-1252's 0x80-0x9F; the five holes keep their Latin-1 code points.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string FromCp1252(std::string_view in) {
    std::string out;
    out.reserve(in.size() + in.size() / 4);
    for (char ch : in) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0)
            AppendUtf8(out, 0xFFFD);
        else if (b >= 0x80 && b < 0xA0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

// UTF-16 as UTF-8; NULs, unpaired surrogates and an odd last byte become U+FFFD.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? std::uint32_t(first << 8 | second) : std::uint32_t(second << 8 | first);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u == 0 || (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    if (i < bytes.size())
        AppendUtf8(out, 0xFFFD);
    return out;
}

// The byte order of UTF-16 bytes: a byte-order mark (removed), the charset's
// name, or else where the zero bytes of mostly Latin text fall.
bool Utf16IsBigEndian(std::string_view& bytes, std::string_view charset) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool big = bytes[0] == '\xFE';
        bytes.remove_prefix(2);
        return big;
    }
    if (IEquals(charset, "utf-16le"))
        return false;
    if (IEquals(charset, "utf-16be"))
        return true;
    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        (i % 2 ? oddZeros : evenZeros) += bytes[i] == '\0';
    return evenZeros >= oddZeros; // without a mark UTF-16 is big-endian
}

bool IsUtf16Charset(std::string_view cs) {
    for (std::string_view name : {"utf-16", "utf-16le", "utf-16be", "utf16", "ucs-2", "unicode"})
        if (IEquals(cs, name))
            return true;
    return false;
}

bool IsLatinCharset(std::string_view cs) {
    for (std::string_view name : {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "latin-1",
                                  "l1", "windows-1252", "cp1252", "iso-8859-15", "latin-9"})
        if (IEquals(cs, name))
            return true;
    return false;
}

// Physical lines at LF, CRLF or a lone CR.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string_view NextPhysical() {
        const std::size_t end = text_.find_first_of("\r\n", pos_);
        std::string_view line;
        if (end == std::string_view::npos) {
            line = text_.substr(pos_);
            pos_ = text_.size();
            return line;
        }
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n')
            ++pos_;
        return line;
    }
    bool NextStartsWithFold() const { return !AtEnd() && IsFold(text_[pos_]); }

    // One logical line: continuation lines lose their line break and the one
    // space or tab that marks them. Past `limit` bytes the rest is consumed
    // but not kept; *cut tells.
    std::string NextLogical(std::size_t limit, bool* cut) {
        std::string_view first = NextPhysical();
        *cut = first.size() > limit;
        std::string line(first.substr(0, limit));
        while (NextStartsWithFold()) {
            std::string_view more = NextPhysical().substr(1);
            if (line.size() + more.size() > limit)
                *cut = true;
            else
                line += more;
        }
        return line;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

struct ContentLine {
    std::string group;
    std::string name;
    std::vector<Param> params;
    std::string value;
};

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

void AddParam(std::string_view token, std::vector<Param>& params) {
    token = Trim(token);
    if (token.empty())
        return;
    const std::size_t eq = token.find('=');
    if (eq == std::string_view::npos) {
        // 2.1 writes the value alone: "TEL;HOME;VOICE:", "NOTE;QUOTED-PRINTABLE:".
        const std::string upper = Upper(token);
        const bool encoding = upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" ||
                              upper == "7BIT" || upper == "B";
        params.push_back({encoding ? "ENCODING" : "TYPE", Lower(token)});
        return;
    }
    const std::string name = Upper(Trim(token.substr(0, eq)));
    std::string_view rest = token.substr(eq + 1);
    // Quotes only protect ';' and ':' (the line parser saw to them); they go.
    std::string current;
    auto flush = [&] {
        std::string_view v = Trim(current);
        if (!v.empty() || name != "TYPE")
            params.push_back({name, name == "TYPE" ? Lower(v) : std::string(v)});
        current.clear();
    };
    // TYPE lists split even inside quotes: 'TYPE="voice,home"' is two types.
    for (char c : rest) {
        if (c == '"')
            continue;
        if (c == ',' && name == "TYPE")
            flush();
        else
            current += c;
    }
    flush();
}

// [group "."] name *(";" param) ":" value. False for a line that is none.
bool ParseContentLine(std::string_view line, ContentLine& out) {
    std::size_t i = 0;
    while (i < line.size() && line[i] != ';' && line[i] != ':')
        ++i;
    if (i == line.size())
        return false;
    std::string_view head = Trim(line.substr(0, i));
    const std::size_t dot = head.rfind('.');
    std::string_view group =
        dot == std::string_view::npos ? std::string_view{} : head.substr(0, dot);
    std::string_view name = dot == std::string_view::npos ? head : head.substr(dot + 1);
    if (name.empty())
        return false;
    for (char c : name)
        if (!IsNameChar(c))
            return false;
    out.group = Lower(group);
    out.name = Upper(name);
    out.params.clear();
    while (line[i] == ';') {
        const std::size_t start = ++i;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ';' && line[i] != ':'))) {
            if (line[i] == '"')
                quoted = !quoted;
            ++i;
        }
        if (i == line.size())
            return false; // no value, or an unbalanced quote swallowed it
        AddParam(line.substr(start, i - start), out.params);
    }
    out.value = std::string(line.substr(i + 1));
    return true;
}

const Param* FindParam(const std::vector<Param>& params, std::string_view name) {
    for (const auto& p : params)
        if (p.name == name)
            return &p;
    return nullptr;
}

bool HasEncoding(const std::vector<Param>& params, std::string_view encoding) {
    for (const auto& p : params)
        if (p.name == "ENCODING" && IEquals(p.value, encoding))
            return true;
    return false;
}

} // namespace

bool Property::HasType(std::string_view type) const {
    for (const auto& p : params)
        if (p.name == "TYPE" && IEquals(p.value, type))
            return true;
    return false;
}

const Property* Card::Find(std::string_view name) const {
    for (const auto& p : properties)
        if (p.name == name)
            return &p;
    return nullptr;
}

bool IsValidUtf8(std::string_view in) {
    for (std::size_t i = 0; i < in.size();) {
        const std::size_t len = Utf8SequenceAt(in, i);
        if (len == 0 || in[i] == '\0')
            return false;
        i += len;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size();) {
        const std::size_t len = Utf8SequenceAt(in, i);
        if (len == 0 || in[i] == '\0') {
            AppendUtf8(out, 0xFFFD);
            ++i;
        } else {
            out.append(in.substr(i, len));
            i += len;
        }
    }
    return out;
}

std::string ToUtf8(std::string_view bytes, std::string_view charset) {
    charset = Trim(charset);
    if (IsUtf16Charset(charset)) {
        const bool big = Utf16IsBigEndian(bytes, charset);
        return FromUtf16(bytes, big);
    }
    if (IsLatinCharset(charset))
        return FromCp1252(bytes);
    if (charset.empty() && !IsValidUtf8(bytes))
        return FromCp1252(bytes);
    return SanitizeUtf8(bytes);
}

std::string DecodeQuotedPrintable(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && HexDigit(in[i + 1]) >= 0 &&
            HexDigit(in[i + 2]) >= 0) {
            out += char(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
            i += 2;
        } else {
            out += in[i]; // a stray '=' stays as written
        }
    }
    return out;
}

std::string UnescapeText(std::string_view raw, bool v21) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        const char next = raw[i + 1];
        if (next == ';' || next == ',' || next == '\\') {
            out += next;
            ++i;
        } else if (!v21 && (next == 'n' || next == 'N')) {
            out += '\n';
            ++i;
        } else {
            out += '\\'; // unknown escapes stay as written
        }
    }
    return out;
}

std::vector<std::string> SplitComponents(std::string_view raw, bool v21) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\') {
            ++i;
        } else if (raw[i] == ';') {
            parts.push_back(UnescapeText(raw.substr(start, i - start), v21));
            start = i + 1;
        }
    }
    parts.push_back(UnescapeText(raw.substr(start), v21));
    return parts;
}

std::vector<Card> ParseVCards(std::string_view text, std::size_t maxCards) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    // A UTF-16 file (with its byte-order mark) is read as the text it holds;
    // then only an encoded value's bytes still need a CHARSET.
    std::string decoded;
    const bool wide = text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
    if (wide) {
        decoded = ToUtf8(text, "utf-16");
        text = decoded;
    }
    std::vector<Card> cards;
    std::optional<Card> card;
    std::size_t cardBytes = 0;
    int nested = 0;         // depth inside a card embedded in AGENT
    bool agentOpen = false; // the last property was an empty AGENT:
    auto finish = [&] {
        if (card && !card->properties.empty() && cards.size() < maxCards)
            cards.push_back(std::move(*card));
        card.reset();
    };

    LineReader reader(text);
    ContentLine cl;
    while (!reader.AtEnd() && cards.size() < maxCards) {
        bool cut = false;
        std::string line = reader.NextLogical(kMaxCardBytes + 1, &cut);
        if (!ParseContentLine(line, cl))
            continue;
        const bool isBegin = cl.name == "BEGIN" && IEquals(Trim(cl.value), "VCARD");
        const bool isEnd = cl.name == "END" && IEquals(Trim(cl.value), "VCARD");
        if (isBegin) {
            if (card && (nested > 0 || agentOpen)) {
                ++nested;
                continue;
            }
            finish(); // a card without END ends here
            card.emplace();
            cardBytes = 0;
            agentOpen = false;
            continue;
        }
        if (isEnd) {
            if (nested > 0) {
                if (--nested == 0)
                    agentOpen = false;
            } else
                finish();
            continue;
        }
        if (!card || nested > 0)
            continue;
        cardBytes += line.size();

        const bool qp = HasEncoding(cl.params, "QUOTED-PRINTABLE");
        // 2.1 quoted-printable soft line breaks: a value ending in '=' goes on
        // in the next line, which carries no fold marker.
        while (qp && !cl.value.empty() && cl.value.back() == '=' && !reader.AtEnd() &&
               cardBytes <= kMaxCardBytes) {
            std::string_view more = reader.NextPhysical();
            cl.value.pop_back();
            cl.value += more;
            cardBytes += more.size();
        }
        if (cut || cardBytes > kMaxCardBytes) {
            card.reset(); // too big to be a contact; its END is ignored
            continue;
        }
        agentOpen = cl.name == "AGENT" && Trim(cl.value).empty();
        if (cl.name == "VERSION") {
            card->version = std::string(Trim(cl.value));
            continue;
        }
        // Photos, sounds and keys: nothing for a lookup by number or name.
        if (HasEncoding(cl.params, "B") || HasEncoding(cl.params, "BASE64"))
            continue;
        if (card->properties.size() >= kMaxProperties)
            continue;
        std::string bytes = qp ? DecodeQuotedPrintable(cl.value) : std::move(cl.value);
        const Param* charset = qp || !wide ? FindParam(cl.params, "CHARSET") : nullptr;
        Property prop;
        prop.group = std::move(cl.group);
        prop.name = std::move(cl.name);
        prop.params = std::move(cl.params);
        prop.value = ToUtf8(bytes, charset ? std::string_view(charset->value)
                                   : wide  ? "utf-8"
                                           : "");
        card->properties.push_back(std::move(prop));
    }
    finish(); // the text ended inside a card: keep what it had
    return cards;
}

} // namespace qv::vcard
