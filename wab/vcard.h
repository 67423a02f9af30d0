// vCard 2.1, 3.0 and 4.0 reading: cards split into properties with their
// parameters, values decoded to UTF-8 (quoted-printable and charsets undone)
// but with their backslash escapes still in place, since structured values
// (N, ADR, ORG) split at unescaped semicolons first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv::vcard {

// Address books come from anywhere; these keep a hostile file from eating
// the process. A card beyond kMaxCardBytes is dropped whole (a photo of a
// few MB still fits); properties past kMaxProperties in a card are ignored.
inline constexpr std::size_t kMaxCardBytes = 4u << 20;
inline constexpr std::size_t kMaxProperties = 1000;
inline constexpr std::size_t kMaxCards = 200000;

struct Param {
    std::string name;  // upper case; a bare 2.1 parameter is TYPE or ENCODING
    std::string value; // one value: "TYPE=home,voice" gives two params
};

struct Property {
    std::string group; // "item1" of "item1.TEL", lower case
    std::string name;  // upper case
    std::vector<Param> params;
    std::string value; // valid UTF-8, escapes not yet undone

    // TYPE values compare without case.
    bool HasType(std::string_view type) const;
};

struct Card {
    std::string version; // as written; empty when the card has none
    std::vector<Property> properties;

    bool IsV21() const { return version == "2.1"; }
    // The first property of that name, or null.
    const Property* Find(std::string_view name) const;
};

// Every card of the text, in order; a text with a UTF-16 byte-order mark is
// read as UTF-16. Damage never fails the whole: lines that
// are no property are skipped, a card without END ends at the next BEGIN or
// at the end of the text, a card without any property is dropped.
std::vector<Card> ParseVCards(std::string_view text, std::size_t maxCards = kMaxCards);

// A text value with its escapes undone (2.1 knows only a few of them).
std::string UnescapeText(std::string_view raw, bool v21);
// The components of a structured value (split at unescaped ';'), unescaped.
std::vector<std::string> SplitComponents(std::string_view raw, bool v21);

std::string DecodeQuotedPrintable(std::string_view in);
// Bytes in the named charset as UTF-8. UTF-8 and unknown charsets keep their
// bytes with invalid sequences replaced; Latin-1, Windows-1252 and UTF-16
// (either byte order, with or without a byte-order mark) convert.
// With no charset at all, text that is not UTF-8 is taken as Windows-1252,
// which is what old 2.1 exports without CHARSET carry.
std::string ToUtf8(std::string_view bytes, std::string_view charset);
// Invalid sequences (and NULs, which would cut a C string) replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view in);
bool IsValidUtf8(std::string_view in);

} // namespace qv::vcard
