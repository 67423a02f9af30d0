// The console automation on the simulated backend: a poll frame's
// navigate-complete up to the announcement decision, and one scan of a
// 2,000-element console page in each mode. Each reports the median time
// of one call (median_us) besides the mean.
#include "app/browser_app.h"
#include "app/custom_occ_manager.h"
#include "backend/sim/sim_platform.h"
#include "mainwnd/browser_dlg.h"
#include "platform/module/module.h"
#include "rc/embedded.h"
#include "rc/resource.h"
#include "settings/settings.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

using qv::com::ComPtr;
using qv::sim::SimBrowser;
using qv::sim::SimDocument;
using qv::sim::SimElement;
using Clock = std::chrono::steady_clock;

// The program's window on the simulated desktop, logged in to the console.
struct Desktop {
    Desktop() {
        char pattern[] = "/tmp/qv-bench-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        root = pattern;
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        ::setenv("LC_ALL", "en_US.UTF-8", 1);
        qv::platform::SetModuleFileNameForTesting("/opt/quorvia/quorvia");
        if (!qv::res::InstallEmbeddedResources("/opt/quorvia/quorvia"))
            std::abort();
        SetSettingsCompany("Belmar");
        WriteSettingString(nullptr, "Adrs", "10.1.2.3");
        WriteSettingString(nullptr, "User", "alice");
        AfxEnableControlContainer(std::make_unique<CCustomOccManager>());
        app.m_pExternal = std::make_unique<CCtiExternal>();
        dialog = std::make_unique<CBrowserDlg>();
        app.m_pMainWnd = dialog.get();
        if (!dialog->Create(IDD_BROWSER_DIALOG))
            std::abort();
        top = sim.Windows().Browser(::GetDlgItem(dialog->m_hWnd, IDC_EXPLORER));
        poll = top->AddFrame("poll");
    }
    ~Desktop() {
        ::DestroyWindow(dialog->m_hWnd);
        dialog.reset();
        app.m_pMainWnd = nullptr;
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::string root;
    qv::sim::SimPlatform sim;
    CBrowserApp app;
    std::unique_ptr<CBrowserDlg> dialog;
    SimBrowser* top = nullptr;
    SimBrowser* poll = nullptr;
};

Desktop& TheDesktop() {
    static Desktop desktop;
    return desktop;
}

// What the console's poll frame carries: a little markup and the script
// that writes the display rows and asks for the focus.
std::shared_ptr<SimDocument> PollFrame(const std::string& row1, const std::string& row2) {
    auto page = SimDocument::Create("http://10.1.2.3/vp_poll.asp?ts=1733500000", "poll");
    for (const char* tag : {"html", "head", "meta", "title", "body", "form"})
        page->Add(SimElement::Other(tag));
    page->Add(SimElement::InputText("state", "idle")).Add(SimElement::InputText("seq", "4711"));
    page->Add(SimElement::Script(
        "var seq=4711;\nfunction upd(){\n"
        " if(top.vp_disp && top.vp_disp.document && top.vp_disp.document.display){\n"
        "  top.vp_disp.document.display.row1.value='" +
        row1 + "';\n  top.vp_disp.document.display.row2.value='" + row2 +
        "';\n }\n}\nupd();\ntop.focus();\nsetTimeout('location.reload()',3000);\n"));
    return page;
}

void Report(benchmark::State& state, std::vector<double>& seconds) {
    if (seconds.empty())
        return;
    std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
    state.counters["median_us"] = seconds[seconds.size() / 2] * 1e6;
}

// From the poll frame's snapshot (NavigateComplete2) to the end of the
// announcement decision. range(0): 0 idle display, 1 a call raising the
// hidden window, 2 a call shown as a balloon.
void BM_PollToAnnouncement(benchmark::State& state) {
    Desktop& d = TheDesktop();
    CBrowserDlg& dialog = *d.dialog;
    const int kind = static_cast<int>(state.range(0));
    dialog.m_bTooltip = kind == 2;
    dialog.m_nTimeout = 5;
    std::vector<double> seconds;
    for (auto _ : state) {
        // A fresh snapshot and the window back in the notification area.
        d.poll->SetDocument(kind == 0 ? PollFrame("", "") : PollFrame("0301234567", "Call"));
        dialog.m_nPopupState = 0;
        dialog.m_nPopupCountdown = 0;
        dialog.m_strLastInfo.clear();
        if (kind == 1) {
            dialog.ShowWindow(SW_MINIMIZE);
            dialog.SendMessage(WM_KICKIDLE);
        }
        d.sim.Log().Clear();

        const auto start = Clock::now();
        d.poll->FireNavigateComplete2("http://10.1.2.3/vp_poll.asp?ts=1733500000");
        const std::chrono::duration<double> took = Clock::now() - start;
        state.SetIterationTime(took.count());
        seconds.push_back(took.count());
    }
    Report(state, seconds);
}
BENCHMARK(BM_PollToAnnouncement)->Arg(0)->Arg(1)->Arg(2)->UseManualTime();

// A console page of 2,000 elements: frames of markup, a button bar, the
// display form, a few scripts, the logout link, the terminal list and
// (for the fill) the login form at its end.
std::shared_ptr<SimDocument> ConsolePage() {
    auto page = SimDocument::Create("http://10.1.2.3/app-main.asp?app=3", "Console");
    const char* tags[] = {"div", "span", "td", "tr", "img", "br", "p", "table"};
    int n = 0;
    while (page->Elements().size() < 2000 - 12) {
        const int i = n++;
        if (i % 97 == 0)
            page->Add(SimElement::Script("function f" + std::to_string(i) +
                                         "(){document.title='x';return " + std::to_string(i) +
                                         ";}\nvar q=top.location.search;"));
        else if (i % 41 == 0)
            page->Add(SimElement::Anchor("javascript:bttnKey(" + std::to_string(i % 12) + ")"));
        else if (i % 53 == 0)
            page->Add(SimElement::InputButton("button", "key" + std::to_string(i)));
        else if (i % 61 == 0)
            page->Add(SimElement::InputText("field" + std::to_string(i), "v"));
        else
            page->Add(SimElement::Other(tags[i % 8]));
    }
    page->Add(SimElement::Anchor("javascript:bttnVphoneExit()"))
        .Add(SimElement::Anchor("javascript:bttnConfig()"))
        .Add(SimElement::Anchor("javascript:bttnHelp()"))
        .Add(SimElement::Anchor("javascript:bttnVphoneLogout();"))
        .Add(SimElement::Select("terminal", "empty", 1))
        .Add(SimElement::InputText("row1"))
        .Add(SimElement::InputText("row2"))
        .Add(SimElement::Script("top.location.href='/app-main.asp?app=3&r=1';"))
        .Add(SimElement::Other("form"))
        .Add(SimElement::InputText("un"))
        .Add(SimElement::InputText("pw"))
        .Add(SimElement::InputButton("submit"));
    return page;
}

void BM_ScanDocument(benchmark::State& state) {
    Desktop& d = TheDesktop();
    const auto mode = static_cast<ScanMode>(state.range(0));
    auto page = ConsolePage();
    d.top->SetDocument(SimDocument::Create("http://10.1.2.3/app-main.asp?app=3"));
    IDispatch* document = page->Object();
    std::vector<double> seconds;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(d.dialog->ScanDocument(document, mode));
        const std::chrono::duration<double> took = Clock::now() - start;
        state.SetIterationTime(took.count());
        seconds.push_back(took.count());
        d.sim.Log().Clear();
    }
    Report(state, seconds);
}
// The fill pauses 3 x 100 ms by design; here they pass on the simulated
// clock, so only the work around them is timed.
BENCHMARK(BM_ScanDocument)
    ->ArgName("mode")
    ->DenseRange(SCAN_LOGIN_DETECT, SCAN_TERMINAL_LIST)
    ->UseManualTime();

} // namespace
