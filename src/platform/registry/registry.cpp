#include "platform/registry/registry.h"

#include "platform/registry/autostart.h"
#include "platform/registry/hives.h"
#include "platform/registry/keytree.h"
#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace {

using qv::platform::registry::Hive;
using qv::platform::registry::RegDocument;
using qv::platform::registry::RegValue;
namespace reg = qv::platform::registry;
namespace autostart = qv::platform::registry::autostart;

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::string_view kClassesPath = "Software\\Classes";

std::mutex g_handlesMutex;
std::unordered_set<HKEY> g_handles;

// A hive as read once, with the index that answers reads from it.
struct HiveView {
    explicit HiveView(RegDocument read) : doc(std::move(read)), index(doc) {}
    RegDocument doc;
    reg::KeyIndex index;
};

} // namespace

namespace qv::platform::registry {
struct ReadSnapshot::State {
    std::array<std::shared_ptr<const HiveView>, 3> hives;
    std::array<LSTATUS, 3> results{};
    std::optional<std::vector<autostart::Entry>> run;
};
} // namespace qv::platform::registry

namespace {

thread_local reg::ReadSnapshot::State* g_snapshot = nullptr;

LSTATUS ReadView(Hive hive, std::shared_ptr<const HiveView>& view) {
    const auto slot = static_cast<std::size_t>(hive);
    if (g_snapshot && g_snapshot->hives[slot]) {
        view = g_snapshot->hives[slot];
        return g_snapshot->results[slot];
    }
    RegDocument doc;
    const LSTATUS rc = reg::ReadHive(hive, doc);
    view = std::make_shared<const HiveView>(std::move(doc));
    if (g_snapshot) {
        g_snapshot->hives[slot] = view;
        g_snapshot->results[slot] = rc;
    }
    return rc;
}

std::vector<autostart::Entry> RunEntries() {
    if (!g_snapshot)
        return autostart::List();
    if (!g_snapshot->run)
        g_snapshot->run = autostart::List();
    return *g_snapshot->run;
}

// After a change, a snapshot reads afresh.
void Changed() {
    if (g_snapshot)
        *g_snapshot = {};
}

LSTATUS Update(Hive hive, const reg::HiveEdit& edit) {
    const LSTATUS rc = reg::UpdateHive(hive, edit);
    Changed();
    return rc;
}

struct KeyRef {
    Hive hive = Hive::CurrentUser;
    std::string path;
    REGSAM access = KEY_ALL_ACCESS;
};

bool IsPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS;
}

LSTATUS Resolve(HKEY key, KeyRef& ref) {
    if (IsPredefined(key)) {
        const auto low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
        ref = KeyRef{};
        switch (low) {
        case 0x80000000u:
            ref.path = kClassesPath;
            break;
        case 0x80000002u:
            ref.hive = Hive::LocalMachine;
            break;
        case 0x80000003u:
            ref.hive = Hive::Users;
            break;
        default:
            break;
        }
        return ERROR_SUCCESS;
    }
    std::lock_guard guard(g_handlesMutex);
    if (!key || !g_handles.contains(key))
        return ERROR_INVALID_HANDLE;
    ref.hive = static_cast<Hive>(key->hive);
    ref.path = key->path;
    ref.access = key->access;
    return ERROR_SUCCESS;
}

