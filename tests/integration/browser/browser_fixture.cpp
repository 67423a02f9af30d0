#include "browser_fixture.h"

#include "backend/qt/browser/qt_browser_factory.h"
#include "localized/localized_resources.h"
#include "platform/ui/winapi.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::browser_test {

using com::FromBstr;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        if (done())
            return true;
        ::WaitMessageTimeout(DWORD(std::clamp<qint64>(deadline.remainingTime(), 1, 50)));
    }
    return true;
}

// ---- the console ----

bool Console::Start(std::string* error) {
    process_.setProgram(QStringLiteral(QV_CONSOLE_EXE));
    process_.setArguments({"--listen", "127.0.0.1:0", "--user", "demo:demo", "--quiet"});
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    // A crashed test must not leave its console behind.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start();
    if (!process_.waitForStarted(10000)) {
        *error = "cannot start " + std::string(QV_CONSOLE_EXE);
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!process_.canReadLine() && !deadline.hasExpired())
        process_.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    const std::string line = process_.readLine().trimmed().toStdString();
    const std::string prefix = "listening on http://127.0.0.1:";
    if (line.rfind(prefix, 0) != 0) {
        *error = "unexpected first line: " + line;
        return false;
    }
    port_ = std::atoi(line.c_str() + prefix.size());
    base_ = "http://127.0.0.1:" + std::to_string(port_);
    return port_ > 0;
}

void Console::Stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000))
        process_.kill();
    process_.waitForFinished(2000);
}

std::string Console::HostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

QJsonObject Console::Call(const std::string& method, const std::string& pathAndQuery) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return {};
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = method + " " + pathAndQuery +
                                    " HTTP/1.1\r\nHost: " + HostPort() +
                                    "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
        if (::send(fd, request.data(), request.size(), 0) == ssize_t(request.size())) {
            char buffer[4096];
            ssize_t n;
            while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
                reply.append(buffer, std::size_t(n));
        }
    }
    ::close(fd);
    const auto body = reply.find("\r\n\r\n");
    if (body == std::string::npos)
        return {};
    return QJsonDocument::fromJson(QByteArray::fromStdString(reply.substr(body + 4))).object();
}

int Console::Requests(const std::string& path) {
    return State().value("requests").toObject().value(QString::fromStdString(path)).toInt();
}

// ---- the external object ----

HRESULT TestExternal::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch)
        return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT TestExternal::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT TestExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        const std::string name = FromBstr(names[i]);
        lookedUp.push_back(name);
        ids[i] = name == "CTI_IsBrowser"    ? kIsBrowser
                 : name == "CTI_ChangeRows" ? kChangeRows
                                            : DISPID_UNKNOWN;
        if (ids[i] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT TestExternal::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, UINT*) {
    Call call{id, flags, {}};
    if (params && params->rgvarg)
        call.args.assign(params->rgvarg, params->rgvarg + params->cArgs);
    calls.push_back(call);
    if (result && (id == kIsBrowser || (flags & DISPATCH_PROPERTYGET)))
        *result = com::MakeBoolVariant(true);
    return S_OK;
}

// ---- the host site ----

namespace {

class HostSite : public COleControlSite {
public:
    HostSite(COleControlContainer* container, HostConfig& config)
        : COleControlSite(container), handler_(*this, config) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object && iid == IID_IDocHostUIHandler) {
            *object = static_cast<IDocHostUIHandler*>(&handler_);
            AddRef();
            return S_OK;
        }
        return COleControlSite::QueryInterface(iid, object);
    }

