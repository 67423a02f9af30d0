// Shared pieces of the browser control tests: the real console, a host site
// and external object shaped like the program's, a dialog that hosts the
// control and records its events through the framework's event map, and DOM
// walks through the platform interfaces.
#pragma once

#include "backend/qt/browser/qt_web_browser.h"
#include "backend/qt/qt_window_system.h"
#include "engine_support.h"
#include "framework/afxwin.h"
#include "platform/html/doc_host_ui_handler.h"
#include "platform/html/html_document.h"
#include "platform/html/html_elements.h"
#include "platform/html/web_browser.h"
#include "server.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qv::browser_test {

using com::ComPtr;

using engine_test::RunJs;
using engine_test::TestExternal;
using engine_test::WaitUntil;

// What the host site answers; shared by every site the manager makes.
struct HostConfig {
    DWORD flags = DOCHOSTUIFLAG_NO3DBORDER;
    IDispatch* external = nullptr;
    HRESULT contextMenuAnswer = S_FALSE;
    int contextMenus = 0;
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

    // The control's IDispatch, as the program compares frames with it.
    ComPtr<IDispatch> Dispatch() const {
        return ComPtr<IUnknown>(m_browser.GetControlUnknown()).As<IDispatch>();
    }
    ComPtr<IWebBrowser2> Browser() const { return Dispatch().As<IWebBrowser2>(); }
    std::size_t Count(DISPID id) const;

    std::vector<BrowserEvent> events;
    std::function<bool(const std::string& url)> cancelIf;
    std::function<void(IDispatch** window, BOOL* cancel)> onNewWindow;
    std::function<void(IDispatch* frame)> onDocumentComplete;
    bool cancelClose = false;
    CWnd m_browser;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kBrowserId, m_browser); }

private:
    void OnDocumentComplete(IDispatch* frame, VARIANT* url) {
        events.push_back({DISPID_DOCUMENTCOMPLETE, frame, com::VariantText(url)});
        if (onDocumentComplete)
            onDocumentComplete(frame);
    }
    void OnNavigateComplete2(IDispatch* frame, VARIANT* url) {
        events.push_back({DISPID_NAVIGATECOMPLETE2, frame, com::VariantText(url)});
    }
    void OnBeforeNavigate2(IDispatch* frame, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                           BOOL* cancel) {
        events.push_back({DISPID_BEFORENAVIGATE2, frame, com::VariantText(url)});
        if (cancelIf && cancelIf(events.back().url))
            *cancel = TRUE;
    }
    void OnNewWindow2(IDispatch** window, BOOL* cancel) {
        events.push_back({DISPID_NEWWINDOW2, nullptr, {}});
        if (onNewWindow)
            onNewWindow(window, cancel);
    }
    void OnWindowClosing(BOOL child, BOOL* cancel) {
        events.push_back({DISPID_WINDOWCLOSING, nullptr, child ? "child" : "top"});
        *cancel = cancelClose ? TRUE : FALSE;
    }
};

// The Qt control behind the dialog's browser.
inline qt::QtWebBrowser* Control(BrowserDialog& dialog) {
    return dynamic_cast<qt::QtWebBrowser*>(dialog.Dispatch().get());
}

// DOM walks through the platform interfaces only.
ComPtr<IDispatch> DocumentOf(IDispatch* browser);
std::vector<ComPtr<IDispatch>> AllElements(IDispatch* document);

// A text property of a platform object; empty when there is none.
template <class I> std::string Text(I* object, HRESULT (I::*get)(BSTR*)) {
    BSTR value;
    return object && SUCCEEDED((object->*get)(&value)) ? com::FromBstr(value) : std::string();
}

// The document's elements offering `I` that `match` accepts, in document order.
template <class I>
std::vector<ComPtr<I>> ElementsOf(IDispatch* document, const std::function<bool(I*)>& match = {}) {
    std::vector<ComPtr<I>> out;
    for (const auto& element : AllElements(document)) {
        if (auto e = element.template As<I>(); e && (!match || match(e.get())))
            out.push_back(e);
    }
    return out;
}

std::string TitleOf(IDispatch* document);
ComPtr<IHTMLLocation> LocationOf(IDispatch* document);
ComPtr<IHTMLInputTextElement> FindInput(IDispatch* document, const std::string& name);
ComPtr<IHTMLElement> FindAnchor(IDispatch* document, const std::string& href);
// The last button of the document: the close button on the console's pages.
ComPtr<IHTMLElement> LastButton(IDispatch* document);

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<BrowserDialog> OpenDialog();
    // Loads the console's start page and logs in as demo; fails the test when
    // the console never shows its logged-in frames.
    void LogIn();
    // The logged-in buttons frame, which holds the logout link.
    ComPtr<IDispatch> ButtonsFrame() const { return dialog->events[std::size_t(buttons_)].frame; }
    // Navigates `target` (the dialog's browser by default) and returns the
    // index of its document-complete for `url`; -1 when none came in time.
    int Open(const std::string& url, BrowserDialog* target = nullptr);
    // Index of the first event of that kind at or after `from` whose URL ends
    // with `suffix` and that `also` accepts; -1 when none came in time.
    int WaitForEvent(BrowserDialog& dialog, DISPID id, const std::string& suffix,
                     std::size_t from = 0,
                     const std::function<bool(const BrowserEvent&)>& also = {});
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(console->Port()) + path;
    }
    testconsole::StateSnapshot ConsoleState() { return console->State().Snapshot(); }
    int Requests(const std::string& path) { return int(ConsoleState().requests[path]); }

    // The real console, served from this process.
    std::unique_ptr<testconsole::ConsoleServer> console;
    HostConfig host;
    TestExternal external;
    std::unique_ptr<qt::QtWindowSystem> ws;
    std::unique_ptr<CWinApp> app;
    std::unique_ptr<COccManager> manager;
    std::unique_ptr<BrowserDialog> dialog;
    ComPtr<IWebBrowser2> browser;
    int buttons_ = -1; // the buttons frame's document-complete after LogIn()
};

} // namespace qv::browser_test
