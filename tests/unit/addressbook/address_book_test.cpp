// The address book session and the caller lookup, against a stand-in
// library named in a private machine registry.
#include "addressbook/address_book.h"
#include "addressbook/error_text.h"
#include "fake_wab/fake_wab.h"
#include "platform/module/lasterror.h"
#include "platform/module/module.h"
#include "rc/embedded.h"
#include "settings/settings.h"
#include "support/support.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using fakewab::Call;
using fakewab::Contact;
using fakewab::RowShape;

constexpr const char* kDllPathKey = "Software\\Microsoft\\WAB\\DLLPath";
constexpr const char* kNumber = "0301234567";

Contact Person(std::string name, std::string phone, ULONG tag = PR_HOME_TELEPHONE_NUMBER_A) {
    return Contact{std::move(name), {{tag, std::move(phone)}}};
}

class AddressBookTest : public qv::test::ConfigHomeTest {
protected:
    void SetUp() override {
        // The machine registry is <prefix>/etc/quorvia/machine.reg beside <prefix>/bin.
        std::filesystem::create_directories(root_ + "/etc/quorvia");
        std::filesystem::create_directories(root_ + "/bin");
        qv::platform::SetModuleFileNameForTesting(root_ + "/bin/quorvia");
        static HINSTANCE resources = qv::res::InstallEmbeddedResources(root_ + "/bin/quorvia");
        ASSERT_NE(resources, nullptr);
        // A machine registry of our own, so the system's is never read.
        ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, "1", kDllPathKey, "Version", REG_SZ));

        fake_ = LoadLibraryA(QV_FAKE_WAB);
        ASSERT_NE(fake_, nullptr) << GetErrorText(0);
        auto get =
            reinterpret_cast<fakewab::GetStateFn>(GetProcAddress(fake_, fakewab::kStateEntry));
        ASSERT_NE(get, nullptr);
        state_ = get();
        *state_ = fakewab::State{};
    }
    void TearDown() override {
        if (fake_)
            FreeLibrary(fake_);
        qv::platform::SetModuleFileNameForTesting("");
    }

    static void SetDllPath(const std::string& path) {
        ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, path.c_str(), kDllPathKey, "", REG_SZ));
    }
    fakewab::State& State() { return *state_; }
    void FailCall(Call call, HRESULT status, int after = 0) {
        state_->failCall = call;
        state_->failStatus = status;
        state_->failAfter = after;
    }

    qv::test::ScopedLocale locale_{"en_US.UTF-8"};
    HMODULE fake_ = nullptr;
    fakewab::State* state_ = nullptr;
};

// ---- Opening ----

// The text is in the user's language, as the unloadable library's case checks.
TEST_F(AddressBookTest, MissingOrEmptyPathIsReported) {
    CAddressBook book;
    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        if (path != nullptr)
            SetDllPath(path);
        EXPECT_FALSE(book.Open(nullptr));
        EXPECT_EQ(book.TakeLastError(),
                  "Cannot find wab32.dll through the registry. Make sure, the Windows Address "
                  "Book application is properly installed.");
        EXPECT_EQ(book.TakeLastError(), "");
    }
    EXPECT_EQ(book.m_hLibrary, nullptr);
    EXPECT_EQ(State().Calls(Call::WABOpen), 0);
}

TEST_F(AddressBookTest, UnloadableLibraryNamesTheFileAndTheLoadersReason) {
    // Percent signs in the path are the path's, not the pattern's.
    const std::string missing = root_ + "/lib%s%d%%/nowhere.so";
    ASSERT_EQ(LoadLibraryA(missing.c_str()), nullptr);
    const std::string missingReason = GetErrorText(0);
    ASSERT_NE(missingReason.find("nowhere.so"), std::string::npos) << missingReason;

    const std::string notLibrary = root_ + "/text.so";
    std::ofstream(notLibrary) << "not a library\n";
    ASSERT_EQ(LoadLibraryA(notLibrary.c_str()), nullptr);
    const std::string notLibraryReason = GetErrorText(0);
    ASSERT_NE(notLibraryReason, missingReason);

    CAddressBook book;
    SetDllPath(missing);
    EXPECT_FALSE(book.Open(nullptr));
    EXPECT_EQ(book.TakeLastError(), "File: " + missing + "\nError: " + missingReason);

    SetDllPath(notLibrary);
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_FALSE(book.Open(nullptr));
    EXPECT_EQ(book.TakeLastError(), "Datei: " + notLibrary + "\nFehler: " + notLibraryReason);
    EXPECT_EQ(book.m_hLibrary, nullptr);
}