private:
    class Handler final : public IDocHostUIHandler {
    public:
        Handler(HostSite& site, HostConfig& config) : site_(site), config_(config) {}
        HRESULT QueryInterface(REFIID iid, void** object) override {
            return site_.QueryInterface(iid, object);
        }
        ULONG AddRef() override { return site_.AddRef(); }
        ULONG Release() override { return site_.Release(); }
        HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
            ++config_.contextMenus;
            return config_.contextMenuAnswer;
        }
        HRESULT GetHostInfo(DOCHOSTUIINFO* info) override {
            info->dwFlags = config_.flags;
            info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
            return S_OK;
        }
        HRESULT ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*) override { return S_OK; }
        HRESULT HideUI() override { return S_OK; }
        HRESULT UpdateUI() override { return S_OK; }
        HRESULT EnableModeless(BOOL) override { return E_NOTIMPL; }
        HRESULT OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
        HRESULT OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
        HRESULT ResizeBorder(LPCRECT, IUnknown*, BOOL) override { return E_NOTIMPL; }
        HRESULT TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
        HRESULT GetOptionKeyPath(LPOLESTR*, DWORD) override { return E_NOTIMPL; }
        HRESULT GetDropTarget(IUnknown*, IUnknown**) override { return E_NOTIMPL; }
        HRESULT GetExternal(IDispatch** external) override {
            *external = config_.external;
            if (!*external)
                return S_FALSE;
            (*external)->AddRef();
            return S_OK;
        }
        HRESULT TranslateUrl(DWORD, OLECHAR*, OLECHAR**) override { return E_NOTIMPL; }
        HRESULT FilterDataObject(IUnknown*, IUnknown**) override { return E_NOTIMPL; }

    private:
        HostSite& site_;
        HostConfig& config_;
    };
    Handler handler_;
};

} // namespace

std::unique_ptr<COleControlSite> HostManager::CreateSite(COleControlContainer* container) {
    return std::make_unique<HostSite>(container, config_);
}

// ---- the dialog ----

BrowserDialog::BrowserDialog() {
    platform::DialogTemplate dialog;
    dialog.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT;
    dialog.font = platform::DialogFont{8, 0, false, 0, "MS Sans Serif"};
    dialog.caption = "Browser";
    dialog.cx = 330;
    dialog.cy = 260;
    platform::DialogControl control;
    control.id = kBrowserId;
    control.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    control.windowClass.text = kWebBrowserClassName;
    control.x = 4;
    control.y = 6;
    control.cx = 320;
    control.cy = 250;
    dialog.controls.push_back(control);
    SetTemplate(dialog);
    MapEvent(kBrowserId, DISPID_DOCUMENTCOMPLETE, &BrowserDialog::OnDocumentComplete);
    MapEvent(kBrowserId, DISPID_NAVIGATECOMPLETE2, &BrowserDialog::OnNavigateComplete2);
    MapEvent(kBrowserId, DISPID_BEFORENAVIGATE2, &BrowserDialog::OnBeforeNavigate2);
    MapEvent(kBrowserId, DISPID_NEWWINDOW2, &BrowserDialog::OnNewWindow2);
    MapEvent(kBrowserId, DISPID_WINDOWCLOSING, &BrowserDialog::OnWindowClosing);
}

void BrowserDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, kBrowserId, m_browser);
}

ComPtr<IWebBrowser2> BrowserDialog::Browser() const {
    IUnknown* control = m_browser.GetControlUnknown();
    return control ? ComPtr<IUnknown>(control).As<IWebBrowser2>() : nullptr;
}

ComPtr<IDispatch> BrowserDialog::Dispatch() const {
    IUnknown* control = m_browser.GetControlUnknown();
    return control ? ComPtr<IUnknown>(control).As<IDispatch>() : nullptr;
}

std::size_t BrowserDialog::Count(DISPID id) const {
    return std::size_t(std::count_if(events.begin(), events.end(),
                                     [id](const BrowserEvent& e) { return e.id == id; }));
}

void BrowserDialog::OnDocumentComplete(IDispatch* frame, VARIANT* url) {
    events.push_back({DISPID_DOCUMENTCOMPLETE, frame, com::VariantText(url)});
    if (onDocumentComplete)
        onDocumentComplete(frame);
}

