#include "addressbook/address_book.h"

#include "addressbook/error_text.h"
#include "localized/localized_resources.h"
#include "rc/resource.h"
#include "settings/settings.h"

#include <iterator>
#include <utility>

namespace {

using qv::com::ComPtr;

constexpr const char* kDllPathKey = "Software\\Microsoft\\WAB\\DLLPath";
constexpr const char* kEntryPoint = "WABOpen";

// Asked of a book without a session; and what an answer that claims success
// but hands out nothing is reported as.
constexpr HRESULT kNotInitialized = MAPI_E_NOT_INITIALIZED;
constexpr HRESULT kBadAnswer = MAPI_E_CORRUPT_DATA;

enum Column : ULONG { kName, kEntryId, kObjectType, kColumnCount };

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasText(const SPropValue& value) {
    return PROP_TYPE(value.ulPropTag) == PT_STRING8 && value.Value.lpszA != nullptr;
}

// The row's columns when the entry id and the type are there with the types
// asked for. The name may be missing: a contact with only a number is
// searched like any other and matches with an empty name.
const SPropValue* UsableColumns(const SRow& row) {
    if (row.cValues < kColumnCount || row.lpProps == nullptr)
        return nullptr;
    const SPropValue* columns = row.lpProps;
    const SPropValue& id = columns[kEntryId];
    const SPropValue& type = columns[kObjectType];
    if (PROP_TYPE(id.ulPropTag) != PT_BINARY || id.Value.bin.cb == 0 ||
        id.Value.bin.lpb == nullptr || PROP_TYPE(type.ulPropTag) != PT_LONG)
        return nullptr;
    return columns;
}

const char* NameOf(const SPropValue* columns) {
    return HasText(columns[kName]) ? columns[kName].Value.lpszA : "";
}

} // namespace

