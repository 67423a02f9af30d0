#include "regtool.h"

#include "platform/module/lasterror.h"
#include "platform/registry/autostart.h"
#include "platform/registry/fileio.h"
#include "platform/registry/hives.h"
#include "platform/registry/regfile.h"
#include "platform/text.h"

#include <vector>

namespace qv::regtool {
namespace {

namespace reg = qv::platform::registry;

constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
constexpr const char* kDone = "The operation completed successfully.";
constexpr std::size_t kMaxNameBuffer = 16384;
constexpr int kMaxImportWarnings = 20;

// Opened key, closed on scope exit.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (handle)
            RegCloseKey(handle);
    }
    HKEY handle = nullptr;
};

// The file behind a key: the hive's, or the autostart folder for the Run key.
std::string FileOf(const KeyName& key) {
    if (key.root == HKEY_LOCAL_MACHINE)
        return reg::LocateHive(reg::Hive::LocalMachine).path;
    const std::string& path = key.path;
    const std::string_view run = reg::autostart::kRunKeyPath;
    if (path.size() >= run.size() &&
        qv::text::EqualsIgnoreAsciiCase(path.substr(0, run.size()), run))
        return reg::autostart::Folder();
    return reg::LocateHive(reg::Hive::CurrentUser).path;
}

// Every failure in words, with the file it concerns where that helps.
std::string ErrorText(LSTATUS rc, const KeyName& key) {
    std::string words;
    switch (DWORD(rc)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_KEY_DELETED:
        return kNotFound;
    case ERROR_INVALID_PARAMETER:
        return "ERROR: The name is not valid.";
    case ERROR_ACCESS_DENIED:
        words = "Access is denied: the file or its folder is read-only";
        break;
    case ERROR_BADDB:
        words = "The registry file is damaged or too large to read";
        break;
    case ERROR_CANTWRITE:
        words = "The registry file could not be written";
        break;
    case ERROR_BAD_FILE_TYPE:
        words = "The registry file is not a regular file (a pipe, device or folder)";
        break;
    case ERROR_LOCK_VIOLATION:
        words = "The registry file's lock could not be taken";
        break;
    default: {
        char* text = nullptr;
        const DWORD length =
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_ALLOCATE_BUFFER,
                           nullptr, DWORD(rc), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
        words = length > 0 ? std::string(text, length) : "Unexpected error " + std::to_string(rc);
        LocalFree(text);
        while (!words.empty() && (words.back() == '\n' || words.back() == '.'))
            words.pop_back();
        break;
    }
    }
    return "ERROR: " + words + ": " + FileOf(key);
}

int Fail(Console& console, const std::string& message) {
    console.err << message << "\n";
    return 1;
}

// true: go ahead. Without a terminal to ask, refuse rather than wait.
bool Confirmed(Console& console, const std::string& question, const char* forceSwitch) {
    auto answer = console.confirm ? console.confirm(question) : std::nullopt;
    if (!answer) {
        console.err << "ERROR: " << question << " Nobody to ask; use " << forceSwitch
                    << " to go ahead without a prompt.\n";
        return false;
    }
    if (!*answer)
        console.err << "The operation was cancelled.\n";
    return *answer;
}

// The end of an enumeration: rc stays ERROR_SUCCESS at its end, else tells
// why it stopped (a file that cannot be read).
bool Enumerated(LSTATUS status, LSTATUS& rc) {
    if (status != LSTATUS(ERROR_SUCCESS) && status != LSTATUS(ERROR_NO_MORE_ITEMS))
        rc = status;
    return status == LSTATUS(ERROR_SUCCESS);
}

std::vector<std::string> Subkeys(HKEY key, LSTATUS& rc) {
    std::vector<std::string> names;
    std::vector<char> name(kMaxNameBuffer);
    for (DWORD i = 0;; ++i) {
        DWORD size = static_cast<DWORD>(name.size());
        if (!Enumerated(
                RegEnumKeyExA(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr), rc))
            break;
        names.emplace_back(name.data(), size);
    }
    return names;
}

std::vector<reg::RegValue> Values(HKEY key, LSTATUS& rc) {
    std::vector<reg::RegValue> values;
    std::vector<char> name(kMaxNameBuffer);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD type = 0, dataSize = 0;
        if (!Enumerated(
                RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, nullptr, &dataSize),
                rc))
            break;
        reg::RegValue value{std::string(name.data(), nameSize), type, std::vector<BYTE>(dataSize)};
        nameSize = static_cast<DWORD>(name.size());
        if (RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, value.data.data(),
                          &dataSize) != ERROR_SUCCESS)
            continue; // changed under us; the next pass sees it
        value.data.resize(dataSize);
        values.push_back(std::move(value));
    }
    return values;
}

