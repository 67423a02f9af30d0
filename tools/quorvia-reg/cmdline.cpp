#include "cmdline.h"

#include "platform/registry/regfile.h"
#include "platform/text.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace qv::regtool {
namespace {

using text::EqualsIgnoreAsciiCase;

constexpr std::size_t kMaxKeyComponent = 255;

struct TypeInfo {
    DWORD type;
    const char* name;
};
constexpr TypeInfo kTypes[] = {
    {REG_SZ, "REG_SZ"},       {REG_MULTI_SZ, "REG_MULTI_SZ"}, {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_DWORD, "REG_DWORD"}, {REG_QWORD, "REG_QWORD"},       {REG_BINARY, "REG_BINARY"},
    {REG_NONE, "REG_NONE"},
};

// "/v", "-ve", "/?": a prefix and at most two letters, so "/tmp/x.reg" stays a file name.
bool IsSwitch(std::string_view arg) {
    if (arg.size() < 2 || arg.size() > 3 || (arg[0] != '/' && arg[0] != '-'))
        return false;
    if (arg == "/?" || arg == "-?")
        return true;
    for (char c : arg.substr(1))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

bool SwitchIs(std::string_view arg, std::string_view name) {
    return IsSwitch(arg) && EqualsIgnoreAsciiCase(arg.substr(1), name);
}

// "/?" as reg.exe has it, "--help" as a Linux user types it.
bool AsksForHelp(std::string_view arg) {
    return SwitchIs(arg, "?") || arg == "--help";
}

std::optional<Operation> OperationFrom(std::string_view word) {
    if (EqualsIgnoreAsciiCase(word, "query"))
        return Operation::Query;
    if (EqualsIgnoreAsciiCase(word, "add"))
        return Operation::Add;
    if (EqualsIgnoreAsciiCase(word, "delete"))
        return Operation::Delete;
    if (EqualsIgnoreAsciiCase(word, "export"))
        return Operation::Export;
    if (EqualsIgnoreAsciiCase(word, "import"))
        return Operation::Import;
    return std::nullopt;
}

// Parses an unsigned number in decimal or 0x hex, with an optional '-' for
// the signed range; the value's bits come back in out.
bool ParseNumber(std::string_view text, unsigned bits, std::uint64_t& out) {
    const std::uint64_t max =
        bits == 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t(1) << bits) - 1;
    bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    std::uint64_t value = 0;
    for (char c : text) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = unsigned(c - 'A' + 10);
        else
            return false;
        if (value > (max - d) / base)
            return false;
        value = value * base + d;
    }
    if (negative) {
        if (value > (max >> 1) + 1)
            return false;
        value = (0 - value) & max;
    }
    out = value;
    return true;
}

std::string Invalid(std::string_view detail, Operation op) {
    std::string message = "ERROR: Invalid syntax. ";
    message += detail;
    message += "\n";
    message += Usage(op);
    return message;
}

} // namespace

std::optional<DWORD> TypeFromName(std::string_view name) {
    for (const auto& t : kTypes)
        if (EqualsIgnoreAsciiCase(name, t.name))
            return t.type;
    return std::nullopt;
}

std::string TypeName(DWORD type) {
    for (const auto& t : kTypes)
        if (t.type == type)
            return t.name;
    switch (type) {
    case REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
        return "REG_LINK";
    default:
        break;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "REG_0x%x", unsigned(type));
    return buf;
}

