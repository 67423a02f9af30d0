#include "browser_fixture.h"

#include "backend/qt/browser/qt_browser_factory.h"
#include "localized/localized_resources.h"
#include "platform/ui/winapi.h"

#include <QCoreApplication>
#include <algorithm>

namespace qv::browser_test {

namespace {

class HostSite final : public COleControlSite, public IDocHostUIHandler {
public:
    HostSite(COleControlContainer* container, HostConfig& config)
        : COleControlSite(container), config_(config) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object && iid == IID_IDocHostUIHandler) {
            *object = static_cast<IDocHostUIHandler*>(this);
            AddRef();
            return S_OK;
        }
        return COleControlSite::QueryInterface(iid, object);
    }
    ULONG AddRef() override { return COleControlSite::AddRef(); }
    ULONG Release() override { return COleControlSite::Release(); }
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
    HostConfig& config_;
};

class HostManager : public COccManager {
public:
    explicit HostManager(HostConfig& config) : config_(config) {}
    std::unique_ptr<COleControlSite> CreateSite(COleControlContainer* container) override {
        return std::make_unique<HostSite>(container, config_);
    }

private:
    HostConfig& config_;
};

} // namespace

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

std::size_t BrowserDialog::Count(DISPID id) const {
    return std::size_t(std::count_if(events.begin(), events.end(),
                                     [id](const BrowserEvent& e) { return e.id == id; }));
}

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
    return Text(ComPtr<IDispatch>(document).As<IHTMLDocument2>().get(), &IHTMLDocument2::get_title);
}

ComPtr<IHTMLLocation> LocationOf(IDispatch* document) {
    auto doc = ComPtr<IDispatch>(document).As<IHTMLDocument2>();
    IHTMLLocation* location = nullptr;
    return doc && SUCCEEDED(doc->get_location(&location)) ? ComPtr<IHTMLLocation>::Adopt(location)
                                                          : nullptr;
}

ComPtr<IHTMLInputTextElement> FindInput(IDispatch* document, const std::string& name) {
    const auto found = ElementsOf<IHTMLInputTextElement>(document, [&](IHTMLInputTextElement* e) {
        return Text(e, &IHTMLInputTextElement::get_name) == name;
    });
    return found.empty() ? nullptr : found[0];
}

ComPtr<IHTMLElement> FindAnchor(IDispatch* document, const std::string& href) {
    const auto found = ElementsOf<IHTMLAnchorElement>(document, [&](IHTMLAnchorElement* e) {
        return Text(e, &IHTMLAnchorElement::get_href) == href;
    });
    return found.empty() ? nullptr : found[0].As<IHTMLElement>();
}

ComPtr<IHTMLElement> LastButton(IDispatch* document) {
    const auto buttons = ElementsOf<IHTMLInputButtonElement>(document);
    return buttons.empty() ? nullptr : buttons.back().As<IHTMLElement>();
}

void BrowserTest::SetUp() {
    testconsole::ConsoleOptions options;
    options.users = {{"demo", "demo"}};
    options.quiet = true;
    console = std::make_unique<testconsole::ConsoleServer>(options);
    std::string error;
    ASSERT_TRUE(console->Start(&error)) << error;
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
    console.reset();
}

int BrowserTest::Open(const std::string& url, BrowserDialog* target) {
    target = target ? target : dialog.get();
    const std::size_t from = target->events.size();
    if (target->Browser()->Navigate(com::ToBstr(url), nullptr, nullptr, nullptr, nullptr) != S_OK)
        return -1;
    return WaitForEvent(*target, DISPID_DOCUMENTCOMPLETE, url, from);
}

int BrowserTest::WaitForEvent(BrowserDialog& target, DISPID id, const std::string& suffix,
                              std::size_t from,
                              const std::function<bool(const BrowserEvent&)>& also) {
    int found = -1;
    WaitUntil([&] {
        for (std::size_t i = from; i < target.events.size(); ++i) {
            const BrowserEvent& e = target.events[i];
            if (e.id == id && e.url.ends_with(suffix) && (!also || also(e))) {
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
        const auto submits =
            ElementsOf<IHTMLInputButtonElement>(document.get(), [](IHTMLInputButtonElement* e) {
                return Text(e, &IHTMLInputButtonElement::get_type) == "submit";
            });
        if (!user || !password || submits.empty())
            return;
        auto submit = submits[0].As<IHTMLElement>();
        filled = SUCCEEDED(user->put_value(com::ToBstr(""))) &&
                 SUCCEEDED(user->put_value(com::ToBstr("demo"))) &&
                 SUCCEEDED(password->put_value(com::ToBstr("demo"))) && SUCCEEDED(submit->click());
    };
    VARIANT flags = com::MakeI2Variant(SHORT(navNoReadFromCache));
    ASSERT_EQ(browser->Navigate(com::ToBstr(Url("/app-main.asp?app=3")), &flags, nullptr, nullptr,
                                nullptr),
              S_OK);
    buttons_ = WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/vp-buttons.asp");
    dialog->onDocumentComplete = nullptr;
    ASSERT_TRUE(filled) << "the login form never completed";
    ASSERT_GE(buttons_, 0) << "the logged-in frames never completed";
}

} // namespace qv::browser_test