TEST_F(AddressBookTest, LibraryWithoutEntryPointStaysLoadedAndSaysWhy) {
    SetDllPath(QV_FAKE_WAB_NOENTRY);
    {
        CAddressBook book;
        EXPECT_FALSE(book.Open(nullptr));
        const std::string text = book.TakeLastError();
        EXPECT_NE(text.find("WABOpen"), std::string::npos) << text;
        ASSERT_NE(book.m_hLibrary, nullptr);
        const HMODULE loaded = book.m_hLibrary;

        // The registry is not read again while the library is loaded.
        SetDllPath(QV_FAKE_WAB);
        EXPECT_FALSE(book.Open(nullptr));
        EXPECT_EQ(book.m_hLibrary, loaded);
        EXPECT_NE(book.TakeLastError().find("WABOpen"), std::string::npos);
        // Destroyed with the library loaded and no session.
    }
    EXPECT_EQ(State().Calls(Call::WABOpen), 0);
}

// A call of the library failing, with the text the book shows for it.
struct Failure {
    const char* name;
    Call call;
    int after;
    HRESULT status;
    std::string text;
};

constexpr HRESULT kWarning = MAPI_W_ERRORS_RETURNED;
const std::string kWarningText = "Error #40380 (CdoW_ERRORS_RETURNED)";

void PrintTo(const Failure& c, std::ostream* os) {
    *os << c.name;
}

class AddressBookOpenFailureTest : public AddressBookTest,
                                   public ::testing::WithParamInterface<Failure> {};

