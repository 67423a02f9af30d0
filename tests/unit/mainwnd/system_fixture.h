// The program's own code on the simulated desktop: a private settings
// folder, the real resources, English texts, the program's control site;
// builders for the pages the console shows.
#pragma once

#include "app/browser_app.h"
#include "app/custom_occ_manager.h"
#include "backend/sim/sim_platform.h"
#include "console/pump_messages.h"
#include "mainwnd/browser_dlg.h"
#include "platform/module/module.h"
#include "rc/embedded.h"
#include "rc/resource.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "support/support.h"

#include <optional>
#include <string>

namespace qv::systest {

using qv::com::ComPtr;
using qv::sim::LoneElement;
using qv::sim::SimBrowser;
using qv::sim::SimDocument;
using qv::sim::SimElement;

inline constexpr const char* kExePath = "/opt/quorvia/quorvia";
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

class SystemTest : public qv::test::ConfigHomeTest {
protected:
    void SetUp() override {
        qv::platform::SetModuleFileNameForTesting(kExePath);
        static HINSTANCE resources = qv::res::InstallEmbeddedResources(kExePath);
        ASSERT_NE(resources, nullptr);
        SetSettingsCompany("Belmar");
    }
    void TearDown() override { qv::platform::SetModuleFileNameForTesting(""); }

    // A configured user, so the window logs in at start.
    static void Configure(const char* address = "10.1.2.3", const char* user = "alice") {
        WriteSettingString(nullptr, "Adrs", address);
        WriteSettingString(nullptr, "User", user);
    }
    static int Setting(const char* name) { return GetSettingInt(nullptr, name, -12345); }

    SimBrowser* BrowserOf(const CWnd& dialog) {
        return sim.Windows().Browser(::GetDlgItem(dialog.m_hWnd, IDC_EXPLORER));
    }
    std::vector<std::string> Navigations() { return sim.Log().Matching("Navigate("); }
    // The top-level windows holding this control (only the shown ones if visible).
    std::vector<HWND> WindowsWith(int control, bool visible = false) {
        std::vector<HWND> found;
        for (HWND hwnd : sim.Windows().Tree().TopLevel())
            if (::GetDlgItem(hwnd, control) && (!visible || ::IsWindowVisible(hwnd)))
                found.push_back(hwnd);
        return found;
    }

    qv::test::ScopedLocale locale_{"en_US.UTF-8"};
    qv::sim::SimPlatform sim;
};

// The main window on its own, with the program's control site and an
// application object with its external object.
class MainWindowTest : public SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        AfxEnableControlContainer(std::make_unique<CCustomOccManager>());
        app.m_pExternal = std::make_unique<CCtiExternal>();
    }
    void TearDown() override {
        app.m_pMainWnd = nullptr;
        SystemTest::TearDown();
    }

    // Created modeless, so a test can call into it between messages.
    template <class Dialog> void Open(Dialog& dialog) {
        app.m_pMainWnd = &dialog;
        ASSERT_TRUE(dialog.Create(IDD_BROWSER_DIALOG));
    }

    // Logged in with a logout link whose page takes it back answerMs after
    // the click; without a time it never does.
    std::shared_ptr<SimElement> LogIn(CBrowserDlg& dialog,
                                      std::optional<std::uint64_t> answerMs = 300) {
        auto link = SimElement::Anchor("javascript:bttnVphoneLogout();");
        if (answerMs) {
            link->OnClick([this, &dialog, answerMs] {
                sim.Clock().After(*answerMs, [&dialog] { dialog.m_pLogoutElement.reset(); });
            });
        }
        dialog.m_pLogoutElement = LoneElement(link);
        dialog.m_bLoginPending = FALSE;
        dialog.UpdateLoginState(nullptr);
        return link;
    }

    CBrowserApp app;
};

// Records what the announcement and the configuration receive.
class RecordingDlg : public CBrowserDlg {
public:
    void OnDisplayRows(std::string row1, std::string row2) override {
        rows.emplace_back(std::move(row1), std::move(row2));
        CBrowserDlg::OnDisplayRows(rows.back().first, rows.back().second);
    }
    BOOL EditConfiguration() override {
        ++configurations;
        return realConfiguration ? CBrowserDlg::EditConfiguration() : configurationAnswer;
    }
    std::vector<std::pair<std::string, std::string>> rows;
    int configurations = 0;
    BOOL configurationAnswer = FALSE;
    bool realConfiguration = false; // the dialog itself instead of the answer
};

// A configured window that has asked for the console (a login is pending).
class WindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Configure();
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
    std::shared_ptr<SimElement> LogIn(std::optional<std::uint64_t> answerMs = 300) {
        return MainWindowTest::LogIn(dialog(), answerMs);
    }

    std::unique_ptr<RecordingDlg> owned; // made once the resources are installed
    SimBrowser* top = nullptr;
};

} // namespace qv::systest
