// libquorvia-wab.so as the program uses it: loaded by path, entered through
// WABOpen, read through the interfaces only.
#include "platform/com/com_ptr.h"
#include "platform/module/module.h"
#include "platform/wab/wab.h"
#include "settings/settings.h"
#include "support/support.h"
#include "support/utf16.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

using qv::com::ComPtr;

namespace {

LPWABOPEN Entry() {
    static void* lib = ::dlopen(QV_WAB_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return lib ? reinterpret_cast<LPWABOPEN>(::dlsym(lib, "WABOpen")) : nullptr;
}

std::string Fixture(const std::string& name) {
    return std::string(QV_WAB_FIXTURES) + "/" + name;
}

struct Session {
    HRESULT hr = E_FAIL;
    ComPtr<IAddrBook> book;
    ComPtr<IWABObject> wab;
};

Session Open(const char* path) {
    Session s;
    LPWABOPEN open = Entry();
    if (!open) {
        ADD_FAILURE() << "WABOpen not found: " << ::dlerror();
        return s;
    }
    WAB_PARAM param{sizeof(WAB_PARAM), nullptr, const_cast<LPSTR>(path), 0};
    s.hr = open(s.book.put(), s.wab.put(), &param, 0);
    return s;
}

Session OpenFixture(const std::string& name) {
    Session s = Open(Fixture(name).c_str());
    EXPECT_EQ(s.hr, S_OK) << name;
    return s;
}

void FreeRows(IWABObject* wab, SRowSet* rows) {
    if (!rows)
        return;
    for (ULONG i = 0; i < rows->cRows; ++i)
        EXPECT_EQ(wab->FreeBuffer(rows->aRow[i].lpProps), S_OK);
    EXPECT_EQ(wab->FreeBuffer(rows), S_OK);
}

ComPtr<IMAPITable> Contents(Session& s) {
    ComPtr<IUnknown> object;
    ULONG type = 0;
    EXPECT_EQ(s.book->OpenEntry(0, nullptr, nullptr, 0, &type, object.put()), S_OK);
    EXPECT_EQ(type, MAPI_ABCONT);
    auto container = ComPtr<IABContainer>::Adopt(static_cast<IABContainer*>(object.detach()));
    ComPtr<IMAPITable> table;
    if (container) {
        EXPECT_EQ(container->GetContentsTable(0, table.put()), S_OK);
    }
    return table;
}

// A row as seen through the default columns.
struct Row {
    std::string name;
    std::vector<BYTE> entryId;
    LONG type = 0;
};

std::vector<Row> AllRows(Session& s) {
    std::vector<Row> out;
    ComPtr<IMAPITable> table = Contents(s);
    if (!table)
        return out;
    for (;;) {
        SRowSet* rows = nullptr;
        EXPECT_EQ(table->QueryRows(2, 0, &rows), S_OK);
        if (!rows)
            break;
        const ULONG n = rows->cRows;
        for (ULONG i = 0; i < n; ++i) {
            const SRow& r = rows->aRow[i];
            EXPECT_EQ(r.cValues, 3u);
            Row row;
            if (r.lpProps[0].ulPropTag == PR_DISPLAY_NAME_A)
                row.name = r.lpProps[0].Value.lpszA;
            EXPECT_EQ(r.lpProps[1].ulPropTag, PR_ENTRYID);
            const SBinary& bin = r.lpProps[1].Value.bin;
            row.entryId.assign(bin.lpb, bin.lpb + bin.cb);
            EXPECT_EQ(r.lpProps[2].ulPropTag, PR_OBJECT_TYPE);
            row.type = r.lpProps[2].Value.l;
            out.push_back(std::move(row));
        }
        FreeRows(s.wab.get(), rows);
        if (n == 0)
            break;
    }
    return out;
}

std::vector<std::string> Names(const std::vector<Row>& rows) {
    std::vector<std::string> names;
    for (const auto& r : rows)
        names.push_back(r.name);
    return names;
}

HRESULT OpenId(Session& s, const std::vector<BYTE>& id, const IID* iid, ULONG* type,
               ComPtr<IUnknown>& object) {
    return s.book->OpenEntry(ULONG(id.size()),
                             reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(id.data())), iid, 0,
                             type, object.put());
}

// Every text property of an entry, by tag.
std::map<ULONG, std::string> Texts(Session& s, const Row& row) {
    std::map<ULONG, std::string> texts;
    ComPtr<IUnknown> object;
    ULONG type = 0;
    EXPECT_EQ(OpenId(s, row.entryId, nullptr, &type, object), S_OK);
    EXPECT_EQ(LONG(type), row.type);
    auto prop = object.As<IMAPIProp>();
    if (!prop)
        return texts;
    ULONG count = 0;
    SPropValue* props = nullptr;
    EXPECT_EQ(prop->GetProps(nullptr, 0, &count, &props), S_OK);
    for (ULONG i = 0; i < count; ++i)
        if (PROP_TYPE(props[i].ulPropTag) == PT_STRING8)
            texts[props[i].ulPropTag] = props[i].Value.lpszA;
    EXPECT_EQ(s.wab->FreeBuffer(props), S_OK);
    return texts;
}

TEST(WabOpen, ReadsVersion21WithQuotedPrintableAndLatin1) {
    Session s = OpenFixture("v21.vcf");
    auto rows = AllRows(s);
    ASSERT_EQ(Names(rows), (std::vector<std::string>{"J\xC3\xBCrgen M\xC3\xBCller", "Stadtwerke"}));
    auto t = Texts(s, rows[0]);
    EXPECT_EQ(t[PR_SURNAME_A], "M\xC3\xBCller");
    EXPECT_EQ(t[PR_GIVEN_NAME_A], "J\xC3\xBCrgen");
    EXPECT_EQ(t[PR_COMPANY_NAME_A], "B\xC3\xA4"
                                    "ckerei M\xC3\xBCller");
    // Types as bare parameters (the kinds themselves: WabContactMapping).
    EXPECT_EQ(t[PR_HOME_FAX_NUMBER_A], "030 7654322");
    EXPECT_EQ(t[PR_COMMENT_A], "Erste Zeile\r\nzweite Zeile mit \xC3\xA4 und einem sehr langen "
                               "Rest, der weich umbrochen wird= Ende");
    EXPECT_EQ(t[PR_STREET_ADDRESS_A], "Hauptstra\xC3\x9F"
                                      "e 5");
    EXPECT_EQ(t[PR_LOCALITY_A], "Berlin");
    EXPECT_EQ(t[PR_POSTAL_CODE_A], "10115");
    EXPECT_EQ(t[PR_COUNTRY_A], "Deutschland");
    // The photo is skipped, and the property after it is still read.
    EXPECT_EQ(t[PR_EMAIL_ADDRESS_A], "juergen@example.org");
    EXPECT_EQ(Texts(s, rows[1])[PR_OTHER_TELEPHONE_NUMBER_A], "0800 100200");
}

TEST(WabOpen, ReadsVersion30WithFoldingEscapesAndGroups) {
    Session s = OpenFixture("v30.vcf");
    auto rows = AllRows(s);
    ASSERT_EQ(Names(rows), (std::vector<std::string>{"Anna Berg", "Per Lind"}));
    auto t = Texts(s, rows[0]);
    EXPECT_EQ(t[PR_TITLE_A], "Head of Sales, North");
    EXPECT_EQ(t[PR_NICKNAME_A], "Annie");
    EXPECT_EQ(t[PR_COMMENT_A], "Line one\nLine two; with semicolon, comma and \\ backslash");
    // The second home number and the second address are kept, in private ids.
    EXPECT_EQ(t[PROP_TAG(PT_STRING8, 0x8000)], "+46 8 111 22 44");
    EXPECT_EQ(t[PROP_TAG(PT_STRING8, 0x8001)], "anna@home.example");
    EXPECT_EQ(t[PR_HOME_ADDRESS_STREET_A], "Storgatan 1\nL\xC3\xA4genhet 3");
    EXPECT_EQ(t[PR_STREET_ADDRESS_A], "Floor 4, Kungsgatan 10");
    EXPECT_EQ(t[PR_STATE_OR_PROVINCE_A], "Stockholm l\xC3\xA4n");
    EXPECT_EQ(t[PR_BUSINESS_HOME_PAGE_A], "https://example.se/anna");
    EXPECT_EQ(Texts(s, rows[1])[PR_COMMENT_A],
              "This note is folded across several physical lines and keeps its words.");
}

TEST(WabOpen, ReadsVersion40UrisAndGroups) {
    Session s = OpenFixture("v40.vcf");
    auto rows = AllRows(s);
    ASSERT_EQ(Names(rows), (std::vector<std::string>{"Carla Diaz", "Sales Team", "Support",
                                                     "only.mail@example.com"}));
    auto t = Texts(s, rows[0]);
    EXPECT_EQ(t[PR_MOBILE_TELEPHONE_NUMBER_A], "+34-600-555-010");
    EXPECT_EQ(rows[0].type, LONG(MAPI_MAILUSER));
    EXPECT_EQ(rows[1].type, LONG(MAPI_DISTLIST));
    EXPECT_EQ(rows[2].type, LONG(MAPI_DISTLIST));
    EXPECT_EQ(rows[3].type, LONG(MAPI_MAILUSER));

    // A list opens as IDistList and nothing else.
    ComPtr<IUnknown> object;
    ULONG type = 0;
    ASSERT_EQ(OpenId(s, rows[1].entryId, &IID_IDistList, &type, object), S_OK);
    EXPECT_EQ(type, MAPI_DISTLIST);
    EXPECT_TRUE(object.As<IDistList>());
    EXPECT_FALSE(object.As<IMailUser>());
    EXPECT_EQ(OpenId(s, rows[1].entryId, &IID_IMailUser, &type, object), E_NOINTERFACE);
    EXPECT_FALSE(object);
    EXPECT_EQ(OpenId(s, rows[0].entryId, &IID_IDistList, &type, object), E_NOINTERFACE);
    EXPECT_EQ(OpenId(s, rows[0].entryId, &IID_IABContainer, &type, object), E_NOINTERFACE);
    ASSERT_EQ(OpenId(s, rows[0].entryId, &IID_IMailUser, &type, object), S_OK);
    EXPECT_EQ(type, MAPI_MAILUSER);
}

TEST(WabOpen, DamagedFileKeepsTheGoodCards) {
    Session s = OpenFixture("damaged.vcf");
    auto rows = AllRows(s);
    ASSERT_EQ(Names(rows),
              (std::vector<std::string>{"Good One", "No End", "After Broken", "Cut Off"}));
    EXPECT_EQ(Texts(s, rows[1])[PR_HOME_TELEPHONE_NUMBER_A], "222");
    auto t = Texts(s, rows[2]);
    EXPECT_EQ(t[PR_MOBILE_TELEPHONE_NUMBER_A], "444");
    EXPECT_EQ(t.count(PR_OTHER_TELEPHONE_NUMBER_A), 0u); // the AGENT's own card stays out
    EXPECT_EQ(Texts(s, rows[3])[PR_OTHER_TELEPHONE_NUMBER_A], "555");
}

TEST(WabOpen, FolderReadsEveryVcfByName) {
    Session s = OpenFixture("vdir");
    EXPECT_EQ(Names(AllRows(s)), (std::vector<std::string>{"First File", "First File Two",
                                                           "Second File", "Third File"}));
}

TEST(WabOpen, AFolderOfTenThousandOneCardFilesIsReadWhole) {
    // As tools export a vdir; one file in UTF-16 with its byte-order mark,
    // and a FIFO that must neither hang nor count.
    qv::test::TempDir folder;
    char name[32];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(name, sizeof name, "/%05d.vcf", i);
        std::ofstream(folder.path() + name) << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " << i
                                            << "\r\nTEL:030 " << 1000000 + i << "\r\nEND:VCARD\r\n";
    }
    qv::test::WriteFile(folder.path() + "/04999-wide.vcf",
                        qv::test::Utf16Bytes(u"\uFEFFBEGIN:VCARD\r\nFN:Wide\r\nEND:VCARD\r\n"));
    ASSERT_EQ(::mkfifo((folder.path() + "/00000-fifo.vcf").c_str(), 0600), 0);