void BrowserDialog::OnNavigateComplete2(IDispatch* frame, VARIANT* url) {
    events.push_back({DISPID_NAVIGATECOMPLETE2, frame, com::VariantText(url)});
}

void BrowserDialog::OnBeforeNavigate2(IDispatch* frame, VARIANT* url, VARIANT*, VARIANT*, VARIANT*,
                                      VARIANT*, BOOL* cancel) {
    const std::string text = com::VariantText(url);
    events.push_back({DISPID_BEFORENAVIGATE2, frame, text});
    if (cancelIf && cancelIf(text))
        *cancel = TRUE;
}

void BrowserDialog::OnNewWindow2(IDispatch** window, BOOL* cancel) {
    events.push_back({DISPID_NEWWINDOW2, nullptr, {}});
    if (onNewWindow)
        onNewWindow(window, cancel);
}

void BrowserDialog::OnWindowClosing(BOOL child, BOOL* cancel) {
    events.push_back({DISPID_WINDOWCLOSING, nullptr, child ? "child" : "top"});
    *cancel = cancelClose ? TRUE : FALSE;
}

// ---- DOM walks ----

ComPtr<IDispatch> DocumentOf(IDispatch* browser) {
    auto web = ComPtr<IDispatch>(browser).As<IWebBrowser2>();
    IDispatch* document = nullptr;
    if (!web || FAILED(web->get_Document(&document)))
        return nullptr;
    return ComPtr<IDispatch>::Adopt(document);
}

std::vector<ComPtr<IDispatch>> AllElements(IDispatch* document) {
    std::vector<ComPtr<IDispatch>> out;
    auto doc = ComPtr<IDispatch>(document).As<IHTMLDocument2>();
    IHTMLElementCollection* all = nullptr;
    if (!doc || FAILED(doc->get_all(&all)))
        return out;
    auto collection = ComPtr<IHTMLElementCollection>::Adopt(all);
    LONG length = 0;
    collection->get_length(&length);
    for (LONG i = 0; i < length; ++i) {
        IDispatch* item = nullptr;
        VARIANT index = com::MakeUintVariant(UINT(i));
        if (SUCCEEDED(collection->item(index, VARIANT{}, &item)) && item)
            out.push_back(ComPtr<IDispatch>::Adopt(item));
    }
    return out;
}

std::string TitleOf(IDispatch* document) {
    auto doc = ComPtr<IDispatch>(document).As<IHTMLDocument2>();
    BSTR title;
    return doc && SUCCEEDED(doc->get_title(&title)) ? FromBstr(title) : std::string();
}

std::string HrefOf(IDispatch* document) {
    auto doc = ComPtr<IDispatch>(document).As<IHTMLDocument2>();
    IHTMLLocation* location = nullptr;
    if (!doc || FAILED(doc->get_location(&location)))
        return {};
    BSTR href;
    return SUCCEEDED(ComPtr<IHTMLLocation>::Adopt(location)->get_href(&href)) ? FromBstr(href)
                                                                              : std::string();
}

ComPtr<IHTMLInputTextElement> FindInput(IDispatch* document, const std::string& name) {
    for (const auto& element : AllElements(document)) {
        auto input = element.As<IHTMLInputTextElement>();
        BSTR value;
        if (input && SUCCEEDED(input->get_name(&value)) && FromBstr(value) == name)
            return input;
    }
    return nullptr;
}

ComPtr<IHTMLElement> FindSubmit(IDispatch* document) {
    for (const auto& element : AllElements(document)) {
        auto button = element.As<IHTMLInputButtonElement>();
        BSTR type;
        if (button && !element.As<IHTMLInputTextElement>() && SUCCEEDED(button->get_type(&type)) &&
            FromBstr(type) == "submit")
            return element.As<IHTMLElement>();
    }
    return nullptr;
}

