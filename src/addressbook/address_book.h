// The user's address book, reached through the library the registry names
// (HKLM "Software\Microsoft\WAB\DLLPath"), and the caller lookup on it.
#pragma once

#include "addressbook/address_book_lookup.h"
#include "platform/com/com_ptr.h"
#include "platform/module/module.h"
#include "platform/types.h"
#include "platform/wab/wab.h"

#include <string>
#include <string_view>

class CAddressBook : public IAddressBookLookup {
public:
    CAddressBook() = default;
    CAddressBook(const CAddressBook&) = delete;
    CAddressBook& operator=(const CAddressBook&) = delete;
    ~CAddressBook() override;

    // Loads the library once, then opens a session on fileName (null: the
    // user's default book). FALSE with a text for TakeLastError.
    BOOL Open(LPCSTR fileName);
    void ReleaseObjects();
    // The last failure's text, once; empty when none is pending.
    std::string TakeLastError();

    // TRUE with the name of the contact whose text holds number earliest,
    // or with an empty name when none does; FALSE with a text when the book
    // could not be read. prefix: its first character is stripped from the
    // number's front (a trunk prefix, which stored numbers may lack).
    BOOL LookupName(std::string& name, LPCSTR number, LPCSTR prefix);
    BOOL LookupName(const std::string& number, const std::string& prefix,
                    std::string& name) override;

    // Where number first occurs in the contact's texts (each reduced to
    // letters and digits), -1 for nowhere. FALSE with status when the
    // contact cannot be read.
    BOOL FindNumberPosition(const std::string& number, const SBinary& entryId, LONG& position,
                            HRESULT& status);
    void FreeRows(LPSRowSet rows);

    std::string m_strLastError;
    HMODULE m_hLibrary = nullptr;
    qv::com::ComPtr<IWABObject> m_pWabObject;
    qv::com::ComPtr<IAddrBook> m_pAddrBook;

private:
    HRESULT OpenContents(ULONG& pabSize, LPENTRYID& pab, qv::com::ComPtr<IABContainer>& container,
                         qv::com::ComPtr<IMAPITable>& table);
    HRESULT ScanRows(IMAPITable& table, const std::string& number, LPSRowSet& rows,
                     std::string& name);

    std::string m_strScratch; // a contact's text, normalised
};

namespace qv::addressbook {
// Only ASCII letters and digits stay: "+49 (30) 123-4" becomes "49301234".
std::string NormalizeNumber(std::string_view text);
// The same into a buffer the caller keeps, for loops over many texts.
void NormalizeNumberInto(std::string_view text, std::string& out);
// "%s" takes first, a second "%s" second; "%%" is one "%"; anything else stays.
std::string FormatTwo(std::string_view pattern, std::string_view first, std::string_view second);
} // namespace qv::addressbook
