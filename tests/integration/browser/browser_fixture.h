// Shared pieces of the browser control tests: the real console in its own
// process, a host site and external object shaped like the program's, a
// dialog that hosts the control and records its events through the
// framework's event map, and DOM walks through the platform interfaces.
#pragma once

#include "backend/qt/qt_window_system.h"
#include "framework/afxwin.h"
#include "platform/html/doc_host_ui_handler.h"
#include "platform/html/html_document.h"
#include "platform/html/html_elements.h"
#include "platform/html/web_browser.h"

#include <QJsonObject>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qv::browser_test {

using com::ComPtr;

// Delivers the window system's messages and Qt's events until `done` holds
// or the time is up.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);

class Console {
public:
    ~Console() { Stop(); }
    bool Start(std::string* error);
    void Stop();
    const std::string& Base() const { return base_; } // "http://127.0.0.1:PORT"
    std::string HostPort() const;
    // The control endpoints; an empty object when the request failed.
    QJsonObject Call(const std::string& method, const std::string& pathAndQuery);
    QJsonObject State() { return Call("GET", "/sim/state"); }
    int Requests(const std::string& path);

private:
    QProcess process_;
    std::string base_;
    int port_ = 0;
};

// window.external of the tests: CTI_IsBrowser reads and answers true;
// every Invoke is recorded with its arguments as they stood.
class TestExternal final : public IDispatch {
public:
    static constexpr DISPID kIsBrowser = 12345;
    static constexpr DISPID kChangeRows = 12344;
    struct Call {
        DISPID id;
        WORD flags;
        std::vector<VARIANT> args; // rgvarg order: last argument first
    };

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) override;

    ULONG refs = 0;
    std::vector<std::string> lookedUp;
    std::vector<Call> calls;
};

// What the host site answers; shared by every site the manager makes.
struct HostConfig {
    DWORD flags = DOCHOSTUIFLAG_NO3DBORDER;
    IDispatch* external = nullptr;
    HRESULT contextMenuAnswer = S_FALSE;
    int contextMenus = 0;
};

class HostManager : public COccManager {
public:
    explicit HostManager(HostConfig& config) : config_(config) {}
    std::unique_ptr<COleControlSite> CreateSite(COleControlContainer* container) override;

private:
    HostConfig& config_;
};

struct BrowserEvent {
    DISPID id;
    ComPtr<IDispatch> frame; // none for NewWindow2 and WindowClosing
    std::string url;
};

class BrowserDialog : public CDialog {
public:
    static constexpr UINT kBrowserId = 1000;
    BrowserDialog();

    ComPtr<IWebBrowser2> Browser() const;
    // The control's IDispatch, as the program compares frames with it.
    ComPtr<IDispatch> Dispatch() const;
    std::size_t Count(DISPID id) const;

    std::vector<BrowserEvent> events;
    std::function<bool(const std::string& url)> cancelIf;
    std::function<void(IDispatch** window, BOOL* cancel)> onNewWindow;
    std::function<void(IDispatch* frame)> onDocumentComplete;
    bool cancelClose = false;
    CWnd m_browser;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    void OnDocumentComplete(IDispatch* frame, VARIANT* url);
    void OnNavigateComplete2(IDispatch* frame, VARIANT* url);
    void OnBeforeNavigate2(IDispatch* frame, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                           BOOL* cancel);
    void OnNewWindow2(IDispatch** window, BOOL* cancel);
    void OnWindowClosing(BOOL child, BOOL* cancel);
};

// DOM walks through the platform interfaces only.
ComPtr<IDispatch> DocumentOf(IDispatch* browser);
std::vector<ComPtr<IDispatch>> AllElements(IDispatch* document);
std::string TitleOf(IDispatch* document);
std::string HrefOf(IDispatch* document);
ComPtr<IHTMLInputTextElement> FindInput(IDispatch* document, const std::string& name);
ComPtr<IHTMLElement> FindSubmit(IDispatch* document);
ComPtr<IHTMLElement> FindAnchor(IDispatch* document, const std::string& href);
std::vector<ComPtr<IHTMLScriptElement>> Scripts(IDispatch* document);
std::string Read(IHTMLScriptElement* script);

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<BrowserDialog> OpenDialog();
    // Loads the console's start page and logs in as demo; fails the test when
    // the console never shows its logged-in frames.
    void LogIn();
    // Index of the first event of that kind at or after `from` whose URL ends
    // with `suffix` and that `also` accepts; -1 when none came in time.
    int WaitForEvent(BrowserDialog& dialog, DISPID id, const std::string& suffix,
                     std::size_t from = 0,
                     const std::function<bool(const BrowserEvent&)>& also = {});
    std::string Url(const std::string& path) const { return console.Base() + path; }

    Console console;
    HostConfig host;
    TestExternal external;
    std::unique_ptr<qt::QtWindowSystem> ws;
    std::unique_ptr<CWinApp> app;
    std::unique_ptr<HostManager> manager;
    std::unique_ptr<BrowserDialog> dialog;
    ComPtr<IWebBrowser2> browser;
};

} // namespace qv::browser_test
