#include "platform/registry/autostart.h"

#include "platform/registry/fileio.h"
#include "platform/registry/hives.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace qv::platform::registry::autostart {
namespace {

constexpr std::size_t kMaxDesktopFile = 1u << 20;
constexpr std::size_t kMaxEntries = 4096;
constexpr std::size_t kMaxStem = 200; // well under NAME_MAX with the suffix
constexpr int kMaxCollisions = 100;
constexpr std::string_view kSuffix = ".desktop";
constexpr std::string_view kValueNameKey = "X-Quorvia-Value-Name";

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

// Characters that force quoting of an Exec argument.
bool IsReserved(char c) {
    return std::strchr(" \t\n\"'\\><~|&;$*?#()`", c) != nullptr && c != 0;
}

std::string_view Trim(std::string_view s) {
    return text::Trim(s, " \t\r");
}

std::string EscapeString(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ': // spaces at either end would be trimmed away
            out += i == 0 || i + 1 == s.size() ? "\\s" : " ";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string UnescapeString(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 's':
            out += ' ';
            break;
        default:
            out += '\\';
            out += s[i];
        }
    }
    return out;
}

std::string StemOf(const std::string& fileName) {
    return fileName.substr(0, fileName.size() - kSuffix.size());
}

// Anything but a regular file (a FIFO named *.desktop) is no entry.
std::optional<Entry> LoadEntry(const std::string& folder, const std::string& fileName,
                               bool enabledOnly) {
    std::string text;
    std::string path = folder + "/" + fileName;
    if (ReadFileBounded(path, text, kMaxDesktopFile) != ReadStatus::Ok)
        return std::nullopt;
    auto desktop = ParseDesktopEntry(text);
    if (!desktop || desktop->type != "Application" || desktop->exec.empty())
        return std::nullopt;
    if (enabledOnly && !desktop->enabled)
        return std::nullopt;
    Entry entry;
    entry.name = desktop->hasValueName ? desktop->valueName : StemOf(fileName);
    entry.commandLine = ExecToCommandLine(desktop->exec);
    entry.file = std::move(path);
    return entry;
}

std::vector<std::string> DesktopFileNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* d = ::readdir(dir)) {
        std::string name = d->d_name;
        if (name.size() > kSuffix.size() && name.ends_with(kSuffix) && name[0] != '.')
            names.push_back(std::move(name));
        if (names.size() >= kMaxEntries)
            break;
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<Entry> FindIn(const std::string& folder, std::string_view name, bool enabledOnly) {
    for (const auto& fileName : DesktopFileNames(folder)) {
        auto entry = LoadEntry(folder, fileName, enabledOnly);
        if (entry && text::EqualsIgnoreAsciiCase(entry->name, name))
            return entry;
    }
    return std::nullopt;
}

FileLock LockFolder(bool exclusive) {
    // Shares the user hive's lock: the Run key belongs to that hive.
    std::string folder = UserRegistryFolder();
    if (exclusive)
        MakeDirectories(folder, 0700);
    return FileLock::Acquire(folder + "/user.reg.lock", exclusive, exclusive);
}

} // namespace

std::string Folder() {
    return ConfigHome() + "/autostart";
}

std::vector<Entry> List() {
    FileLock lock = LockFolder(false);
    std::vector<Entry> entries;
    std::string folder = Folder();
    for (const auto& fileName : DesktopFileNames(folder))
        if (auto entry = LoadEntry(folder, fileName, true))
            entries.push_back(std::move(*entry));
    return entries;
}

LONG Write(std::string_view name, std::string_view commandLine) {
    FileLock lock = LockFolder(true);
    std::string folder = Folder();
    if (!MakeDirectories(folder, 0700))
        return ERROR_CANTWRITE;
    std::string path;
    // An entry for the name, even a switched-off one, is rewritten in place.
    if (auto existing = FindIn(folder, name, false)) {
        path = existing->file;
    } else {
        std::string stem = SanitizeStem(name);
        path = folder + "/" + stem + std::string(kSuffix);
        // Whatever holds a name (another program's FIFO, a dangling link) keeps it.
        for (int n = 2; PathTaken(path); ++n) {
            if (n > kMaxCollisions)
                return ERROR_CANTWRITE;
            path = folder + "/" + stem + "-" + std::to_string(n) + std::string(kSuffix);
        }
    }
    return ReplaceFileAtomically(path, FormatDesktopEntry(name, commandLine), 0644)
               ? ERROR_SUCCESS
               : WriteError(errno);
}