namespace qv::addressbook {

void NormalizeNumberInto(std::string_view text, std::string& out) {
    out.clear();
    for (char c : text)
        if (IsAsciiAlnum(c))
            out.push_back(c);
}

std::string NormalizeNumber(std::string_view text) {
    std::string out;
    NormalizeNumberInto(text, out);
    return out;
}

std::string FormatTwo(std::string_view pattern, std::string_view first, std::string_view second) {
    const std::string_view arguments[] = {first, second};
    std::size_t used = 0;
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next == '%') {
            out.push_back('%');
            ++i;
        } else if (pattern[i] == '%' && next == 's' && used < std::size(arguments)) {
            out.append(arguments[used++]);
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

} // namespace qv::addressbook

CAddressBook::~CAddressBook() {
    // The objects' code lives in the library: they go first.
    ReleaseObjects();
    if (m_hLibrary != nullptr)
        FreeLibrary(m_hLibrary);
}

BOOL CAddressBook::Open(LPCSTR fileName) {
    if (m_hLibrary == nullptr) {
        const std::string path = ReadRegistryText(HKEY_LOCAL_MACHINE, kDllPathKey, "", "");
        if (path.empty()) {
            m_strLastError = LoadLocalizedString(IDS_WAB_NOT_FOUND);
        } else {
            m_hLibrary = LoadLibraryA(path.c_str());
            if (m_hLibrary == nullptr) {
                // Before anything else can overwrite the loader's reason.
                const std::string reason = GetErrorText(0);
                m_strLastError = qv::addressbook::FormatTwo(LoadLocalizedString(IDS_WAB_LOAD_ERROR),
                                                            path, reason);
            }
        }
        if (m_hLibrary == nullptr)
            return FALSE;
    }
    ReleaseObjects();
    const FARPROC proc = GetProcAddress(m_hLibrary, kEntryPoint);
    if (proc == nullptr) {
        m_strLastError = GetErrorText(0);
        return FALSE;
    }
    const auto open = reinterpret_cast<LPWABOPEN>(proc);
    WAB_PARAM param{};
    param.cbSize = sizeof(WAB_PARAM);
    param.hwnd = nullptr;
    param.szFileName = const_cast<LPSTR>(fileName);
    param.ulFlags = 0;
    const HRESULT result = open(m_pAddrBook.put(), m_pWabObject.put(), &param, 0);
    if (result == S_OK && m_pAddrBook && m_pWabObject)
        return TRUE;
    // A warning may come with objects: a session that reported trouble is
    // not used.
    ReleaseObjects();
    m_strLastError = GetErrorText(static_cast<DWORD>(result == S_OK ? kBadAnswer : result));
    return FALSE;
}

void CAddressBook::ReleaseObjects() {
    m_pAddrBook.reset();
    m_pWabObject.reset();
}

std::string CAddressBook::TakeLastError() {
    return std::exchange(m_strLastError, {});
}

BOOL CAddressBook::LookupName(const std::string& number, const std::string& prefix,
                              std::string& name) {
    return LookupName(name, number.c_str(), prefix.c_str());
}

BOOL CAddressBook::LookupName(std::string& name, LPCSTR number, LPCSTR prefix) {
    name.clear();
    if (!m_pAddrBook || !m_pWabObject) {
        m_strLastError = GetErrorText(static_cast<DWORD>(kNotInitialized));
        return FALSE;
    }
    std::string wanted = qv::addressbook::NormalizeNumber(number != nullptr ? number : "");
    // Stored numbers may lack the trunk prefix ("030..." as "30..." or
    // "+49 30..."): the caller's number loses it too.
    if (prefix != nullptr && prefix[0] != '\0') {
        const auto kept = wanted.find_first_not_of(prefix[0]);
        wanted.erase(0, kept == std::string::npos ? wanted.size() : kept);
    }

    ULONG pabSize = 0;
    LPENTRYID pab = nullptr;
    ComPtr<IABContainer> container;
    ComPtr<IMAPITable> table;
    LPSRowSet rows = nullptr;
    HRESULT status = OpenContents(pabSize, pab, container, table);
    if (status == S_OK)
        status = ScanRows(*table, wanted, rows, name);

    FreeRows(rows);
    table.reset();
    container.reset();
    if (pab != nullptr)
        m_pWabObject->FreeBuffer(pab);

    if (status != S_OK) {
        name.clear();
        m_strLastError = GetErrorText(static_cast<DWORD>(status));
        return FALSE;
    }
    return TRUE;
}

// The personal address book's contents table, its columns set and its
// cursor at the start. Whatever was handed out stays with the caller, who
// releases it on success and failure alike.
HRESULT CAddressBook::OpenContents(ULONG& pabSize, LPENTRYID& pab, ComPtr<IABContainer>& container,
                                   ComPtr<IMAPITable>& table) {
    HRESULT status = m_pAddrBook->GetPAB(&pabSize, &pab);
    if (status != S_OK)
        return status;
    if (pab == nullptr || pabSize == 0)
        return kBadAnswer;

    ULONG type = 0;
    ComPtr<IUnknown> object;
    status = m_pAddrBook->OpenEntry(pabSize, pab, nullptr, 0, &type, object.put());
    if (status != S_OK)
        return status;
    if (!object)
        return kBadAnswer;
    status = object->QueryInterface(IID_IABContainer, container.put_void());
    if (status != S_OK)
        return status;
    if (!container)
        return kBadAnswer;

    status = container->GetContentsTable(0, table.put());
    if (status != S_OK)
        return status;
    if (!table)
        return kBadAnswer;

    SizedSPropTagArray<kColumnCount> columns;
    columns.aulPropTag[kName] = PR_DISPLAY_NAME_A;
    columns.aulPropTag[kEntryId] = PR_ENTRYID;
    columns.aulPropTag[kObjectType] = PR_OBJECT_TYPE;
    status = table->SetColumns(columns.get(), 0);
    if (status != S_OK)
        return status;
    return table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
}

// Reads the table a row at a time; rows holds the last answer for the
// caller to free.
HRESULT CAddressBook::ScanRows(IMAPITable& table, const std::string& number, LPSRowSet& rows,
                               std::string& name) {
    LONG best = -1;
    for (;;) {
        FreeRows(rows);
        rows = nullptr;
        const HRESULT status = table.QueryRows(1, 0, &rows);
        if (status != S_OK)
            return status;
        if (rows == nullptr || rows->cRows == 0)
            return S_OK;
        for (ULONG i = 0; i < rows->cRows; ++i) {
            const SPropValue* columns = UsableColumns(rows->aRow[i]);
            // Lists carry names, not numbers of their own.
            if (columns == nullptr || columns[kObjectType].Value.ul != MAPI_MAILUSER)
                continue;
            LONG position = -1;
            HRESULT found = S_OK;
            if (!FindNumberPosition(number, columns[kEntryId].Value.bin, position, found))
                return found != S_OK ? found : kBadAnswer;
            // Ties keep the earlier entry.
            if (position >= 0 && (best < 0 || position < best)) {
                best = position;
                name = NameOf(columns);
                if (position == 0)
                    return S_OK; // nothing can match earlier
            }
        }
    }
}

BOOL CAddressBook::FindNumberPosition(const std::string& number, const SBinary& entryId,
                                      LONG& position, HRESULT& status) {
    position = -1;
    if (!m_pAddrBook || !m_pWabObject) {
        status = kNotInitialized;
        return FALSE;
    }
    ULONG type = 0;
    ComPtr<IUnknown> object;
    status = m_pAddrBook->OpenEntry(entryId.cb, reinterpret_cast<LPENTRYID>(entryId.lpb), nullptr,
                                    0, &type, object.put());
    if (status != S_OK)
        return FALSE;
    if (!object) {
        status = kBadAnswer;
        return FALSE;
    }
    ComPtr<IMailUser> contact;
    status = object->QueryInterface(IID_IMailUser, contact.put_void());
    if (status != S_OK)
        return FALSE;
    if (!contact) {
        status = kBadAnswer;
        return FALSE;
    }

    ULONG count = 0;
    LPSPropValue props = nullptr;
    status = contact->GetProps(nullptr, 0, &count, &props);
    if (status != S_OK) {
        // A warning comes with the properties, which are ours to free.
        if (props != nullptr)
            m_pWabObject->FreeBuffer(props);
        return FALSE;
    }
    if (props != nullptr) {
        // Every contact of the book passes here: one buffer serves them all.
        std::string& text = m_strScratch;
        for (ULONG i = 0; i < count; ++i) {
            if (!HasText(props[i]))
                continue;
            qv::addressbook::NormalizeNumberInto(props[i].Value.lpszA, text);
            const auto at = text.find(number);
            if (at != std::string::npos && (position < 0 || LONG(at) < position))
                position = LONG(at);
        }
        m_pWabObject->FreeBuffer(props);
    }
    return TRUE;
}

void CAddressBook::FreeRows(LPSRowSet rows) {
    if (rows == nullptr || !m_pWabObject)
        return;
    for (ULONG i = 0; i < rows->cRows; ++i)
        if (rows->aRow[i].lpProps != nullptr)
            m_pWabObject->FreeBuffer(rows->aRow[i].lpProps);
    m_pWabObject->FreeBuffer(rows);
}