TEST_P(AddressBookOpenFailureTest, StatusOtherThanSuccessFailsWithItsTextAndKeepsNoSession) {
    SetDllPath(QV_FAKE_WAB);
    FailCall(GetParam().call, GetParam().status, GetParam().after);
    {
        CAddressBook book;
        EXPECT_FALSE(book.Open(nullptr));
        EXPECT_EQ(book.TakeLastError(), GetParam().text);
        EXPECT_FALSE(book.m_pAddrBook);
        EXPECT_FALSE(book.m_pWabObject);
        EXPECT_EQ(State().objects, 0); // a warning's objects were given back
        std::string name;
        EXPECT_FALSE(book.LookupName(name, kNumber, "0"));
        EXPECT_EQ(book.TakeLastError(), "Error #80040605 (CdoE_NOT_INITIALIZED)");
    }
    EXPECT_EQ(State().objects, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, AddressBookOpenFailureTest,
    ::testing::Values(Failure{"LogonFailed", Call::WABOpen, 0, HRESULT(0x80040111u),
                              "Error #80040111 (CdoE_LOGON_FAILED)"},
                      Failure{"Warning", Call::WABOpen, 0, kWarning, kWarningText},
                      Failure{"OtherWarning", Call::WABOpen, 0, HRESULT(0x00040481u),
                              "Error #40481 (CdoW_POSITION_CHANGED)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AddressBookTest, OpenPassesTheParametersAndASecondOpenReusesTheLibrary) {
    SetDllPath(QV_FAKE_WAB);
    {
        CAddressBook book;
        ASSERT_TRUE(book.Open(nullptr)) << book.TakeLastError();
        EXPECT_EQ(book.TakeLastError(), "");
        EXPECT_TRUE(State().fileNameNull);
        EXPECT_EQ(State().paramSize, sizeof(WAB_PARAM));
        EXPECT_EQ(State().objects, 2);
        const HMODULE loaded = book.m_hLibrary;

        // Another path in the registry changes nothing now.
        SetDllPath(root_ + "/gone.so");
        char file[] = "contacts.vcf";
        ASSERT_TRUE(book.Open(file));
        EXPECT_EQ(book.m_hLibrary, loaded);
        EXPECT_FALSE(State().fileNameNull);
        EXPECT_EQ(State().Calls(Call::WABOpen), 2);
        EXPECT_EQ(State().objects, 2); // the first session was released

        book.ReleaseObjects();
        EXPECT_EQ(State().objects, 0);
        ASSERT_TRUE(book.Open(nullptr));
    }
    EXPECT_EQ(State().objects, 0);
}

// ---- Looking up ----

class AddressBookLookupTest : public AddressBookTest {
protected:
    void SetUp() override {
        AddressBookTest::SetUp();
        if (HasFatalFailure())
            return;
        SetDllPath(QV_FAKE_WAB);
        book_ = std::make_unique<CAddressBook>();
        ASSERT_TRUE(book_->Open(nullptr)) << book_->TakeLastError();
    }
    // Everything a lookup handed out came back, whatever it met; only the
    // session itself (the book and its memory services) stays until closed.
    void TearDown() override {
        if (state_) {
            EXPECT_EQ(state_->buffers, 0);
            EXPECT_EQ(state_->badFrees, 0);
            EXPECT_EQ(state_->objects, 2);
            book_.reset();
            EXPECT_EQ(state_->objects, 0);
        }
        AddressBookTest::TearDown();
    }

    // The library reads its contacts when the book opens.
    void Use(std::vector<Contact> contacts) {
        State().contacts = std::move(contacts);
        ASSERT_TRUE(book_->Open(nullptr)) << book_->TakeLastError();
    }

    // The name found for number, "<none>" for no match and "<failed: text>".
    std::string Find(const char* number, const char* prefix = "0") {
        std::string name = "stale";
        const BOOL found = book_->LookupName(name, number, prefix);
        const std::string error = book_->TakeLastError();
        if (!found)
            return "<failed: " + error + ">" + name;
        EXPECT_EQ(error, "");
        return name.empty() ? "<none>" : name;
    }

    std::unique_ptr<CAddressBook> book_;
};

TEST_F(AddressBookLookupTest, NumberStoredWithoutPrefixEndsTheSearchAtOnce) {
    Use({Person("International", "+49 30 1234567"), Person("Short", "30-1234567"),
         Person("Also Short", "30 1234567"), Person("Later", "030 1234567")});
    EXPECT_EQ(Find(kNumber), "Short");
    EXPECT_EQ(State().Calls(Call::OpenContact), 2);
    EXPECT_EQ(State().Calls(Call::QueryRows), 2);
}

TEST_F(AddressBookLookupTest, EqualPositionsKeepTheFirstInTableOrder) {
    Use({Person("Nobody", "040 555"), Person("First", "0 30 123 45 67"),
         Person("Second", "030/1234567", PR_MOBILE_TELEPHONE_NUMBER_A)});
    EXPECT_EQ(Find(kNumber), "First");
    EXPECT_EQ(State().Calls(Call::OpenContact), 3);
}

TEST_F(AddressBookLookupTest, AnyTextOfTheContactCounts) {
    // A five-digit caller is found inside a note, and the earliest position
    // over all texts decides.
    Contact office{"Office", {{PR_COMMENT_A, "D-10115"}, {PR_TITLE_A, "Main St 1"}}};
    Contact desk{"Desk", {{PR_TITLE_A, "ext. 10115"}, {PR_BUSINESS_TELEPHONE_NUMBER_A, "10115"}}};
    Use({office});
    EXPECT_EQ(Find("10115"), "Office");
    Use({office, desk});
    EXPECT_EQ(Find("10115"), "Desk");
    // The display name is a text like any other.
    Use({Contact{"Reception 0301234567", {}}});
    EXPECT_EQ(Find(kNumber), "Reception 0301234567");
}

TEST_F(AddressBookLookupTest, NoMatchIsSuccessWithoutName) {
    Use({Person("Other", "030 7654321"), Person("Partial", "030 12345")});
    EXPECT_EQ(Find(kNumber), "<none>");
    Use({});
    EXPECT_EQ(Find(kNumber), "<none>");
    State().nullRowSetAtEnd = true;
    EXPECT_EQ(Find(kNumber), "<none>");
}

TEST_F(AddressBookLookupTest, ListsAreNeverOpenedNorReturned) {
    Contact list = Person("Team 0301234567", "030 1234567");
    list.type = MAPI_DISTLIST;
    Use({list, Person("Member", "+49 30 1234567")});
    EXPECT_EQ(Find(kNumber), "Member");
    EXPECT_EQ(State().Calls(Call::OpenContact), 1);
}

TEST_F(AddressBookLookupTest, NumbersAreComparedByLettersAndDigitsOnly) {
    // Letters stay and are compared exactly; the prefix step leaves a
    // number that starts with a letter.
    Use({Person("Plain", "030 1234567"), Person("Lower", "call 030 1234567"),
         Person("Tagged", "Call: 030-1234567")});
    EXPECT_EQ(Find("Call 0301234567"), "Tagged");
    // Bytes beyond ASCII go, whatever they encode.
    Use({Person("Spaced", "030\xC2\xA0"
                          "1234567"),
         Person("Wide", "\xEF\xBC\x90\xEF\xBC\x93 30 1234567")});
    EXPECT_EQ(Find("0\xE2\x80\x8E"
                   "301234567"),
              "Wide");
}

TEST_F(AddressBookLookupTest, OnlyThePrefixsFirstCharacterIsStripped) {
    Use({Person("International", "+49 30 1234567"), Person("National", "030 1234567"),
         Person("Short", "30 1234567")});
    // Every leading "0" goes: "0049..." is "49...".
    EXPECT_EQ(Find("0049 30 1234567"), "International");
    EXPECT_EQ(Find(kNumber, "0X"), "Short");
    EXPECT_EQ(Find("00301234567", "0"), "Short");
    // Without a prefix the number stays whole.
    EXPECT_EQ(Find(kNumber, nullptr), "National");
    EXPECT_EQ(Find(kNumber, ""), "National");
    EXPECT_EQ(Find(kNumber, "9"), "National");
}

class AddressBookLookupFailureTest : public AddressBookLookupTest,
                                     public ::testing::WithParamInterface<Failure> {};

TEST_P(AddressBookLookupFailureTest, FailsWithTheStatusTextAndGivesEverythingBack) {
    const auto& c = GetParam();
    // The first contact matches before any later step can fail.
    Use({Person("Early", "+49 30 1234567"), Person("Late", "030 1234567")});
    FailCall(c.call, c.status, c.after);
    EXPECT_EQ(Find(kNumber), "<failed: " + c.text + ">");
    // One failing call does not spoil the session.
    EXPECT_EQ(Find(kNumber), "Late");
}

INSTANTIATE_TEST_SUITE_P(
    Calls, AddressBookLookupFailureTest,
    ::testing::Values(
        Failure{"GetPAB", Call::GetPAB, 0, MAPI_E_NOT_FOUND, "Error #8004010f (CdoE_NOT_FOUND)"},
        Failure{"GetPABWarning", Call::GetPAB, 0, kWarning, kWarningText},
        Failure{"OpenPab", Call::OpenPab, 0, MAPI_E_INVALID_ENTRYID,
                "Error #80040107 (CdoE_INVALID_ENTRYID)"},
        Failure{"OpenPabWarning", Call::OpenPab, 0, kWarning, kWarningText},
        Failure{"GetContentsTable", Call::GetContentsTable, 0, MAPI_E_NO_SUPPORT,
                "Error #80040102 (CdoE_NO_SUPPORT)"},
        Failure{"GetContentsTableWarning", Call::GetContentsTable, 0, kWarning, kWarningText},
        Failure{"SetColumns", Call::SetColumns, 0, HRESULT(0x80040118u),
                "Error #80040118 (CdoE_BAD_COLUMN)"},
        Failure{"SeekRow", Call::SeekRow, 0, MAPI_E_INVALID_BOOKMARK,
                "Error #80040405 (CdoE_INVALID_BOOKMARK)"},
        Failure{"FirstQueryRows", Call::QueryRows, 0, MAPI_E_CORRUPT_DATA,
                "Error #8004011b (CdoE_CORRUPT_DATA)"},
        Failure{"LaterQueryRows", Call::QueryRows, 1, HRESULT(0x80040401u),
                "Error #80040401 (CdoE_TIMEOUT)"},
        Failure{"QueryRowsWarning", Call::QueryRows, 1, kWarning, kWarningText},
        Failure{"OpenContact", Call::OpenContact, 1, HRESULT(0x8004010Au),
                "Error #8004010a (CdoE_OBJECT_DELETED)"},
        Failure{"OpenContactWarning", Call::OpenContact, 0, kWarning, kWarningText},
        Failure{"GetProps", Call::GetProps, 1, MAPI_E_CORRUPT_DATA,
                "Error #8004011b (CdoE_CORRUPT_DATA)"},
        Failure{"GetPropsWarning", Call::GetProps, 0, kWarning, kWarningText}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AddressBookLookupTest, OddRowsNeitherCrashNorMatch) {
    std::vector<Contact> contacts;
    for (RowShape shape : {RowShape::OneColumn, RowShape::NoProps, RowShape::EntryIdAsLong,
                           RowShape::EmptyEntryId, RowShape::TypeMissing}) {
        contacts.push_back(Person("Odd 0301234567", "030 1234567"));
        contacts.back().row = shape;
    }
    Use(contacts);
    EXPECT_EQ(Find(kNumber), "<none>");
    EXPECT_EQ(State().Calls(Call::OpenContact), 0);

    // A well-formed contact after them is still found, unless its texts
    // come as null pointers.
    contacts.push_back(Person("Proper", "030 1234567"));
    Use(contacts);
    EXPECT_EQ(Find(kNumber), "Proper");
    State().nullTexts = true;
    EXPECT_EQ(Find(kNumber), "<none>");
}

TEST_F(AddressBookLookupTest, AContactWithoutANameMatchesWithAnEmptyName) {
    // Only a number: searched like every contact, so a contact that matched
    // worse, before or after it, is not named instead.
    for (RowShape shape : {RowShape::Normal, RowShape::NullName}) {
        Contact nameless = Person("", "030 1234567");
        nameless.row = shape;
        Use({Person("Worse", "+49 30 1234567"), nameless, Person("Later", "0049 30 1234567")});
        EXPECT_EQ(Find(kNumber), "<none>");
        Use({nameless, Person("Better", "30 1234567")});
        EXPECT_EQ(Find(kNumber), "Better");
    }
}

TEST_F(AddressBookLookupTest, EntryIdTheLibraryRejectsFailsTheLookup) {
    Contact odd = Person("Odd", "030 1234567");
    odd.row = RowShape::BadEntryId;
    Use({odd});
    EXPECT_EQ(Find(kNumber), "<failed: Error #80040107 (CdoE_INVALID_ENTRYID)>");
}

} // namespace
