// The regedit text format: parsing to a document and writing it back.
//
// Files we write start with "REGEDIT4" and are UTF-8 throughout; hex(2),
// hex(7) and hex(1) data hold the narrow bytes exactly as they were set, so
// whatever the settings code stores comes back byte for byte. A file with the
// "Windows Registry Editor Version 5.00" header (what regedit exports) keeps
// those three types in UTF-16LE; they are converted to UTF-8 when read. A
// UTF-16LE file (with its byte-order mark) is converted as a whole first.
//
// Lines that do not parse are kept verbatim, in their place, so rewriting a
// damaged file never drops anything the parser did not understand.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv::platform::registry {

struct RegValue {
    std::string name; // empty: the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct RegEntry {
    enum class Kind {
        Value,  // a value line
        Delete, // "name"=- (meaningful to imports only)
        Raw,    // a line kept verbatim; several physical lines joined by '\n'
    };
    Kind kind = Kind::Raw;
    RegValue value; // Value; Delete uses the name only
    std::string raw;
};

struct RegSection {
    // Between the brackets, empty components dropped. A key line without its
    // closing bracket starts a broken section: path holds the line verbatim and
    // every line up to the next key line is kept raw, so its values are never
    // credited to the key above. A hive file's section of another root is
    // broken too: kept as it is, part of no key of this hive.
    std::string path;
    bool broken = false;
    std::vector<RegEntry> entries;
};

struct RegDocument {
    std::vector<RegEntry> preamble; // lines before the first key, always Raw
    std::vector<RegSection> sections;
};

// Files larger than this are refused rather than read.
inline constexpr std::size_t kMaxRegFileSize = 64u << 20;

struct RegParseResult {
    RegDocument doc;
    bool hasHeader = false;
};

RegParseResult ParseRegText(std::string_view text);
std::string SerializeRegText(const RegDocument& doc);

// A hive file is a regedit file of one root: its keys are written with the
// full root name ([HKEY_CURRENT_USER\Software\...]), so it imports as it
// is. Keys written relative to the hive ([Software\...]), as earlier
// versions wrote them, read as the same keys. Section paths of the document
// are relative to the hive.
RegDocument ParseHiveText(std::string_view text, std::string_view rootName);
std::string SerializeHiveText(const RegDocument& doc, std::string_view rootName);

// One value line ("name"=data) as written in a file.
std::string FormatRegValue(const RegValue& value);

// Key paths: components split at backslashes, empty ones dropped.
std::vector<std::string> SplitKeyPath(std::string_view path);
std::string NormalizeKeyPath(std::string_view path);

} // namespace qv::platform::registry