void PrintValue(Console& console, const reg::RegValue& value) {
    console.out << "    " << (value.name.empty() ? "(Default)" : value.name) << "    "
                << TypeName(value.type) << "    " << FormatData(value.type, value.data) << "\n";
}

LSTATUS OpenForReading(const Command& cmd, Key& key) {
    return RegOpenKeyExA(cmd.key.root, cmd.key.path.c_str(), 0, KEY_READ, &key.handle);
}

// The command's key and below it, depth first and without recursion (key
// paths may nest deeply). visit(full name, key, subkeys to descend into)
// returns false to stop; a key gone meanwhile is passed over.
template <class Visit> void WalkKeys(const Command& cmd, Visit visit) {
    std::vector<std::string> pending{cmd.key.path};
    while (!pending.empty()) {
        std::string path = std::move(pending.back());
        pending.pop_back();
        Key key;
        if (RegOpenKeyExA(cmd.key.root, path.c_str(), 0, KEY_READ, &key.handle) != ERROR_SUCCESS)
            continue;
        const std::string full = path.empty() ? cmd.key.rootName : cmd.key.rootName + "\\" + path;
        std::vector<std::string> subkeys;
        if (!visit(full, key.handle, subkeys))
            break;
        for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it)
            pending.push_back(path.empty() ? *it : path + "\\" + *it);
    }
}

int Query(const Command& cmd, Console& console) {
    reg::ReadSnapshot once;
    Key top;
    if (LSTATUS rc = OpenForReading(cmd, top); rc != LSTATUS(ERROR_SUCCESS))
        return Fail(console, ErrorText(rc, cmd.key));
    LSTATUS rc = ERROR_SUCCESS;
    if (cmd.valueName && !cmd.recurse) {
        for (const auto& value : Values(top.handle, rc)) {
            if (!qv::text::EqualsIgnoreAsciiCase(value.name, *cmd.valueName))
                continue;
            console.out << "\n" << cmd.key.Full() << "\n";
            PrintValue(console, value);
            console.out << "\n";
            return 0;
        }
        return Fail(console, rc != LSTATUS(ERROR_SUCCESS) ? ErrorText(rc, cmd.key) : kNotFound);
    }
    int matches = 0;
    bool failed = false;
    WalkKeys(cmd, [&](const std::string& full, HKEY key, std::vector<std::string>& descend) {
        auto values = Values(key, rc);
        if (cmd.valueName) {
            std::erase_if(values, [&](const auto& v) {
                return !qv::text::EqualsIgnoreAsciiCase(v.name, *cmd.valueName);
            });
            matches += static_cast<int>(values.size());
        }
        // A search shows only the keys where it found something.
        if (!cmd.valueName || !values.empty()) {
            console.out << "\n" << full << "\n";
            for (const auto& value : values)
                PrintValue(console, value);
        }
        auto subkeys = Subkeys(key, rc);
        if (rc != LSTATUS(ERROR_SUCCESS)) {
            failed = true;
            return false;
        }
        if (!cmd.recurse) {
            console.out << "\n";
            for (const auto& name : subkeys)
                console.out << full << "\\" << name << "\n";
            return false;
        }
        descend = std::move(subkeys);
        return true;
    });
    if (failed)
        return Fail(console, ErrorText(rc, cmd.key));
    if (cmd.valueName) {
        console.out << "\nEnd of search: " << matches << " match(es) found.\n";
        return matches > 0 ? 0 : 1;
    }
    return 0;
}

