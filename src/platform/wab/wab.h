// The address book as the caller lookup uses it: the library's entry point
// "WABOpen" and the objects it hands out, in the shapes of the Windows
// Address Book and MAPI. libquorvia-wab.so implements them over vCards; the
// program only loads the library and calls through these interfaces, so
// both sides share this header and nothing else.
#pragma once

#include "platform/com/unknown.h"
#include "platform/types.h"
#include "platform/wab/mapi_status.h"

// Property tags: the type in the low 16 bits, the id in the high 16.
inline constexpr ULONG PROP_TYPE(ULONG tag) {
    return tag & 0xFFFFu;
}
inline constexpr ULONG PROP_ID(ULONG tag) {
    return tag >> 16;
}
inline constexpr ULONG PROP_TAG(ULONG type, ULONG id) {
    return (id << 16) | type;
}

inline constexpr ULONG PT_UNSPECIFIED = 0x0000;
inline constexpr ULONG PT_NULL = 0x0001;
inline constexpr ULONG PT_LONG = 0x0003;
inline constexpr ULONG PT_ERROR = 0x000A;
inline constexpr ULONG PT_BOOLEAN = 0x000B;
inline constexpr ULONG PT_STRING8 = 0x001E; // narrow text; UTF-8 here
inline constexpr ULONG PT_BINARY = 0x0102;

inline constexpr ULONG PR_ENTRYID = 0x0FFF0102;
inline constexpr ULONG PR_OBJECT_TYPE = 0x0FFE0003;
inline constexpr ULONG PR_DISPLAY_NAME_A = 0x3001001E;
inline constexpr ULONG PR_EMAIL_ADDRESS_A = 0x3003001E;
inline constexpr ULONG PR_COMMENT_A = 0x3004001E;
inline constexpr ULONG PR_GIVEN_NAME_A = 0x3A06001E;
inline constexpr ULONG PR_BUSINESS_TELEPHONE_NUMBER_A = 0x3A08001E;
inline constexpr ULONG PR_HOME_TELEPHONE_NUMBER_A = 0x3A09001E;
inline constexpr ULONG PR_SURNAME_A = 0x3A11001E;
inline constexpr ULONG PR_POSTAL_ADDRESS_A = 0x3A15001E;
inline constexpr ULONG PR_COMPANY_NAME_A = 0x3A16001E;
inline constexpr ULONG PR_TITLE_A = 0x3A17001E;
inline constexpr ULONG PR_MOBILE_TELEPHONE_NUMBER_A = 0x3A1C001E;
inline constexpr ULONG PR_OTHER_TELEPHONE_NUMBER_A = 0x3A1F001E;
inline constexpr ULONG PR_BUSINESS_FAX_NUMBER_A = 0x3A24001E;
inline constexpr ULONG PR_HOME_FAX_NUMBER_A = 0x3A25001E;
inline constexpr ULONG PR_COUNTRY_A = 0x3A26001E;
inline constexpr ULONG PR_LOCALITY_A = 0x3A27001E;
inline constexpr ULONG PR_STATE_OR_PROVINCE_A = 0x3A28001E;
inline constexpr ULONG PR_STREET_ADDRESS_A = 0x3A29001E;
inline constexpr ULONG PR_POSTAL_CODE_A = 0x3A2A001E;
inline constexpr ULONG PR_PAGER_TELEPHONE_NUMBER_A = 0x3A21001E;
inline constexpr ULONG PR_NICKNAME_A = 0x3A4F001E;
inline constexpr ULONG PR_HOME_ADDRESS_CITY_A = 0x3A59001E;
inline constexpr ULONG PR_HOME_ADDRESS_COUNTRY_A = 0x3A5A001E;
inline constexpr ULONG PR_HOME_ADDRESS_POSTAL_CODE_A = 0x3A5B001E;
inline constexpr ULONG PR_HOME_ADDRESS_STATE_OR_PROVINCE_A = 0x3A5C001E;
inline constexpr ULONG PR_HOME_ADDRESS_STREET_A = 0x3A5D001E;
inline constexpr ULONG PR_PERSONAL_HOME_PAGE_A = 0x3A50001E;
inline constexpr ULONG PR_BUSINESS_HOME_PAGE_A = 0x3A51001E;

// Object types (PR_OBJECT_TYPE and OpenEntry's answer).
inline constexpr ULONG MAPI_ABCONT = 4;
inline constexpr ULONG MAPI_MAILUSER = 6;
inline constexpr ULONG MAPI_DISTLIST = 8;

// Table positions for SeekRow.
using BOOKMARK = ULONG;
inline constexpr BOOKMARK BOOKMARK_BEGINNING = 0;
inline constexpr BOOKMARK BOOKMARK_CURRENT = 1;
inline constexpr BOOKMARK BOOKMARK_END = 2;

// An entry id: four flag bytes, then the provider's own bytes (cb in all).
struct ENTRYID {
    BYTE abFlags[4];
    BYTE ab[1];
};
using LPENTRYID = ENTRYID*;

struct SBinary {
    ULONG cb;
    BYTE* lpb;
};

union PropValueUnion {
    LONG l;
    ULONG ul;
    unsigned short b;
    LPSTR lpszA;
    SBinary bin;
    HRESULT err;
    LONG x; // PT_NULL, PT_UNSPECIFIED
};