// The key, when its handle was opened with the right asked for.
LSTATUS ResolveFor(HKEY key, REGSAM right, KeyRef& ref) {
    if (LSTATUS rc = Resolve(key, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    return ref.access & right ? LSTATUS(ERROR_SUCCESS) : LSTATUS(ERROR_ACCESS_DENIED);
}

bool Same(std::string_view a, std::string_view b) {
    return qv::text::EqualsIgnoreAsciiCase(a, b);
}

bool IsRunKey(const KeyRef& ref) {
    return ref.hive == Hive::CurrentUser && Same(ref.path, autostart::kRunKeyPath);
}

// The Run key and the keys above it always exist, as on Windows.
bool IsRunOrAbove(const KeyRef& ref) {
    if (ref.hive != Hive::CurrentUser)
        return false;
    std::string_view run = autostart::kRunKeyPath;
    return ref.path.empty() ||
           (ref.path.size() <= run.size() && Same(run.substr(0, ref.path.size()), ref.path) &&
            (ref.path.size() == run.size() || run[ref.path.size()] == '\\'));
}

LSTATUS Descend(const KeyRef& parent, LPCSTR subKey, KeyRef& child) {
    child = parent;
    if (!subKey || !*subKey)
        return ERROR_SUCCESS;
    std::string_view rest = subKey;
    if (rest.find_first_of("\r\n") != std::string_view::npos)
        return ERROR_INVALID_PARAMETER;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        if (std::min(slash, rest.size()) > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    child.path = reg::NormalizeKeyPath(parent.path + "\\" + subKey);
    return ERROR_SUCCESS;
}

// The subkey of key named subKey (the key itself for none).
LSTATUS ResolveSubkey(HKEY key, LPCSTR subKey, KeyRef& ref) {
    KeyRef parent;
    if (LSTATUS rc = Resolve(key, parent); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    return Descend(parent, subKey, ref);
}

LSTATUS KeyExists(const KeyRef& ref, bool& exists) {
    if (IsRunOrAbove(ref) || ref.path.empty()) {
        exists = true;
        return ERROR_SUCCESS;
    }
    if (ref.hive == Hive::Users) {
        exists = false;
        return ERROR_SUCCESS;
    }
    std::shared_ptr<const HiveView> view;
    LSTATUS rc = ReadView(ref.hive, view);
    exists = rc == LSTATUS(ERROR_SUCCESS) && view->index.Exists(ref.path);
    return rc;
}

HKEY NewHandle(const KeyRef& ref, REGSAM access) {
    auto* key = new HKEY__{static_cast<int>(ref.hive), ref.path, access};
    std::lock_guard guard(g_handlesMutex);
    g_handles.insert(key);
    return key;
}

bool WantsWrite(REGSAM access) {
    return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

bool HiveWritable(Hive hive) {
    return hive != Hive::Users && reg::LocateHive(hive).writable;
}

// One value, read fresh: from the autostart folder for the Run key, else the hive.
LSTATUS LoadValue(const KeyRef& ref, LPCSTR name, RegValue& value) {
    std::string_view wanted = name ? name : "";
    if (IsRunKey(ref)) {
        for (auto& entry : RunEntries()) {
            if (!Same(entry.name, wanted))
                continue;
            value.name = entry.name;
            value.type = REG_SZ;
            value.data.assign(entry.commandLine.begin(), entry.commandLine.end());
            value.data.push_back(0);
            return ERROR_SUCCESS;
        }
        return ERROR_FILE_NOT_FOUND;
    }
    std::shared_ptr<const HiveView> view;
    if (LSTATUS rc = ReadView(ref.hive, view); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (!view->index.Exists(ref.path) && !IsRunOrAbove(ref))
        return ERROR_KEY_DELETED;
    const RegValue* found = view->index.Find(ref.path, wanted);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    value = *found;
    return ERROR_SUCCESS;
}

LSTATUS LoadValues(const KeyRef& ref, std::vector<RegValue>& values) {
    values.clear();
    if (IsRunKey(ref)) {
        for (auto& entry : RunEntries()) {
            RegValue value{entry.name, REG_SZ, {}};
            value.data.assign(entry.commandLine.begin(), entry.commandLine.end());
            value.data.push_back(0);
            values.push_back(std::move(value));
        }
        return ERROR_SUCCESS;
    }
    std::shared_ptr<const HiveView> view;
    if (LSTATUS rc = ReadView(ref.hive, view); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (!view->index.Exists(ref.path) && !IsRunOrAbove(ref))
        return ERROR_KEY_DELETED;
    for (const RegValue* v : view->index.Values(ref.path))
        values.push_back(*v);
    return ERROR_SUCCESS;
}

LSTATUS CopyOut(const std::vector<BYTE>& data, LPBYTE out, LPDWORD size) {
    if (!size)
        return out ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const auto needed = static_cast<DWORD>(data.size());
    if (out && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (out && !data.empty())
        std::memcpy(out, data.data(), data.size());
    *size = needed;
    return ERROR_SUCCESS;
}

// The key's subkeys in order; the path down to the Run key is there even
// before anything was written below it.
LSTATUS SubkeyNames(const KeyRef& ref, std::vector<std::string>& names) {
    if (ref.hive != Hive::Users) {
        std::shared_ptr<const HiveView> view;
        if (LSTATUS rc = ReadView(ref.hive, view); rc != LSTATUS(ERROR_SUCCESS))
            return rc;
        names = view->index.Subkeys(ref.path);
    }
    if (!IsRunOrAbove(ref) || IsRunKey(ref))
        return ERROR_SUCCESS;
    std::string_view rest =
        autostart::kRunKeyPath.substr(ref.path.empty() ? 0 : ref.path.size() + 1);
    std::string next(rest.substr(0, rest.find('\\')));
    if (std::none_of(names.begin(), names.end(), [&](const auto& n) { return Same(n, next); })) {
        names.push_back(next);
        std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
            return qv::text::AsciiLower(a) < qv::text::AsciiLower(b);
        });
    }
    return ERROR_SUCCESS;
}

LSTATUS GiveValue(const RegValue& value, LPDWORD type, LPBYTE out, LPDWORD size) {
    if (type)
        *type = value.type;
    return CopyOut(value.data, out, size);
}

// Copies a name with its terminator; the count comes back without it.
LSTATUS CopyName(const std::string& name, LPSTR out, LPDWORD count) {
    if (!out || !count)
        return ERROR_INVALID_PARAMETER;
    if (*count < name.size() + 1)
        return ERROR_MORE_DATA;
    std::memcpy(out, name.c_str(), name.size() + 1);
    *count = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

bool ValidValueName(std::string_view name) {
    return name.size() <= kMaxValueNameLength &&
           name.find_first_of("\r\n") == std::string_view::npos;
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, HKEY* phkResult) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    KeyRef ref;
    if (LSTATUS rc = ResolveSubkey(hKey, lpSubKey, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    bool exists = false;
    if (LSTATUS rc = KeyExists(ref, exists); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (!exists)
        return ERROR_FILE_NOT_FOUND;
    if (WantsWrite(samDesired) && !HiveWritable(ref.hive))
        return ERROR_ACCESS_DENIED;
    *phkResult = NewHandle(ref, samDesired);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD dwOptions,
                        REGSAM samDesired, LPSECURITY_ATTRIBUTES, HKEY* phkResult,
                        LPDWORD lpdwDisposition) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (dwOptions != REG_OPTION_NON_VOLATILE)
        return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    if (LSTATUS rc = ResolveSubkey(hKey, lpSubKey, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (!HiveWritable(ref.hive))
        return ERROR_ACCESS_DENIED;
    bool created = false;
    if (!IsRunOrAbove(ref)) {
        LSTATUS rc = Update(ref.hive, [&](RegDocument& doc, bool& changed) {
            created = changed = reg::CreateKey(doc, ref.path);
            return LSTATUS(ERROR_SUCCESS);
        });
        if (rc != LSTATUS(ERROR_SUCCESS))
            return rc;
    }
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = NewHandle(ref, samDesired);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
    KeyRef ref;
    if (LSTATUS rc = ResolveFor(hKey, KEY_QUERY_VALUE, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    RegValue value;
    if (LSTATUS rc = LoadValue(ref, lpValueName, value); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    return GiveValue(value, lpType, lpData, lpcbData);
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                       DWORD cbData) {
    KeyRef ref;
    if (LSTATUS rc = ResolveFor(hKey, KEY_SET_VALUE, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    std::string_view name = lpValueName ? lpValueName : "";
    if (!ValidValueName(name) || (!lpData && cbData > 0))
        return ERROR_INVALID_PARAMETER;
    if (!HiveWritable(ref.hive))
        return ERROR_ACCESS_DENIED;
    if (IsRunKey(ref)) {
        if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
            return ERROR_INVALID_PARAMETER;
        const char* text = reinterpret_cast<const char*>(lpData);
        std::string_view line(text, cbData);
        const LSTATUS rc = autostart::Write(name, line.substr(0, line.find('\0')));
        Changed();
        return rc;
    }
    RegValue value{std::string(name), dwType, {}};
    if (cbData > 0)
        value.data.assign(lpData, lpData + cbData);
    return Update(ref.hive, [&](RegDocument& doc, bool& changed) {
        if (!reg::KeyExists(doc, ref.path) && !IsRunOrAbove(ref))
            return LSTATUS(ERROR_KEY_DELETED);
        reg::SetValue(doc, ref.path, value);
        changed = true;
        return LSTATUS(ERROR_SUCCESS);
    });
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    KeyRef ref;
    if (LSTATUS rc = ResolveFor(hKey, KEY_SET_VALUE, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    std::string_view name = lpValueName ? lpValueName : "";
    if (IsRunKey(ref)) {
        const LSTATUS rc = autostart::Remove(name);
        Changed();
        return rc;
    }
    if (!HiveWritable(ref.hive))
        return ERROR_ACCESS_DENIED;
    return Update(ref.hive, [&](RegDocument& doc, bool& changed) {
        changed = reg::DeleteValue(doc, ref.path, name);
        return changed ? LSTATUS(ERROR_SUCCESS) : LSTATUS(ERROR_FILE_NOT_FOUND);
    });
}

LSTATUS RegCloseKey(HKEY hKey) {
    if (IsPredefined(hKey))
        return ERROR_SUCCESS; // predefined keys are never closed
    std::lock_guard guard(g_handlesMutex);
    if (!hKey || g_handles.erase(hKey) == 0)
        return ERROR_INVALID_HANDLE;
    delete hKey;
    return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD,
                      LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    KeyRef ref;
    if (LSTATUS rc = ResolveFor(hKey, KEY_ENUMERATE_SUB_KEYS, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    std::vector<std::string> names;
    if (LSTATUS rc = SubkeyNames(ref, names); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (dwIndex >= names.size())
        return ERROR_NO_MORE_ITEMS;
    if (LSTATUS rc = CopyName(names[dwIndex], lpName, lpcchName); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (lpClass && lpcchClass && *lpcchClass > 0) {
        lpClass[0] = '\0';
        *lpcchClass = 0;
    }
    if (lpftLastWriteTime)
        *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    KeyRef ref;
    if (LSTATUS rc = ResolveFor(hKey, KEY_QUERY_VALUE, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    std::vector<RegValue> values;
    if (ref.hive != Hive::Users)
        if (LSTATUS rc = LoadValues(ref, values); rc != LSTATUS(ERROR_SUCCESS))
            return rc;
    if (dwIndex >= values.size())
        return ERROR_NO_MORE_ITEMS;
    const RegValue& value = values[dwIndex];
    if (LSTATUS rc = CopyName(value.name, lpValueName, lpcchValueName);
        rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    return GiveValue(value, lpType, lpData, lpcbData);
}

LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    KeyRef ref;
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    if (LSTATUS rc = ResolveSubkey(hKey, lpSubKey, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    if (ref.path.empty() || IsRunOrAbove(ref) || !HiveWritable(ref.hive))
        return ERROR_ACCESS_DENIED;
    return Update(ref.hive, [&](RegDocument& doc, bool& changed) {
        if (!reg::KeyExists(doc, ref.path))
            return LSTATUS(ERROR_FILE_NOT_FOUND);
        if (reg::HasSubkeys(doc, ref.path))
            return LSTATUS(ERROR_ACCESS_DENIED);
        changed = reg::DeleteKey(doc, ref.path, false);
        return LSTATUS(ERROR_SUCCESS);
    });
}

LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
    KeyRef ref;
    if (LSTATUS rc = ResolveSubkey(hKey, lpSubKey, ref); rc != LSTATUS(ERROR_SUCCESS))
        return rc;
    const bool keepKey = !lpSubKey || ref.path.empty() || IsRunOrAbove(ref);
    if (!HiveWritable(ref.hive))
        return ERROR_ACCESS_DENIED;
    return Update(ref.hive, [&](RegDocument& doc, bool& changed) {
        if (!reg::KeyExists(doc, ref.path))
            return IsRunOrAbove(ref) ? LSTATUS(ERROR_SUCCESS) : LSTATUS(ERROR_FILE_NOT_FOUND);
        changed = reg::DeleteKey(doc, ref.path, true);
        if (keepKey && !ref.path.empty())
            reg::CreateKey(doc, ref.path);
        return LSTATUS(ERROR_SUCCESS);
    });
}

namespace qv::platform::registry {

ReadSnapshot::ReadSnapshot() : state_(std::make_unique<State>()), outer_(g_snapshot) {
    g_snapshot = state_.get();
}

ReadSnapshot::~ReadSnapshot() {
    g_snapshot = outer_;
}

} // namespace qv::platform::registry
