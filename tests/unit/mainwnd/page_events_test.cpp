// The main browser's page events: display rows out of the poll frame's
// scripts, self-navigation turned into a reload, the title, the console's
// buttons and the page closing the window.
#include "console_fixture.h"

namespace {

using namespace qv::systest;

using Rows = std::vector<std::pair<std::string, std::string>>;

class PageEventsTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        poll = top->AddFrame("poll");
    }
    // A poll frame page with these scripts, loaded.
    std::vector<std::shared_ptr<SimElement>> LoadScripts(std::vector<std::string> texts,
                                                         SimBrowser* frame = nullptr) {
        auto page = SimDocument::Create("http://10.1.2.3/poll.asp?t=1");
        std::vector<std::shared_ptr<SimElement>> scripts;
        for (auto& text : texts) {
            scripts.push_back(SimElement::Script(std::move(text)));
            page->Add(SimElement::Other("div")).Add(scripts.back());
        }
        (frame ? frame : poll)->Load(page);
        return scripts;
    }
    SimBrowser* poll = nullptr;
};

const std::string kRow1 = "top.vp_disp.document.display.row1.value";
const std::string kRow2 = "top.vp_disp.document.display.row2.value";

TEST_F(PageEventsTest, PollScriptHandsItsRowsOverAndLosesItsFocusRequest) {
    auto scripts = LoadScripts({PollScript("0301234567", "Incoming call")});
    EXPECT_EQ(dialog().rows, (Rows{{"0301234567", "Incoming call"}}));
    EXPECT_EQ(scripts[0]->Text(), "top.vp_disp.document.display.row1.value='0301234567';\n"
                                  "top.vp_disp.document.display.row2.value='Incoming call';\n;");
}

TEST_F(PageEventsTest, FocusRequestAloneHandsOverTwoEmptyRows) {
    LoadScripts({"if(x)top.focus();"});
    LoadScripts({kRow1 + "='" + "0301';top.focus()"});
    EXPECT_EQ(dialog().rows, (Rows{{"", ""}, {"0301", ""}}));
}

TEST_F(PageEventsTest, RowsWithoutAFocusRequestAreLeftAloneAndHandNothingOver) {
    const std::string text = kRow1 + "='0301';" + kRow2 + "='Call'; top.focus ();";
    auto scripts = LoadScripts({text});
    EXPECT_EQ(scripts[0]->Text(), text);
    EXPECT_TRUE(sim.Log().Matching("text(").empty());
    EXPECT_TRUE(dialog().rows.empty());
}

TEST_F(PageEventsTest, LastScriptWithATargetDecidesThatRowAndOneCallFollows) {
    LoadScripts({kRow1 + "='first';" + kRow2 + "='title';top.focus();",
                 kRow1 + "='second';top.focus();", kRow1 + "='no focus, ignored';",
                 "top.focus();"});
    EXPECT_EQ(dialog().rows, (Rows{{"second", "title"}}));
    // The next poll starts afresh.
    LoadScripts({kRow2 + "='only row 2';top.focus();"});
    EXPECT_EQ(dialog().rows.back(), (std::pair<std::string, std::string>{"", "only row 2"}));
}

TEST_F(PageEventsTest, RowsWithMissingQuotes) {
    // No quote after the target: empty. The first quote after it opens the
    // row even when it belongs to a later statement; unclosed runs to the end.
    LoadScripts({kRow2 + "='title';top.focus();" + kRow1 + "=caller;"});
    LoadScripts({"top.focus();" + kRow1 + "=caller;" + kRow2 + "='open to the end"});
    EXPECT_EQ(dialog().rows, (Rows{{"", "title"}, {"open to the end", "open to the end"}}));
}

TEST_F(PageEventsTest, FailedWriteBackHandsNothingOverUnlessAnotherScriptTookIt) {
    auto page = SimDocument::Create("http://10.1.2.3/poll.asp");
    auto locked = SimElement::Script(PollScript("0301", "Call"));
    locked->FailWrites();
    page->Add(locked);
    poll->Load(page);
    EXPECT_TRUE(dialog().rows.empty());

    page->Add(SimElement::Script("top.focus();"));
    poll->FireNavigateComplete2("again");
    EXPECT_EQ(dialog().rows, (Rows{{"0301", "Call"}}));
}