int Add(const Command& cmd, Console& console) {
    std::vector<BYTE> data;
    std::string error;
    if (cmd.valueName && !EncodeData(cmd.type, cmd.data.value_or(""), cmd.separator, data, error))
        return Fail(console, error);
    Key key;
    if (LSTATUS rc =
            RegCreateKeyExA(cmd.key.root, cmd.key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key.handle, nullptr);
        rc != LSTATUS(ERROR_SUCCESS))
        return Fail(console, ErrorText(rc, cmd.key));
    if (cmd.valueName) {
        const std::string shown = cmd.valueName->empty() ? "(Default)" : *cmd.valueName;
        bool exists = RegQueryValueExA(key.handle, cmd.valueName->c_str(), nullptr, nullptr,
                                       nullptr, nullptr) == ERROR_SUCCESS;
        if (exists && !cmd.force &&
            !Confirmed(console, "Value " + shown + " exists, overwrite (Yes/No)?", "/f"))
            return 1;
        if (LSTATUS rc = RegSetValueExA(key.handle, cmd.valueName->c_str(), 0, cmd.type,
                                        data.data(), static_cast<DWORD>(data.size()));
            rc != LSTATUS(ERROR_SUCCESS))
            return Fail(console, ErrorText(rc, cmd.key));
    }
    console.out << kDone << "\n";
    return 0;
}