    Session s = Open(folder.path().c_str());
    ASSERT_EQ(s.hr, S_OK);
    const auto rows = AllRows(s);
    ASSERT_EQ(rows.size(), 10001u);
    EXPECT_EQ(rows.front().name, "Person 0");
    EXPECT_EQ(rows[4999].name, "Wide");
    EXPECT_EQ(rows.back().name, "Person 9999");
    EXPECT_EQ(Texts(s, rows.back())[PR_OTHER_TELEPHONE_NUMBER_A], "030 1009999");
}

TEST(WabOpen, DefaultBookComesFromXdgDataHome) {
    qv::test::TempDir data;
    qv::test::ScopedEnv dataHome("XDG_DATA_HOME", data.path());
    // No folder yet: an empty book, for every way of asking for the default.
    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        Session s = Open(path);
        ASSERT_EQ(s.hr, S_OK);
        ULONG count = 99;
        EXPECT_EQ(Contents(s)->GetRowCount(0, &count), S_OK);
        EXPECT_EQ(count, 0u);
    }
    const std::string folder = data.path() + "/quorvia/contacts";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/me.vcf") << "BEGIN:VCARD\nVERSION:3.0\nFN:Default Me\nEND:VCARD\n";
    Session s;
    ASSERT_EQ(Entry()(s.book.put(), s.wab.put(), nullptr, 0), S_OK);
    EXPECT_EQ(Names(AllRows(s)), std::vector<std::string>{"Default Me"});
}

