// The main window against simulated console pages: builders for the pages
// the console shows and a window that has navigated to it.
#pragma once

#include "console/pump_messages.h"
#include "settings/scramble.h"
#include "system_fixture.h"

namespace qv::systest {

using qv::com::ComPtr;
using qv::sim::LoneElement;
using qv::sim::SimBrowser;
using qv::sim::SimDocument;
using qv::sim::SimElement;

inline constexpr const char* kConsole = "http://10.1.2.3/app-main.asp?app=3";

inline std::shared_ptr<SimDocument>
LoginPage(const std::string& href = "http://10.1.2.3/login.asp") {
    auto page = SimDocument::Create(href, "Login");
    page->Add(SimElement::InputText("un", "guest"))
        .Add(SimElement::InputText("pw"))
        .Add(SimElement::InputButton("submit"));
    return page;
}

inline std::shared_ptr<SimDocument> LoggedInPage(const std::string& href = kConsole) {
    auto page = SimDocument::Create(href, "Console");
    page->Add(SimElement::Anchor("javascript:bttnVphoneExit()"))
        .Add(SimElement::Anchor("javascript:bttnVphoneLogout();"));
    return page;
}

inline std::shared_ptr<SimDocument> TerminalPage(std::string value = "empty", LONG options = 1) {
    auto page = SimDocument::Create("http://10.1.2.3/terminal.asp");
    page->Add(SimElement::Select("terminal", std::move(value), options));
    return page;
}

inline std::string PollScript(const std::string& row1, const std::string& row2) {
    return "top.vp_disp.document.display.row1.value='" + row1 +
           "';\ntop.vp_disp.document.display.row2.value='" + row2 + "';\ntop.focus();";
}

inline std::shared_ptr<SimDocument> PollPage(const std::string& row1, const std::string& row2) {
    auto page = SimDocument::Create("http://10.1.2.3/poll.asp?t=1");
    page->Add(SimElement::Other("head")).Add(SimElement::Script(PollScript(row1, row2)));
    return page;
}

// A configured window that has asked for the console (a login is pending).
class ConsoleTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Configure("10.1.2.3", "alice");
        WriteScrambledSetting(nullptr, "Pass", "s3cret", kPasswordSeed);
        owned = std::make_unique<RecordingDlg>();
        Open(*owned);
        top = BrowserOf(dialog());
        sim.Log().Clear();
    }
    void TearDown() override {
        ::DestroyWindow(owned->m_hWnd);
        owned.reset();
        MainWindowTest::TearDown();
    }
    RecordingDlg& dialog() { return *owned; }
    // Lets the scheduled page events and the timer run.
    void Wait(DWORD ms) { PumpMessagesFor(ms); }

    std::unique_ptr<RecordingDlg> owned; // made once the resources are installed
    SimBrowser* top = nullptr;
};

} // namespace qv::systest