ComPtr<IHTMLElement> FindAnchor(IDispatch* document, const std::string& href) {
    for (const auto& element : AllElements(document)) {
        auto anchor = element.As<IHTMLAnchorElement>();
        BSTR value;
        if (anchor && SUCCEEDED(anchor->get_href(&value)) && FromBstr(value) == href)
            return element.As<IHTMLElement>();
    }
    return nullptr;
}

std::vector<ComPtr<IHTMLScriptElement>> Scripts(IDispatch* document) {
    std::vector<ComPtr<IHTMLScriptElement>> out;
    for (const auto& element : AllElements(document)) {
        if (auto script = element.As<IHTMLScriptElement>())
            out.push_back(script);
    }
    return out;
}

std::string Read(IHTMLScriptElement* script) {
    BSTR text;
    return script && SUCCEEDED(script->get_text(&text)) ? FromBstr(text) : std::string();
}

// ---- the fixture ----

void BrowserTest::SetUp() {
    std::string error;
    ASSERT_TRUE(console.Start(&error)) << error;
    ws = std::make_unique<qt::QtWindowSystem>();
    platform::SetWindowSystem(ws.get());
    qt::InstallQtBrowserFactory(*ws, FindLocalizedResource);
    app = std::make_unique<CWinApp>("BrowserTest");
    manager = std::make_unique<HostManager>(host);
    AfxEnableControlContainer(manager.get());
    host.external = &external;
    dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    browser = dialog->Browser();
    ASSERT_TRUE(browser);
}

std::unique_ptr<BrowserDialog> BrowserTest::OpenDialog() {
    auto made = std::make_unique<BrowserDialog>();
    if (!made->Create(0u))
        return nullptr;
    made->ShowWindow(SW_SHOW);
    return made;
}

void BrowserTest::TearDown() {
    browser.reset();
    if (dialog && dialog->m_hWnd)
        dialog->DestroyWindow();
    dialog.reset();
    // Widgets and controls go from the event loop.
    WaitUntil([] { return false; }, 200);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    AfxEnableControlContainer();
    manager.reset();
    app.reset();
    platform::SetWindowSystem(nullptr);
    ws.reset();
    console.Stop();
}

int BrowserTest::WaitForEvent(BrowserDialog& target, DISPID id, const std::string& suffix,
                              std::size_t from,
                              const std::function<bool(const BrowserEvent&)>& also) {
    int found = -1;
    WaitUntil([&] {
        for (std::size_t i = from; i < target.events.size(); ++i) {
            const BrowserEvent& e = target.events[i];
            if (e.id == id && e.url.size() >= suffix.size() &&
                e.url.compare(e.url.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                (!also || also(e))) {
                found = int(i);
                return true;
            }
        }
        return false;
    });
    return found;
}

void BrowserTest::LogIn() {
    // The form is filled inside the event, as the program does.
    bool filled = false;
    dialog->onDocumentComplete = [&](IDispatch* frame) {
        ComPtr<IDispatch> document = DocumentOf(frame);
        if (filled || TitleOf(document.get()) != "PABX Console - Login")
            return;
        auto user = FindInput(document.get(), "un");
        auto password = FindInput(document.get(), "pw");
        auto submit = FindSubmit(document.get());
        if (!user || !password || !submit)
            return;
        filled = SUCCEEDED(user->put_value(com::ToBstr(""))) &&
                 SUCCEEDED(user->put_value(com::ToBstr("demo"))) &&
                 SUCCEEDED(password->put_value(com::ToBstr("demo"))) && SUCCEEDED(submit->click());
    };
    VARIANT flags = com::MakeI2Variant(SHORT(navNoReadFromCache));
    ASSERT_EQ(browser->Navigate(com::ToBstr(Url("/app-main.asp?app=3")), &flags, nullptr, nullptr,
                                nullptr),
              S_OK);
    const int buttons = WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/vp-buttons.asp");
    dialog->onDocumentComplete = nullptr;
    ASSERT_TRUE(filled) << "the login form never completed";
    ASSERT_GE(buttons, 0) << "the logged-in frames never completed";
}

} // namespace qv::browser_test