TEST(WabOpen, RefusesBadArgumentsAndMissingBooks) {
    LPWABOPEN open = Entry();
    ASSERT_NE(open, nullptr);
    auto* sentinelBook = reinterpret_cast<IAddrBook*>(0x1);
    auto* sentinelWab = reinterpret_cast<IWABObject*>(0x1);
    IAddrBook* book = sentinelBook;
    IWABObject* wab = sentinelWab;
    std::string missing = Fixture("no-such-book.vcf");
    WAB_PARAM param{sizeof(WAB_PARAM), nullptr, missing.data(), 0};
    EXPECT_EQ(open(&book, &wab, &param, 0), MAPI_E_NOT_FOUND);
    EXPECT_EQ(book, sentinelBook);
    EXPECT_EQ(wab, sentinelWab);
    param.szFileName = nullptr;
    param.cbSize = sizeof(WAB_PARAM) - 1;
    EXPECT_EQ(open(&book, &wab, &param, 0), MAPI_E_INVALID_PARAMETER);
    param.cbSize = sizeof(WAB_PARAM);
    EXPECT_EQ(open(nullptr, &wab, &param, 0), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(open(&book, nullptr, &param, 0), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(book, sentinelBook);
}

TEST(WabTable, ColumnsSeekingAndTheEnd) {
    Session s = OpenFixture("v30.vcf");
    ComPtr<IMAPITable> table = Contents(s);
    ASSERT_TRUE(table);
    ULONG count = 0;
    ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 2u);

    SizedSPropTagArray<3> columns;
    columns.aulPropTag[0] = PR_EMAIL_ADDRESS_A;
    columns.aulPropTag[1] = PR_PAGER_TELEPHONE_NUMBER_A;
    columns.aulPropTag[2] = PROP_TAG(PT_UNSPECIFIED, PROP_ID(PR_DISPLAY_NAME_A));
    ASSERT_EQ(table->SetColumns(columns.get(), 0), S_OK);

    LONG sought = 0;
    EXPECT_EQ(table->SeekRow(BOOKMARK_END, -1, &sought), S_OK);
    EXPECT_EQ(sought, -1);
    SRowSet* rows = nullptr;
    ASSERT_EQ(table->QueryRows(10, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    const SRow& row = rows->aRow[0];
    ASSERT_EQ(row.cValues, 3u);
    // Per Lind has no e-mail address; a missing column still holds its place.
    EXPECT_EQ(row.lpProps[0].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_EMAIL_ADDRESS_A)));
    EXPECT_EQ(row.lpProps[0].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_STREQ(row.lpProps[2].Value.lpszA, "Per Lind");
    FreeRows(s.wab.get(), rows);

    ASSERT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 0, &sought), S_OK);
    ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    const SPropValue* p = rows->aRow[0].lpProps;
    EXPECT_STREQ(p[0].Value.lpszA, "anna.berg@example.se");
    EXPECT_EQ(p[1].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_PAGER_TELEPHONE_NUMBER_A)));
    EXPECT_EQ(p[1].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(p[2].ulPropTag, PR_DISPLAY_NAME_A);
    EXPECT_STREQ(p[2].Value.lpszA, "Anna Berg");
    FreeRows(s.wab.get(), rows);

    // Seeks clamp at both ends and say how far they went.
    EXPECT_EQ(table->SeekRow(BOOKMARK_CURRENT, 10, &sought), S_OK);
    EXPECT_EQ(sought, 1);
    ASSERT_EQ(table->QueryRows(5, 0, &rows), S_OK);
    EXPECT_EQ(rows->cRows, 0u);
    FreeRows(s.wab.get(), rows);
    EXPECT_EQ(table->SeekRow(BOOKMARK_CURRENT, -10, &sought), S_OK);
    EXPECT_EQ(sought, -2);
    EXPECT_EQ(table->SeekRow(BOOKMARK_BEGINNING, -3, nullptr), S_OK);
    ASSERT_EQ(table->QueryRows(0x7FFFFFFF, 0, &rows), S_OK);
    EXPECT_EQ(rows->cRows, 2u);
    FreeRows(s.wab.get(), rows);

    EXPECT_EQ(table->SeekRow(7, 0, &sought), MAPI_E_INVALID_BOOKMARK);
    EXPECT_EQ(table->QueryRows(0, 0, &rows), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(table->QueryRows(1, 0, nullptr), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(table->SetColumns(nullptr, 0), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(table->GetRowCount(0, nullptr), MAPI_E_INVALID_PARAMETER);
}

TEST(WabEntries, EntryIdsRoundTripAndBadOnesAreRefused) {
    Session s = OpenFixture("v40.vcf");
    auto rows = AllRows(s);
    ASSERT_EQ(rows.size(), 4u);
    for (const Row& row : rows) {
        ComPtr<IUnknown> object;
        ULONG type = 0;
        ASSERT_EQ(OpenId(s, row.entryId, nullptr, &type, object), S_OK);
        // A missing tag and one asked for with another type than its own are
        // errors in their place; PT_UNSPECIFIED takes the property's type.
        SizedSPropTagArray<4> tags;
        tags.aulPropTag[0] = PR_ENTRYID;
        tags.aulPropTag[1] = PROP_TAG(PT_UNSPECIFIED, PROP_ID(PR_DISPLAY_NAME_A));
        tags.aulPropTag[2] = PR_TITLE_A;
        tags.aulPropTag[3] = PROP_TAG(PT_STRING8, PROP_ID(PR_OBJECT_TYPE));
        ULONG count = 0;
        SPropValue* props = nullptr;
        auto prop = object.As<IMAPIProp>();
        EXPECT_EQ(prop->GetProps(nullptr, 0, nullptr, &props), MAPI_E_INVALID_PARAMETER);
        EXPECT_EQ(prop->GetProps(nullptr, 0, &count, nullptr), MAPI_E_INVALID_PARAMETER);
        ASSERT_EQ(prop->GetProps(tags.get(), 0, &count, &props), MAPI_W_ERRORS_RETURNED);
        ASSERT_EQ(count, 4u);
        EXPECT_EQ(std::vector<BYTE>(props[0].Value.bin.lpb,
                                    props[0].Value.bin.lpb + props[0].Value.bin.cb),
                  row.entryId);
        EXPECT_EQ(props[1].ulPropTag, PR_DISPLAY_NAME_A);
        EXPECT_EQ(props[1].Value.lpszA, row.name);
        EXPECT_EQ(props[2].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_TITLE_A)));
        EXPECT_EQ(props[3].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_OBJECT_TYPE)));
        EXPECT_EQ(s.wab->FreeBuffer(props), S_OK);
        tags.cValues = 1; // every tag found: no warning
        ASSERT_EQ(prop->GetProps(tags.get(), 0, &count, &props), S_OK);
        EXPECT_EQ(s.wab->FreeBuffer(props), S_OK);
    }

    // The personal address book's id, no id and an empty one: the container.
    ULONG cb = 0;
    ENTRYID* pab = nullptr;
    ASSERT_EQ(s.book->GetPAB(&cb, &pab), S_OK);
    std::vector<BYTE> pabId(reinterpret_cast<BYTE*>(pab), reinterpret_cast<BYTE*>(pab) + cb);
    EXPECT_EQ(s.wab->FreeBuffer(pab), S_OK);
    ComPtr<IUnknown> object;
    ULONG type = 0;
    for (const auto& id : {pabId, std::vector<BYTE>{}}) {
        ASSERT_EQ(OpenId(s, id, &IID_IABContainer, &type, object), S_OK);
        EXPECT_EQ(type, MAPI_ABCONT);
    }
    EXPECT_EQ(s.book->OpenEntry(5, nullptr, nullptr, 0, &type, object.put()), S_OK);
    EXPECT_EQ(type, MAPI_ABCONT);
    EXPECT_EQ(OpenId(s, pabId, &IID_IMailUser, &type, object), E_NOINTERFACE);

    // Damaged ids: every byte that matters, the length, an index past the book.
    const std::vector<BYTE> good = rows[0].entryId;
    std::vector<std::vector<BYTE>> bad = {{good.begin(), good.end() - 1}, good, good, pabId};
    bad[1].push_back(0);
    bad[2][9] = BYTE(rows.size());
    bad[3][9] = 1; // the container's id with a contact's index
    for (std::size_t i = 0; i < 9; ++i) {
        bad.push_back(good);
        bad.back()[i] ^= 0x40;
    }
    for (const auto& id : bad) {
        EXPECT_EQ(OpenId(s, id, nullptr, &type, object), MAPI_E_INVALID_ENTRYID);
        EXPECT_FALSE(object);
    }
    EXPECT_EQ(s.book->OpenEntry(0, nullptr, nullptr, 0, nullptr, object.put()),
              MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(s.book->OpenEntry(0, nullptr, nullptr, 0, &type, nullptr), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(s.book->GetPAB(nullptr, &pab), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(s.book->GetPAB(&cb, nullptr), MAPI_E_INVALID_PARAMETER);
}

TEST(WabMemory, ChainsAreFreedWithTheirParentOnly) {
    Session s = OpenFixture("v30.vcf");
    IWABObject* wab = s.wab.get();
    void* parent = nullptr;
    ASSERT_EQ(wab->AllocateBuffer(64, &parent), S_OK);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(parent) % alignof(std::max_align_t), 0u);
    std::memset(parent, 0xAB, 64);
    void* child = nullptr;
    void* grandChild = nullptr;
    ASSERT_EQ(wab->AllocateMore(32, parent, &child), S_OK);
    ASSERT_EQ(wab->AllocateMore(0, child, &grandChild), S_OK);
    std::memset(child, 0xCD, 32);
    EXPECT_NE(child, grandChild);

    // A block tied to a parent is not freed on its own, nor anything foreign.
    EXPECT_EQ(wab->FreeBuffer(child), MAPI_E_INVALID_PARAMETER);
    int local = 0;
    EXPECT_EQ(wab->FreeBuffer(&local), MAPI_E_INVALID_PARAMETER);
    void* out = &local;
    EXPECT_EQ(wab->AllocateMore(8, &local, &out), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(wab->AllocateMore(8, nullptr, &out), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(wab->AllocateBuffer(8, nullptr), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(wab->AllocateBuffer(0xFFFFFFFFu, &out), MAPI_E_NOT_ENOUGH_MEMORY);

    EXPECT_EQ(wab->FreeBuffer(parent), S_OK);
    // Gone with the parent: freeing again is refused, not a double free.
    EXPECT_EQ(wab->FreeBuffer(parent), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(wab->AllocateMore(8, child, &out), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(wab->FreeBuffer(nullptr), S_OK);

    // Buffers of one session are not another's.
    Session other = OpenFixture("v30.vcf");
    ASSERT_EQ(wab->AllocateBuffer(8, &out), S_OK);
    EXPECT_EQ(other.wab->FreeBuffer(out), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(wab->FreeBuffer(out), S_OK);
}

TEST(WabMemory, ObjectsOutliveTheSessionInAnyOrder) {
    Session s = OpenFixture("v30.vcf");
    ComPtr<IMAPITable> table = Contents(s);
    auto rows = AllRows(s);
    ComPtr<IUnknown> entry;
    ULONG type = 0;
    ASSERT_EQ(OpenId(s, rows[1].entryId, nullptr, &type, entry), S_OK);
    ComPtr<IWABObject> wab = s.wab;
    s.book.reset();
    s.wab.reset();

    SRowSet* set = nullptr;
    ASSERT_EQ(table->QueryRows(5, 0, &set), S_OK);
    EXPECT_EQ(set->cRows, 2u);
    FreeRows(wab.get(), set);
    wab.reset(); // the last way to free buffers goes; the objects still work
    ULONG count = 0;
    EXPECT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 2u);
    SPropValue* props = nullptr;
    EXPECT_EQ(entry.As<IMailUser>()->GetProps(nullptr, 0, &count, &props), S_OK);
    EXPECT_GT(count, 2u);
    table.reset();
    entry.reset(); // frees the session, and with it the props left out
}

// The program finds the library through HKLM, which for build/bin/quorvia
// is build/etc/quorvia/machine.reg: the build must have written it.
TEST(WabRegistration, BuildTreeHklmNamesTheBuiltLibrary) {
    qv::platform::SetModuleFileNameForTesting(QV_BUILD_PROGRAM);
    const std::string path =
        ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath", "", "");
    qv::platform::SetModuleFileNameForTesting("");
    EXPECT_EQ(path, QV_WAB_LIBRARY);
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
}

} // namespace
