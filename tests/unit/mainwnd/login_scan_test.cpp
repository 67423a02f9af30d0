// One scan of a document per mode: the login form and its filling, the
// logout link, the terminal list, and documents that cannot be read.
#include "system_fixture.h"

namespace {

using namespace qv::systest;

std::shared_ptr<SimDocument> Page(std::vector<std::shared_ptr<SimElement>> elements) {
    auto page = SimDocument::Create("http://10.1.2.3/login.asp");
    for (auto& element : elements)
        page->Add(std::move(element));
    return page;
}

class ScanTest : public WindowTest {
protected:
    BOOL Scan(const std::shared_ptr<SimDocument>& page, ScanMode mode) {
        page->SetLog(sim.SharedLog());
        return dialog().ScanDocument(page->Object(), mode);
    }
};

TEST_F(ScanTest, LoginFormIsBothFieldsFollowedByASubmitButton) {
    auto un = [] { return SimElement::InputText("un"); };
    auto pw = [] { return SimElement::InputText("pw"); };
    auto submit = [] { return SimElement::InputButton("submit"); };
    auto bare = [] {
        auto e = SimElement::InputButton("submit");
        e->WithoutHtmlElement();
        return e;
    };
    const struct {
        const char* name;
        std::vector<std::shared_ptr<SimElement>> elements;
        BOOL form;
    } cases[] = {
        {"fields then submit", {un(), pw(), submit()}, TRUE},
        {"fields in either order", {pw(), SimElement::Other("br"), un(), submit()}, TRUE},
        {"submit first", {submit(), un(), pw()}, FALSE},
        {"submit between", {un(), submit(), pw()}, FALSE},
        {"user field only", {un(), submit()}, FALSE},
        {"plain button", {un(), pw(), SimElement::InputButton("button")}, FALSE},
        {"names are case-sensitive", {SimElement::InputText("UN"), pw(), submit()}, FALSE},
        {"a text input called submit", {un(), pw(), SimElement::InputText("submit")}, FALSE},
        {"submit without an element interface", {un(), pw(), bare()}, FALSE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Scan(Page(c.elements), SCAN_LOGIN_DETECT), c.form) << c.name;
    }
    // Detecting writes and presses nothing and takes no time.
    EXPECT_EQ(sim.Clock().Now(), 0u);
    EXPECT_TRUE(sim.Log().Matching("value(").empty());
    EXPECT_TRUE(sim.Log().Matching("click(").empty());
}

TEST_F(ScanTest, FillWritesTheFieldsAndPressesEverySubmitAfterThemEachAfterAPause) {
    auto early = SimElement::InputButton("submit", "early");
    auto un = SimElement::InputText("un", "guest");
    auto first = SimElement::InputButton("submit", "first");
    auto second = SimElement::InputButton("submit", "second");
    std::vector<std::uint64_t> clicks;
    for (auto* button : {&first, &second})
        (*button)->OnClick([&] { clicks.push_back(sim.Clock().Now()); });
    std::string userDuringPause = "?";
    sim.Clock().After(50, [&] { userDuringPause = un->Value(); });

    EXPECT_TRUE(
        Scan(Page({early, un, SimElement::InputText("pw"), first, second}), SCAN_LOGIN_FILL));
    EXPECT_EQ(userDuringPause, ""); // emptied before the name goes in
    EXPECT_EQ(sim.Log().Matching("value("),
              (std::vector<std::string>{"value(input:un) = \"\"", "value(input:un) = \"alice\"",
                                        "value(input:pw) = \"s3cret\""}));
    EXPECT_EQ(clicks, (std::vector<std::uint64_t>{300, 400}));
    EXPECT_EQ(early->Clicks(), 0);

    // Empty stored credentials go in as they are.
    dialog().m_strUser.clear();
    dialog().m_strPassword.clear();
    auto again = Page({SimElement::InputText("un", "x"), SimElement::InputText("pw", "y"),
                       SimElement::InputButton("submit")});
    EXPECT_TRUE(Scan(again, SCAN_LOGIN_FILL));
    EXPECT_EQ(again->Elements()[0]->Value(), "");
    EXPECT_EQ(again->Elements()[1]->Value(), "");
    EXPECT_EQ(again->Elements()[2]->Clicks(), 1);
}

TEST_F(ScanTest, LastMatchingLogoutLinkIsHeldAndPrefixesAreExact) {
    auto vphone = SimElement::Anchor("javascript:bttnVphoneLogout();top.x()");
    auto plain = SimElement::Anchor("javascript:bttnLogout();");
    auto page = Page({vphone, plain, SimElement::Anchor("javascript:bttnVphoneLogout()"),
                      SimElement::Anchor("x javascript:bttnLogout()"),
                      SimElement::Anchor("JAVASCRIPT:bttnLogout()"),
                      SimElement::InputText("javascript:bttnLogout()")});
    EXPECT_TRUE(Scan(page, SCAN_LOGOUT_LINK));
    EXPECT_EQ(dialog().m_pLogoutElement, page->Element(1));
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged in");

    auto alone = Page({vphone});
    EXPECT_TRUE(Scan(alone, SCAN_LOGOUT_LINK));
    EXPECT_EQ(dialog().m_pLogoutElement, alone->Element(0));
    // A page without a link leaves the held one alone ...
    EXPECT_FALSE(Scan(Page({SimElement::Anchor("javascript:bttnVphoneLogou")}), SCAN_LOGOUT_LINK));
    EXPECT_EQ(dialog().m_pLogoutElement, alone->Element(0));
    // ... one that cannot be held replaces it with nothing.
    auto unusable = SimElement::Anchor("javascript:bttnLogout()");
    unusable->WithoutHtmlElement();
    EXPECT_FALSE(Scan(Page({unusable}), SCAN_LOGOUT_LINK));
    EXPECT_FALSE(dialog().m_pLogoutElement);
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
}

TEST_F(ScanTest, TerminalListMustOfferExactlyTheEmptyOption) {
    const struct {
        std::shared_ptr<SimElement> element;
        BOOL empty;
    } cases[] = {
        {SimElement::Select("terminal", "empty", 1), TRUE},
        {SimElement::Select("terminal", "empty", 2), FALSE},
        {SimElement::Select("terminal", "empty", 5000), FALSE},
        {SimElement::Select("terminal", "0", 1), FALSE},
        {SimElement::Select("terminal", "empty", 0), FALSE},
        {SimElement::Select("Terminal", "empty", 1), FALSE},
        {SimElement::InputText("terminal", "empty"), FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Scan(Page({SimElement::Other("p"), c.element}), SCAN_TERMINAL_LIST), c.empty);
}

TEST_F(ScanTest, UnreadableDocumentsAreNothingInEveryMode) {
    auto broken = LoggedInPage();
    broken->FailAll();
    auto element = LoneElement(SimElement::Anchor("javascript:bttnLogout()"));
    dialog().m_strRow1 = "old";
    dialog().m_strRow2 = "old";
    for (ScanMode mode :
         {SCAN_LOGIN_DETECT, SCAN_LOGIN_FILL, SCAN_LOGOUT_LINK, SCAN_SCRIPTS, SCAN_TERMINAL_LIST}) {
        EXPECT_FALSE(Scan(broken, mode)) << mode;
        EXPECT_FALSE(dialog().ScanDocument(element.get(), mode)) << mode;
        EXPECT_FALSE(dialog().ScanDocument(nullptr, mode)) << mode;
    }
    EXPECT_FALSE(dialog().m_pLogoutElement);
    // The script scan empties the rows whatever it finds.
    EXPECT_EQ(dialog().m_strRow1, "");
    EXPECT_EQ(dialog().m_strRow2, "");
}

TEST_F(ScanTest, FiftyThousandElementsAreAllVisitedWithBoundedPauses) {
    std::vector<std::shared_ptr<SimElement>> elements;
    elements.push_back(SimElement::InputText("un"));
    elements.push_back(SimElement::InputText("pw"));
    std::vector<std::shared_ptr<SimElement>> links;
    while (elements.size() < 50000) {
        elements.push_back(SimElement::InputButton("submit"));
        links.push_back(SimElement::Anchor("javascript:bttnLogout()"));
        elements.push_back(links.back());
    }
    auto page = Page(elements);
    EXPECT_TRUE(Scan(page, SCAN_LOGIN_DETECT));
    EXPECT_TRUE(Scan(page, SCAN_LOGOUT_LINK));
    EXPECT_EQ(dialog().m_pLogoutElement, page->Element(elements.size() - 1));
    // One tip change for the whole page, not two per link.
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY, size=488, flags=NIF_TIP"), 1u);

    // A page of submit buttons gets a bounded number of presses: 2 fields
    // and 14 buttons, 100 ms each, not 25,000 pauses.
    EXPECT_TRUE(Scan(page, SCAN_LOGIN_FILL));
    EXPECT_EQ(sim.Clock().Now(), 1600u);
    EXPECT_EQ(sim.Log().Count("click("), 14u);
    EXPECT_EQ(elements[0]->Value(), "alice");
}

} // namespace
