// CWinApp: the application object, and the framework's global calls.
// Constructing an application object makes it the current one.
#pragma once

#include "platform/ui/winuser.h"

#include <memory>
#include <string>

class CWnd;
class COccManager;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // TRUE runs the application's message loop; FALSE goes straight to
    // ExitInstance and the end of the process.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop, with OnIdle while the queue is empty.
    virtual int Run();
    virtual BOOL OnIdle(LONG count);

    // The 3-D control look is the desktop's own here.
    BOOL Enable3dControls() { return TRUE; }
    void BeginWaitCursor();
    void EndWaitCursor();

    CWnd* m_pMainWnd = nullptr;
    // The command line after the program's name.
    std::string m_lpCmdLine;
    // The name message boxes carry; the program's file name by default.
    std::string m_pszAppName;
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Takes one message and dispatches it (after PreTranslateMessage of the
// window and its parents); FALSE when it was WM_QUIT.
BOOL AfxPumpMessage();
// The message the pump took last.
const MSG& AfxGetCurrentMessage();
int AfxMessageBox(const std::string& text, UINT type = MB_OK, UINT helpId = 0);
// Installs the control-container manager: null means the framework's own.
// The caller keeps a manager it passes by pointer alive.
void AfxEnableControlContainer(COccManager* manager = nullptr);
void AfxEnableControlContainer(std::unique_ptr<COccManager> manager);
// The installed manager; null before AfxEnableControlContainer.
COccManager* AfxGetOccManager();
// The entry point's work: command line, InitInstance, Run or ExitInstance.
int AfxWinMain(int argc, char** argv);
