// The program's own code on the simulated desktop: a private settings
// folder, the real resources, English texts, the program's control site.
#pragma once

#include "app/browser_app.h"
#include "app/custom_occ_manager.h"
#include "backend/sim/sim_platform.h"
#include "mainwnd/browser_dlg.h"
#include "platform/module/module.h"
#include "rc/embedded.h"
#include "rc/resource.h"
#include "settings/settings.h"
#include "support/support.h"

#include <string>

namespace qv::systest {

inline constexpr const char* kExePath = "/opt/quorvia/quorvia";

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

    qv::sim::SimBrowser* BrowserOf(const CWnd& dialog) {
        return sim.Windows().Browser(::GetDlgItem(dialog.m_hWnd, IDC_EXPLORER));
    }
    std::vector<std::string> Navigations() { return sim.Log().Matching("Navigate("); }

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

    // Dispatches what is waiting, as the modal loop would between waits.
    static void DispatchPending() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!AfxPumpMessage())
                break;
        }
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
        return configurationAnswer;
    }
    std::vector<std::pair<std::string, std::string>> rows;
    int configurations = 0;
    BOOL configurationAnswer = FALSE;
};

} // namespace qv::systest