int Delete(const Command& cmd, Console& console) {
    if (!cmd.valueName && !cmd.allValues) {
        if (cmd.key.path.empty())
            return Fail(console, "ERROR: A root key cannot be deleted.");
        Key probe;
        if (LSTATUS rc = OpenForReading(cmd, probe); rc != LSTATUS(ERROR_SUCCESS))
            return Fail(console, ErrorText(rc, cmd.key));
        if (!cmd.force &&
            !Confirmed(console,
                       "Permanently delete the registry key " + cmd.key.Full() + " (Yes/No)?",
                       "/f"))
            return 1;
        if (LSTATUS rc = RegDeleteTreeA(cmd.key.root, cmd.key.path.c_str());
            rc != LSTATUS(ERROR_SUCCESS))
            return Fail(console, ErrorText(rc, cmd.key));
        console.out << kDone << "\n";
        return 0;
    }
    Key key;
    if (LSTATUS rc =
            RegOpenKeyExA(cmd.key.root, cmd.key.path.c_str(), 0, KEY_ALL_ACCESS, &key.handle);
        rc != LSTATUS(ERROR_SUCCESS))
        return Fail(console, ErrorText(rc, cmd.key));
    if (cmd.allValues) {
        if (!cmd.force &&
            !Confirmed(console,
                       "Delete all values under the registry key " + cmd.key.Full() + " (Yes/No)?",
                       "/f"))
            return 1;
        LSTATUS rc = ERROR_SUCCESS;
        for (const auto& value : Values(key.handle, rc))
            if (rc = RegDeleteValueA(key.handle, value.name.c_str()); rc != LSTATUS(ERROR_SUCCESS))
                break;
        if (rc != LSTATUS(ERROR_SUCCESS))
            return Fail(console, ErrorText(rc, cmd.key));
        console.out << kDone << "\n";
        return 0;
    }
    const std::string shown = cmd.valueName->empty() ? "(Default)" : *cmd.valueName;
    if (RegQueryValueExA(key.handle, cmd.valueName->c_str(), nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
        return Fail(console, kNotFound);
    if (!cmd.force &&
        !Confirmed(console, "Delete the registry value " + shown + " (Yes/No)?", "/f"))
        return 1;
    if (LSTATUS rc = RegDeleteValueA(key.handle, cmd.valueName->c_str());
        rc != LSTATUS(ERROR_SUCCESS))
        return Fail(console, ErrorText(rc, cmd.key));
    console.out << kDone << "\n";
    return 0;
}

int Export(const Command& cmd, Console& console) {
    reg::ReadSnapshot once;
    Key top;
    if (LSTATUS rc = OpenForReading(cmd, top); rc != LSTATUS(ERROR_SUCCESS))
        return Fail(console, ErrorText(rc, cmd.key));
    if (reg::FileExists(cmd.file) && !cmd.force &&
        !Confirmed(console, "File " + cmd.file + " already exists. Overwrite (Yes/No)?", "/y"))
        return 1;
    reg::RegDocument doc;
    LSTATUS rc = ERROR_SUCCESS;
    WalkKeys(cmd, [&](const std::string& full, HKEY key, std::vector<std::string>& descend) {
        reg::RegSection section;
        section.path = full;
        for (auto& value : Values(key, rc)) {
            reg::RegEntry entry;
            entry.kind = reg::RegEntry::Kind::Value;
            entry.value = std::move(value);
            section.entries.push_back(std::move(entry));
        }
        doc.sections.push_back(std::move(section));
        descend = Subkeys(key, rc);
        return true;
    });
    if (rc != LSTATUS(ERROR_SUCCESS))
        return Fail(console, ErrorText(rc, cmd.key));
    if (!reg::ReplaceFileAtomically(cmd.file, reg::SerializeRegText(doc), 0600))
        return Fail(console, "ERROR: Cannot write " + cmd.file + ".");
    console.out << kDone << "\n";
    return 0;
}

bool IsComment(const std::string& raw) {
    auto start = raw.find_first_not_of(" \t");
    return start != std::string::npos && raw[start] == ';';
}

int Import(const Command& cmd, Console& console) {
    std::string text;
    switch (reg::ReadFileBounded(cmd.file, text, reg::kMaxRegFileSize)) {
    case reg::ReadStatus::Ok:
        break;
    case reg::ReadStatus::TooLarge:
        return Fail(console, "ERROR: " + cmd.file + " is too large.");
    case reg::ReadStatus::NotRegular:
        return Fail(console, "ERROR: " + cmd.file + " is not a regular file.");
    default:
        return Fail(console, "ERROR: Cannot read " + cmd.file + ".");
    }
    auto parsed = reg::ParseRegText(text);
    if (!parsed.hasHeader)
        return Fail(console,
                    "ERROR: " + cmd.file + " is not a registry file (no REGEDIT4 header).");
    int problems = 0;
    auto warn = [&](const std::string& message) {
        if (++problems <= kMaxImportWarnings)
            console.err << "WARNING: " << message << "\n";
    };
    for (const auto& entry : parsed.doc.preamble)
        if (!IsComment(entry.raw))
            warn("line outside any key skipped: " + entry.raw.substr(0, 80));
    for (const auto& section : parsed.doc.sections) {
        if (section.broken) {
            warn("key line without closing bracket; its lines are skipped: " +
                 section.path.substr(0, 80));
            continue;
        }
        const bool remove = section.path.starts_with("-");
        KeyName name;
        std::string error;
        if (!ParseKeyName(remove ? section.path.substr(1) : section.path, name, error)) {
            warn("[" + section.path + "] skipped: " + error);
            continue;
        }
        if (remove) {
            LSTATUS rc = name.path.empty() ? LSTATUS(ERROR_ACCESS_DENIED)
                                           : RegDeleteTreeA(name.root, name.path.c_str());
            if (rc != LSTATUS(ERROR_SUCCESS) && rc != LSTATUS(ERROR_FILE_NOT_FOUND))
                warn("[" + section.path + "] not deleted: " + ErrorText(rc, name));
            continue;
        }
        Key key;
        if (LSTATUS rc =
                RegCreateKeyExA(name.root, name.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key.handle, nullptr);
            rc != LSTATUS(ERROR_SUCCESS)) {
            warn("[" + section.path + "] skipped: " + ErrorText(rc, name));
            continue;
        }
        for (const auto& e : section.entries) {
            LSTATUS rc = ERROR_SUCCESS;
            if (e.kind == reg::RegEntry::Kind::Value)
                rc = RegSetValueExA(key.handle, e.value.name.c_str(), 0, e.value.type,
                                    e.value.data.data(), static_cast<DWORD>(e.value.data.size()));
            else if (e.kind == reg::RegEntry::Kind::Delete)
                rc = RegDeleteValueA(key.handle, e.value.name.c_str());
            else if (!IsComment(e.raw))
                warn("line in [" + section.path + "] skipped: " + e.raw.substr(0, 80));
            if (rc != LSTATUS(ERROR_SUCCESS) &&
                !(e.kind == reg::RegEntry::Kind::Delete && rc == LSTATUS(ERROR_FILE_NOT_FOUND)))
                warn("value \"" + e.value.name + "\" in [" + section.path +
                     "]: " + ErrorText(rc, name));
        }
    }
    if (problems > 0)
        return Fail(console, "ERROR: " + std::to_string(problems) + " part(s) of " + cmd.file +
                                 " could not be imported.");
    console.out << kDone << "\n";
    return 0;
}

} // namespace

int Run(const Command& command, Console& console) {
    switch (command.op) {
    case Operation::Help:
        console.out << Usage(command.helpFor) << "\n";
        return 0;
    case Operation::Query:
        return Query(command, console);
    case Operation::Add:
        return Add(command, console);
    case Operation::Delete:
        return Delete(command, console);
    case Operation::Export:
        return Export(command, console);
    case Operation::Import:
        return Import(command, console);
    }
    return 1;
}

} // namespace qv::regtool
