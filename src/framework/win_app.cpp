#include "framework/win_app.h"

#include "framework/afx_state.h"
#include "framework/occ_manager.h"
#include "framework/wnd.h"
#include "platform/ui/winapi.h"

using qv::framework::State;

namespace {

// From the message's window up to its top-level window.
BOOL PreTranslate(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd;) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd); wnd && wnd->PreTranslateMessage(msg))
            return TRUE;
        if (!(static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE)) & WS_CHILD))
            break;
        hwnd = ::GetParent(hwnd);
    }
    return FALSE;
}

std::string BaseName(const char* path) {
    std::string name = path ? path : "";
    if (auto slash = name.find_last_of('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    return name;
}

} // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName ? appName : "") {
    State().app = this;
}

CWinApp::~CWinApp() {
    if (State().app == this)
        State().app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}
int CWinApp::ExitInstance() {
    return m_nExitCode;
}

BOOL CWinApp::OnIdle(LONG) {
    AfxDeleteTempMaps();
    return FALSE;
}

int CWinApp::Run() {
    LONG idleCount = 0;
    for (;;) {
        MSG msg;
        while (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idleCount++)) {
        }
        idleCount = 0;
        if (!AfxPumpMessage()) {
            m_nExitCode = static_cast<int>(AfxGetCurrentMessage().wParam);
            return ExitInstance();
        }
    }
}

void CWinApp::BeginWaitCursor() {
    if (State().waitCursorCount++ == 0)
        qv::platform::SetWaitCursor(true);
}

void CWinApp::EndWaitCursor() {
    if (State().waitCursorCount > 0 && --State().waitCursorCount == 0)
        qv::platform::SetWaitCursor(false);
}

CWinApp* AfxGetApp() {
    return State().app;
}

CWnd* AfxGetMainWnd() {
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

BOOL AfxPumpMessage() {
    MSG& msg = State().currentMsg;
    if (!::GetMessageA(&msg, nullptr, 0, 0))
        return FALSE;
    MSG copy = msg;
    if (!PreTranslate(&copy)) {
        ::TranslateMessage(&copy);
        ::DispatchMessageA(&copy);
    }
    return TRUE;
}

const MSG& AfxGetCurrentMessage() {
    return State().currentMsg;
}

int AfxMessageBox(const std::string& text, UINT type, UINT) {
    CWinApp* app = AfxGetApp();
    CWnd* main = AfxGetMainWnd();
    const std::string caption = app ? app->m_pszAppName : std::string();
    return ::MessageBoxA(main ? main->m_hWnd : nullptr, text.c_str(), caption.c_str(), type);
}

void AfxEnableControlContainer(COccManager* manager) {
    auto& state = State();
    if (manager) {
        state.occManager = manager;
        return;
    }
    if (!state.ownedOccManager)
        state.ownedOccManager = std::make_unique<COccManager>();
    state.occManager = state.ownedOccManager.get();
}

void AfxEnableControlContainer(std::unique_ptr<COccManager> manager) {
    auto& state = State();
    if (!manager) {
        AfxEnableControlContainer(static_cast<COccManager*>(nullptr));
        return;
    }
    state.ownedOccManager = std::move(manager);
    state.occManager = state.ownedOccManager.get();
}

COccManager* AfxGetOccManager() {
    return State().occManager;
}

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    if (app->m_pszAppName.empty() && argc > 0)
        app->m_pszAppName = BaseName(argv[0]);
    app->m_lpCmdLine.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            app->m_lpCmdLine += ' ';
        app->m_lpCmdLine += argv[i];
    }
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
