// Text at the boundaries: every narrow string is UTF-8; UTF-16 from resources
// and pages is converted here. Cutting to a byte limit never splits a sequence.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qv::text {

// Invalid UTF-16 (lone surrogates) becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view in);
// Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view in);
// Reads a little-endian UTF-16 unit sequence from raw bytes (unaligned safe).
std::u16string Utf16FromLittleEndian(const void* data, std::size_t units);

// The longest prefix of at most maxBytes bytes that ends on a character boundary.
std::string_view CutUtf8(std::string_view in, std::size_t maxBytes);
// Replaces invalid sequences with U+FFFD so the text can go anywhere UTF-8 is required.
std::string SanitizeUtf8(std::string_view in);

// ASCII-only case folding: names compare this way whatever the locale.
std::string AsciiLower(std::string_view in);
std::string AsciiUpper(std::string_view in);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// ASCII white space; kLineBlanks leaves out the line feed that ends a line.
inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
inline constexpr std::string_view kLineBlanks = " \t\r\v\f";
bool IsBlank(char c, std::string_view blanks);
// Without the characters of blanks at both ends (Trim) or at the end.
std::string_view Trim(std::string_view in, std::string_view blanks = kWhiteSpace);
std::string_view TrimRight(std::string_view in, std::string_view blanks = kWhiteSpace);
// 0 to 15 for a hexadecimal digit of either case, -1 for any other character.
int HexDigitValue(char c);

// A "%s" pattern filled without printf, since patterns come from resources
// and the command line: every "%s" becomes the argument, "%%" one "%", and
// any other "%" stays as it is.
std::string FormatText(std::string_view pattern, std::string_view argument);
// Same with several arguments: the n-th "%s" takes the n-th one, and the
// last one fills any further "%s".
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);

} // namespace qv::text
