// The quorvia-reg command line: operations and switches in the manner of
// reg.exe. Switches start with '/' or '-' and ignore case.
#pragma once

#include "platform/registry/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::regtool {

enum class Operation { Help, Query, Add, Delete, Export, Import };

struct KeyName {
    HKEY root = HKEY_CURRENT_USER;
    std::string rootName; // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
    std::string path;     // below the root, normalised
    std::string Full() const { return path.empty() ? rootName : rootName + "\\" + path; }
};

struct Command {
    Operation op = Operation::Help;
    Operation helpFor = Operation::Help; // with Help: the operation asked about
    KeyName key;
    std::optional<std::string> valueName; // /v NAME; /ve gives ""
    bool allValues = false;               // /va
    bool recurse = false;                 // /s with query
    DWORD type = REG_SZ;                  // /t
    std::optional<std::string> data;      // /d
    char separator = '\0';                // /s with add; '\0' means the two characters \0
    bool force = false;                   // /f, or /y with export
    std::string file;
};

struct ParseResult {
    std::optional<Command> command;
    std::string error; // set when command is empty
};

// args excludes the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& args);
bool ParseKeyName(std::string_view text, KeyName& key, std::string& error);

std::optional<DWORD> TypeFromName(std::string_view name);
std::string TypeName(DWORD type);

// /d text to value data for the type; false with a message when it does not fit.
bool EncodeData(DWORD type, std::string_view text, char separator, std::vector<BYTE>& out,
                std::string& error);
// Value data as reg.exe shows it.
std::string FormatData(DWORD type, const std::vector<BYTE>& data);

std::string Usage(Operation op);

} // namespace qv::regtool