bool ParseKeyName(std::string_view text, KeyName& key, std::string& error) {
    if (text.starts_with("\\\\")) {
        error = "ERROR: Remote registries are not supported.";
        return false;
    }
    std::string_view rootText = text.substr(0, text.find('\\'));
    std::string_view rest = rootText.size() < text.size() ? text.substr(rootText.size() + 1) : "";
    if (EqualsIgnoreAsciiCase(rootText, "HKCU") ||
        EqualsIgnoreAsciiCase(rootText, "HKEY_CURRENT_USER")) {
        key.root = HKEY_CURRENT_USER;
        key.rootName = "HKEY_CURRENT_USER";
    } else if (EqualsIgnoreAsciiCase(rootText, "HKLM") ||
               EqualsIgnoreAsciiCase(rootText, "HKEY_LOCAL_MACHINE")) {
        key.root = HKEY_LOCAL_MACHINE;
        key.rootName = "HKEY_LOCAL_MACHINE";
    } else {
        error = "ERROR: Invalid key name; it must start with HKCU, HKEY_CURRENT_USER, HKLM or "
                "HKEY_LOCAL_MACHINE.";
        return false;
    }
    for (const auto& part : platform::registry::SplitKeyPath(rest)) {
        if (part.size() > kMaxKeyComponent || part.find_first_of("\r\n") != std::string::npos) {
            error = "ERROR: Invalid key name; a key name is at most 255 characters on one line.";
            return false;
        }
    }
    key.path = platform::registry::NormalizeKeyPath(rest);
    return true;
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    ParseResult result;
    Command cmd;
    if (args.empty() || AsksForHelp(args[0]) || EqualsIgnoreAsciiCase(args[0], "help")) {
        result.command = cmd;
        return result;
    }
    auto op = OperationFrom(args[0]);
    if (!op) {
        result.error = Invalid("Unknown operation \"" + args[0] + "\".", Operation::Help);
        return result;
    }
    cmd.op = *op;
    for (const auto& arg : args)
        if (AsksForHelp(arg)) {
            cmd.helpFor = cmd.op;
            cmd.op = Operation::Help;
            result.command = cmd;
            return result;
        }
    std::vector<std::string_view> positional;
    bool sawType = false, sawData = false, sawSeparator = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string_view arg = args[i];
        auto needValue = [&](std::string_view what) -> std::optional<std::string_view> {
            if (i + 1 >= args.size()) {
                result.error =
                    Invalid(std::string(arg) + " needs " + std::string(what) + ".", cmd.op);
                return std::nullopt;
            }
            return std::string_view(args[++i]);
        };
        if (!IsSwitch(arg)) {
            positional.push_back(arg);
            continue;
        }
        const bool valueSwitch =
            cmd.op == Operation::Query || cmd.op == Operation::Add || cmd.op == Operation::Delete;
        if (valueSwitch && (SwitchIs(arg, "v") || SwitchIs(arg, "ve") || SwitchIs(arg, "va"))) {
            if (cmd.valueName || cmd.allValues) {
                result.error = Invalid("Use only one of /v, /ve and /va.", cmd.op);
                return result;
            }
            if (SwitchIs(arg, "va")) {
                if (cmd.op != Operation::Delete) {
                    result.error = Invalid("/va belongs to delete.", cmd.op);
                    return result;
                }
                cmd.allValues = true;
            } else if (SwitchIs(arg, "ve")) {
                cmd.valueName = "";
            } else {
                auto name = needValue("a value name");
                if (!name)
                    return result;
                cmd.valueName = std::string(*name);
            }
        } else if (cmd.op == Operation::Query && SwitchIs(arg, "s") && !cmd.recurse) {
            cmd.recurse = true;
        } else if (cmd.op == Operation::Add && SwitchIs(arg, "t") && !sawType) {
            auto name = needValue("a type");
            if (!name)
                return result;
            auto type = TypeFromName(*name);
            if (!type) {
                result.error = Invalid("Unknown type \"" + std::string(*name) + "\".", cmd.op);
                return result;
            }
            cmd.type = *type;
            sawType = true;
        } else if (cmd.op == Operation::Add && SwitchIs(arg, "d") && !sawData) {
            auto data = needValue("the data");
            if (!data)
                return result;
            cmd.data = std::string(*data);
            sawData = true;
        } else if (cmd.op == Operation::Add && SwitchIs(arg, "s") && !sawSeparator) {
            auto sep = needValue("a separator character");
            if (!sep)
                return result;
            if (sep->size() != 1) {
                result.error = Invalid("The separator is a single character.", cmd.op);
                return result;
            }
            cmd.separator = (*sep)[0];
            sawSeparator = true;
        } else if ((cmd.op == Operation::Add || cmd.op == Operation::Delete) &&
                   SwitchIs(arg, "f") && !cmd.force) {
            cmd.force = true;
        } else if (cmd.op == Operation::Export && SwitchIs(arg, "y") && !cmd.force) {
            cmd.force = true;
        } else {
            result.error =
                Invalid("Unexpected or repeated switch \"" + std::string(arg) + "\".", cmd.op);
            return result;
        }
    }
    const std::size_t wanted = cmd.op == Operation::Export ? 2 : 1;
    if (positional.size() != wanted) {
        result.error = Invalid(
            positional.size() < wanted ? "Too few arguments." : "Too many arguments.", cmd.op);
        return result;
    }
    if (cmd.op == Operation::Import) {
        cmd.file = positional[0];
    } else {
        if (!ParseKeyName(positional[0], cmd.key, result.error))
            return result;
        if (cmd.op == Operation::Export)
            cmd.file = positional[1];
    }
    if (cmd.op == Operation::Add && cmd.data && !cmd.valueName) {
        result.error = Invalid("/d needs /v or /ve.", cmd.op);
        return result;
    }
    if (cmd.op == Operation::Add && sawSeparator && cmd.type != REG_MULTI_SZ) {
        result.error = Invalid("/s is for REG_MULTI_SZ.", cmd.op);
        return result;
    }
    if ((cmd.op == Operation::Export || cmd.op == Operation::Import) && cmd.file.empty()) {
        result.error = Invalid("The file name is empty.", cmd.op);
        return result;
    }
    result.command = std::move(cmd);
    return result;
}