TEST_F(PageEventsTest, ScriptAssigningTheTopAddressBecomesAReload) {
    top->SetDocument(SimDocument::Create("http://10.1.2.3:8080/app-main.asp?app=3", "Console"));
    const std::string self = "x=1;top.location.href = '/app-main.asp?app=3';";
    const struct {
        std::string text;
        bool reload;
    } cases[] = {
        {self, true},
        {"top.location.href=\"http://10.1.2.3:8080/app-main.asp?app=3\"", true},
        {"\ttop.location.href='/app-main.asp?app=3'", true},
        {"x=1;top.location.href='/app-main.asp?app=4';", false},
        {"x=1;top.location.href='/other.asp';", false},
        {"x=1;mytop.location.href='/app-main.asp?app=3';", false},
        {"x=1;top.location.href='http://10.1.2.3/app-main.asp?app=3';", false},
    };
    for (const auto& c : cases) {
        auto scripts = LoadScripts({c.text});
        if (c.reload) {
            const auto p = c.text.find("top.location.href");
            EXPECT_EQ(scripts[0]->Text(),
                      c.text.substr(0, p) + "if(1)top.location.reload();else " + c.text.substr(p));
        } else {
            EXPECT_EQ(scripts[0]->Text(), c.text);
        }
    }
    // A target without "?" is left alone even when it is the address.
    top->SetDocument(SimDocument::Create("http://10.1.2.3/main.asp"));
    EXPECT_EQ(LoadScripts({"top.location.href='/main.asp'"})[0]->Text(),
              "top.location.href='/main.asp'");
    EXPECT_TRUE(dialog().rows.empty());
}

TEST_F(PageEventsTest, SeveralMegabyteScriptAndTenThousandCharacterRows) {
    const std::string longRow(10000, '4');
    std::string big = kRow1 + "='" + longRow + "';" + kRow2 + "='x" + std::string(3 << 20, 'y');
    big += "top.focus();";
    auto scripts = LoadScripts({big});
    ASSERT_EQ(dialog().rows.size(), 1u);
    EXPECT_EQ(dialog().rows[0].first, longRow.substr(0, 1024));
    EXPECT_EQ(dialog().rows[0].second.size(), 1024u);
    EXPECT_EQ(scripts[0]->Text().size(), big.size() - 11);
}

TEST_F(PageEventsTest, TitleComesFromTheTopDocumentOnly) {
    top->AddFrame("menu")->Load(SimDocument::Create("http://10.1.2.3/menu.asp", "Menu"));
    std::string title;
    dialog().GetWindowText(title);
    EXPECT_EQ(title, "Quorvia Browser");
    top->Load(SimDocument::Create(kConsole, "PABX Console"));
    dialog().GetWindowText(title);
    EXPECT_EQ(title, "PABX Console");
    top->Load(SimDocument::Create(kConsole, ""));
    dialog().GetWindowText(title);
    EXPECT_EQ(title, "PABX Console");
}

TEST_F(PageEventsTest, ConsoleButtonsExitConfigurationAndHelp) {
    EXPECT_TRUE(top->FireBeforeNavigate2("javascript:bttnVphoneExit();void(0)"));
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, dialog().m_hWnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(dialog().m_nNavButton, 0);

    EXPECT_FALSE(top->FireBeforeNavigate2("javascript:bttnConfig()"));
    EXPECT_EQ(dialog().m_nNavButton, 2);
    EXPECT_FALSE(poll->FireBeforeNavigate2("javascript:bttnHelp()"));
    EXPECT_EQ(dialog().m_nNavButton, 1);
    for (const char* url :
         {"javascript:bttnConfig", "http://10.1.2.3/help.asp", "JAVASCRIPT:bttnVphoneExit()", ""}) {
        EXPECT_FALSE(top->FireBeforeNavigate2(url)) << url;
        EXPECT_EQ(dialog().m_nNavButton, 0) << url;
    }
    EXPECT_FALSE(::PeekMessageA(&msg, dialog().m_hWnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
    // New windows are not taken over yet: the control's own handling.
    const auto answer = top->FireNewWindow2();
    EXPECT_FALSE(answer.cancel);
    EXPECT_FALSE(answer.window);
}

TEST_F(PageEventsTest, PageClosingTheWindowEndsItWithoutLogout) {
    auto link = SimElement::Anchor("javascript:bttnLogout()");
    dialog().m_pLogoutElement = LoneElement(link);
    EXPECT_FALSE(top->FireWindowClosing(true));
    EXPECT_FALSE(dialog().m_bClosing);
    EXPECT_TRUE(sim.Shell().IconShown());

    EXPECT_TRUE(top->FireWindowClosing(false));
    EXPECT_TRUE(dialog().m_bClosing);
    EXPECT_EQ(link->Clicks(), 0);
    EXPECT_FALSE(dialog().m_pLogoutElement);
    EXPECT_FALSE(sim.Shell().IconShown());
    EXPECT_EQ(dialog().m_nTimerId, 0u);
}

} // namespace