struct SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    PropValueUnion Value;
};
using LPSPropValue = SPropValue*;

// Counted arrays with their elements following the count, as MAPI lays
// them out: allocate with the size the count needs.
struct SPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[1];
};
using LPSPropTagArray = SPropTagArray*;
// A tag array of a fixed size, for callers that know their columns.
template <ULONG N> struct SizedSPropTagArray {
    ULONG cValues = N;
    ULONG aulPropTag[N];
    SPropTagArray* get() { return reinterpret_cast<SPropTagArray*>(this); }
};

struct SRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    LPSPropValue lpProps; // one allocation of its own, freed with FreeBuffer
};

struct SRowSet {
    ULONG cRows;
    SRow aRow[1];
};
using LPSRowSet = SRowSet*;
inline constexpr ULONG CbNewSRowSet(ULONG count) {
    return ULONG(sizeof(SRowSet) + (count > 0 ? count - 1 : 0) * sizeof(SRow));
}

inline constexpr IID IID_IMAPIProp = {
    0x00020303, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IMAPITable = {
    0x00020301, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IMAPIContainer = {
    0x0002030B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IABContainer = {
    0x0002030D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IMailUser = {
    0x0002030A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDistList = {
    0x0002030E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IAddrBook = {
    0x00020309, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IWABObject = {
    0x7FD6E0C4, 0x9B80, 0x4B5A, {0x8F, 0x1C, 0x5E, 0x2A, 0x36, 0x0B, 0x91, 0x4D}};

// An object with properties: a contact, a list, a container.
struct IMAPIProp : IUnknown {
    static const IID& Iid() { return IID_IMAPIProp; }

    // tags null: every property, texts as PT_STRING8. *props is one
    // allocation to free with IWABObject::FreeBuffer. MAPI_W_ERRORS_RETURNED
    // when some asked-for tags came back as PT_ERROR.
    virtual HRESULT GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count,
                             LPSPropValue* props) = 0;

protected:
    ~IMAPIProp() = default;
};

struct IMailUser : IMAPIProp {
    static const IID& Iid() { return IID_IMailUser; }

protected:
    ~IMailUser() = default;
};

struct IDistList : IMAPIProp {
    static const IID& Iid() { return IID_IDistList; }

protected:
    ~IDistList() = default;
};

// A table of rows, read from a cursor.
struct IMAPITable : IUnknown {
    static const IID& Iid() { return IID_IMAPITable; }

    // Later rows carry these columns, in this order; a missing one comes as
    // PT_ERROR with MAPI_E_NOT_FOUND.
    virtual HRESULT SetColumns(LPSPropTagArray columns, ULONG flags) = 0;
    virtual HRESULT SeekRow(BOOKMARK origin, LONG rowCount, LONG* rowsSought) = 0;
    // Up to rowCount rows from the cursor on; none at the end. Each row's
    // properties and the row set are separate allocations (FreeBuffer).
    virtual HRESULT QueryRows(LONG rowCount, ULONG flags, LPSRowSet* rows) = 0;
    virtual HRESULT GetRowCount(ULONG flags, ULONG* count) = 0;

protected:
    ~IMAPITable() = default;
};

struct IABContainer : IMAPIProp {
    static const IID& Iid() { return IID_IABContainer; }

    // One row per contact and list: at least PR_DISPLAY_NAME_A, PR_ENTRYID,
    // PR_OBJECT_TYPE.
    virtual HRESULT GetContentsTable(ULONG flags, IMAPITable** table) = 0;

protected:
    ~IABContainer() = default;
};

struct IAddrBook : IUnknown {
    static const IID& Iid() { return IID_IAddrBook; }

    // iid null: the object's natural interface (IABContainer, IMailUser,
    // IDistList), its type in *objectType.
    virtual HRESULT OpenEntry(ULONG cbEntryId, LPENTRYID entryId, const IID* iid, ULONG flags,
                              ULONG* objectType, IUnknown** object) = 0;
    // The personal address book's entry id, to free with FreeBuffer.
    virtual HRESULT GetPAB(ULONG* cbEntryId, LPENTRYID* entryId) = 0;

protected:
    ~IAddrBook() = default;
};

// The session's memory services: every buffer the address book hands out
// is freed here. AllocateMore ties a buffer to a parent freed with it.
struct IWABObject : IUnknown {
    static const IID& Iid() { return IID_IWABObject; }

    virtual HRESULT AllocateBuffer(ULONG size, void** buffer) = 0;
    virtual HRESULT AllocateMore(ULONG size, void* parent, void** buffer) = 0;
    virtual HRESULT FreeBuffer(void* buffer) = 0;

protected:
    ~IWABObject() = default;
};

// What WABOpen is given. szFileName: a .vcf file or a folder of them; null
// opens the user's default book.
struct WAB_PARAM {
    ULONG cbSize;
    HWND hwnd;
    LPSTR szFileName;
    ULONG ulFlags;
};

// The library's entry point, looked up by the name "WABOpen".
using LPWABOPEN = HRESULT (*)(IAddrBook** addrBook, IWABObject** wabObject, WAB_PARAM* param,
                              DWORD reserved);