bool EncodeData(DWORD type, std::string_view text, char separator, std::vector<BYTE>& out,
                std::string& error) {
    out.clear();
    switch (type) {
    case REG_DWORD:
    case REG_QWORD: {
        std::uint64_t v = 0;
        unsigned bits = type == REG_DWORD ? 32 : 64;
        if (!text.empty() && !ParseNumber(text, bits, v)) {
            error = "ERROR: Invalid " + TypeName(type) + " data \"" + std::string(text) +
                    "\"; give a decimal or 0x hexadecimal number.";
            return false;
        }
        for (unsigned i = 0; i < bits / 8; ++i)
            out.push_back(BYTE(v >> (8 * i)));
        return true;
    }
    case REG_BINARY: {
        if (text.size() % 2 != 0) {
            error = "ERROR: Invalid REG_BINARY data; give pairs of hexadecimal digits.";
            return false;
        }
        for (std::size_t i = 0; i < text.size(); i += 2) {
            std::uint64_t byte = 0;
            if (!ParseNumber("0x" + std::string(text.substr(i, 2)), 8, byte) || text[i] == '-') {
                error = "ERROR: Invalid REG_BINARY data; give pairs of hexadecimal digits.";
                return false;
            }
            out.push_back(BYTE(byte));
        }
        return true;
    }
    case REG_MULTI_SZ: {
        // Strings part at the separator, or at the two characters \0 by default.
        std::string_view rest = text;
        while (!rest.empty()) {
            std::size_t at = separator ? rest.find(separator) : rest.find("\\0");
            std::size_t skip = separator ? 1 : 2;
            std::string_view item = rest.substr(0, at);
            out.insert(out.end(), item.begin(), item.end());
            out.push_back(0);
            if (at == std::string_view::npos)
                break;
            rest.remove_prefix(at + skip);
        }
        out.push_back(0);
        return true;
    }
    default:
        out.assign(text.begin(), text.end());
        out.push_back(0);
        return true;
    }
}

std::string FormatData(DWORD type, const std::vector<BYTE>& data) {
    const char* chars = reinterpret_cast<const char*>(data.data());
    char buf[32];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(chars, strnlen(chars, data.size()));
    case REG_DWORD:
        if (data.size() != 4)
            break;
        std::snprintf(buf, sizeof buf, "0x%x",
                      unsigned(data[0] | data[1] << 8 | data[2] << 16 | DWORD(data[3]) << 24));
        return buf;
    case REG_QWORD: {
        if (data.size() != 8)
            break;
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i)
            v = v << 8 | data[std::size_t(i)];
        std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
        return buf;
    }
    case REG_MULTI_SZ: {
        std::string out;
        std::size_t start = 0;
        while (start < data.size() && data[start] != 0) {
            std::size_t end = start;
            while (end < data.size() && data[end] != 0)
                ++end;
            if (!out.empty())
                out += "\\0";
            out.append(chars + start, end - start);
            start = end + 1;
        }
        return out;
    }
    default:
        break;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (BYTE b : data) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::string Usage(Operation op) {
    switch (op) {
    case Operation::Query:
        return "Usage: quorvia-reg query KEY [/v NAME | /ve] [/s]";
    case Operation::Add:
        return "Usage: quorvia-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] "
               "[/f]\n"
               "TYPE: REG_SZ, REG_MULTI_SZ, REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_BINARY, "
               "REG_NONE";
    case Operation::Delete:
        return "Usage: quorvia-reg delete KEY [/v NAME | /ve | /va] [/f]";
    case Operation::Export:
        return "Usage: quorvia-reg export KEY FILE [/y]";
    case Operation::Import:
        return "Usage: quorvia-reg import FILE";
    case Operation::Help:
        break;
    }
    return "Usage: quorvia-reg OPERATION [ARGUMENTS]\n"
           "OPERATION: query, add, delete, export, import; \"quorvia-reg OPERATION /?\" (or "
           "--help) for details.\n"
           "KEY starts with HKCU, HKEY_CURRENT_USER, HKLM or HKEY_LOCAL_MACHINE.";
}

} // namespace qv::regtool