LONG Remove(std::string_view name) {
    FileLock lock = LockFolder(true);
    auto entry = FindIn(Folder(), name, true);
    if (!entry)
        return ERROR_FILE_NOT_FOUND;
    return ::unlink(entry->file.c_str()) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < line.size() && IsSpace(line[i]))
        ++i;
    if (i == line.size())
        return args;
    // The program: quotes only group, backslashes are path separators.
    std::string program;
    if (line[i] == '"') {
        std::size_t close = line.find('"', i + 1);
        std::size_t end = close == std::string_view::npos ? line.size() : close;
        program = line.substr(i + 1, end - i - 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !IsSpace(line[i]))
            program += line[i++];
    }
    args.push_back(std::move(program));
    while (true) {
        while (i < line.size() && IsSpace(line[i]))
            ++i;
        if (i == line.size())
            break;
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsSpace(line[i]))) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) {
                    arg += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < line.size() && (quoted || !IsSpace(line[i])))
                    arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string JoinCommandLine(const std::vector<std::string>& args) {
    std::string out;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (k > 0)
            out += ' ';
        bool needsQuotes = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        // The program takes no escapes: quotes only group it. One that holds a
        // quote but no blank goes as it is (it cannot start with one).
        if (k == 0 && arg.find('"') == std::string::npos) {
            out += needsQuotes ? '"' + arg + '"' : arg;
            continue;
        }
        if (k == 0 && !needsQuotes && arg[0] != '"') {
            out += arg;
            continue;
        }
        if (!needsQuotes && arg.find('"') == std::string::npos) {
            out += arg;
            continue;
        }
        out += '"';
        std::size_t slashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++slashes;
                continue;
            }
            if (c == '"')
                out.append(slashes * 2 + 1, '\\');
            else
                out.append(slashes, '\\');
            slashes = 0;
            out += c;
        }
        out.append(slashes * 2, '\\'); // before the closing quote
        out += '"';
    }
    return out;
}

std::string JoinExec(const std::vector<std::string>& args) {
    std::string exec;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (k > 0)
            exec += ' ';
        bool quote = arg.empty() || std::any_of(arg.begin(), arg.end(), IsReserved);
        if (quote)
            exec += '"';
        for (char c : arg) {
            if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
                exec += '\\';
            if (c == '%')
                exec += '%';
            exec += c;
        }
        if (quote)
            exec += '"';
    }
    return EscapeString(exec);
}

std::vector<std::string> SplitExec(std::string_view escaped) {
    const std::string exec = UnescapeString(escaped);
    std::vector<std::string> args;
    std::size_t i = 0;
    while (true) {
        while (i < exec.size() && IsSpace(exec[i]))
            ++i;
        if (i == exec.size())
            break;
        std::string arg;
        bool quoted = false, hadQuotes = false, hadFieldCode = false;
        for (; i < exec.size() && (quoted || !IsSpace(exec[i])); ++i) {
            char c = exec[i];
            if (c == '"') {
                quoted = !quoted;
                hadQuotes = true;
            } else if (quoted && c == '\\' && i + 1 < exec.size() &&
                       std::strchr("\"`$\\", exec[i + 1]) && exec[i + 1] != 0) {
                arg += exec[++i];
            } else if (c == '%' && i + 1 < exec.size()) {
                char code = exec[++i];
                if (code == '%')
                    arg += '%';
                else if (std::strchr("fFuUdDnNickvm", code) && code != 0)
                    hadFieldCode = true; // filled in by launchers; nothing to pass on here
                else {
                    arg += '%';
                    arg += code;
                }
            } else {
                arg += c;
            }
        }
        if (!arg.empty() || (hadQuotes && !hadFieldCode))
            args.push_back(std::move(arg));
    }
    return args;
}

std::string CommandLineToExec(std::string_view commandLine) {
    return JoinExec(SplitCommandLine(commandLine));
}

std::string ExecToCommandLine(std::string_view exec) {
    return JoinCommandLine(SplitExec(exec));
}

std::string SanitizeStem(std::string_view name) {
    std::string stem(text::CutUtf8(name, kMaxStem));
    for (char& c : stem)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    if (stem.empty() || stem[0] == '.')
        stem.insert(stem.begin(), '_');
    return stem;
}

std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text) {
    if (text.size() > kMaxDesktopFile)
        return std::nullopt;
    DesktopEntry entry;
    bool inGroup = false, sawGroup = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            sawGroup |= inGroup;
            continue;
        }
        auto eq = line.find('=');
        if (!inGroup || eq == std::string_view::npos)
            continue;
        std::string_view key = Trim(line.substr(0, eq));
        std::string value = UnescapeString(Trim(line.substr(eq + 1)));
        if (key == "Type")
            entry.type = value;
        else if (key == "Name")
            entry.name = value;
        else if (key == "Exec")
            entry.exec = std::string(Trim(line.substr(eq + 1))); // unescaped by SplitExec
        else if (key == kValueNameKey) {
            entry.valueName = value;
            entry.hasValueName = true;
        } else if ((key == "Hidden" && value == "true") ||
                   (key == "X-GNOME-Autostart-enabled" && value == "false"))
            entry.enabled = false;
    }
    if (!sawGroup)
        return std::nullopt;
    return entry;
}

std::string FormatDesktopEntry(std::string_view name, std::string_view commandLine) {
    std::string shown = name.empty() ? std::string("_") : EscapeString(name);
    std::string out = "[Desktop Entry]\nType=Application\n";
    out += "Name=" + shown + "\n";
    out += "Exec=" + CommandLineToExec(commandLine) + "\n";
    out += "X-GNOME-Autostart-enabled=true\n";
    // The file name may have been made safe; this keeps the value name exact.
    out += std::string(kValueNameKey) + "=" + EscapeString(name) + "\n";
    return out;
}

} // namespace qv::platform::registry::autostart
