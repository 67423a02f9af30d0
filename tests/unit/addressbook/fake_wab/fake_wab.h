// A stand-in address book library for the tests: the shipped library over
// contacts the test lists, calls it makes fail, odd rows, and counts of what
// it handed out and got back. The test reaches the library's state through
// the exported FakeWabState.
#pragma once

#include "platform/wab/wab.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace fakewab {

enum class Call {
    WABOpen,
    GetPAB,
    OpenPab, // OpenEntry of the personal address book
    GetContentsTable,
    SetColumns,
    SeekRow,
    QueryRows,
    OpenContact, // OpenEntry of a contact or list
    GetProps,
    Count
};

// A contact's row in the contents table, for the odd answers a library
// might give.
enum class RowShape {
    Normal,
    OneColumn,     // only the display name
    NoProps,       // three values counted, none there
    NullName,      // PT_STRING8 with a null pointer
    EntryIdAsLong, // entry id of the wrong type
    EmptyEntryId,  // PT_BINARY with no bytes
    BadEntryId,    // two bytes the library cannot open
    TypeMissing,   // object type as PT_ERROR
};

struct Contact {
    std::string name; // none when empty
    // Texts by tag: home, work and mobile numbers, PR_COMMENT_A, PR_TITLE_A.
    std::vector<std::pair<ULONG, std::string>> texts;
    ULONG type = MAPI_MAILUSER;
    RowShape row = RowShape::Normal;
};

struct State {
    // Read when the book is opened.
    std::vector<Contact> contacts;
    // The end of the table as a null row set instead of an empty one.
    bool nullRowSetAtEnd = false;
    // Every contact's texts come with null pointers.
    bool nullTexts = false;

    // failCall answers failStatus after failAfter calls that went well. A
    // warning status does the work and hands out the results with it.
    Call failCall = Call::Count;
    HRESULT failStatus = S_OK;
    int failAfter = 0;

    std::array<int, std::size_t(Call::Count)> calls{};
    bool fileNameNull = false;
    ULONG paramSize = 0;
    long buffers = 0;  // handed out and not freed
    long objects = 0;  // objects alive
    long badFrees = 0; // FreeBuffer the library refused

    int Calls(Call call) const { return calls[std::size_t(call)]; }
};

using GetStateFn = State* (*)();
inline constexpr const char* kStateEntry = "FakeWabState";

} // namespace fakewab
