// The main browser's page events: display rows out of the poll frame's
// scripts, self-navigation turned into a reload, the title and the
// console's buttons.
#include "system_fixture.h"

namespace {

using namespace qv::systest;

using Rows = std::vector<std::pair<std::string, std::string>>;

class PageEventsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        poll = top->AddFrame("poll");
    }
    // A poll frame page with these scripts, loaded.
    std::vector<std::shared_ptr<SimElement>> LoadScripts(std::vector<std::string> texts) {
        auto page = SimDocument::Create("http://10.1.2.3/poll.asp?t=1");
        std::vector<std::shared_ptr<SimElement>> scripts;
        for (auto& text : texts) {
            scripts.push_back(SimElement::Script(std::move(text)));
            page->Add(SimElement::Other("div")).Add(scripts.back());
        }
        poll->Load(page);
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

TEST_F(PageEventsTest, EachPollWithAFocusRequestHandsOverTheLastRowsItsScriptsSet) {
    // Without a focus request the rows are left alone and nothing is handed over.
    const std::string unasked = kRow1 + "='0301';" + kRow2 + "='Call'; top.focus ();";
    EXPECT_EQ(LoadScripts({unasked})[0]->Text(), unasked);
    EXPECT_TRUE(sim.Log().Matching("text(").empty());
    EXPECT_TRUE(dialog().rows.empty());

    LoadScripts({"if(x)top.focus();"});
    LoadScripts({kRow1 + "='first';" + kRow2 + "='title';top.focus();",
                 kRow1 + "='second';top.focus();", kRow1 + "='no focus, ignored';",
                 "top.focus();"});
    LoadScripts({kRow2 + "='only row 2';top.focus();"}); // each poll starts afresh
    EXPECT_EQ(dialog().rows, (Rows{{"", ""}, {"second", "title"}, {"", "only row 2"}}));
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
        {"x=1;top.location.href='/app-main.asp?app=4';", false},
        {"x=1;top.location.href='/other.asp';", false},
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
}

} // namespace
