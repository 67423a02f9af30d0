// Hosting the browser control: sites from the installed manager (the
// program's), the host UI handler the browser asks, and events routed by
// control id and DISPID.
#include "app/custom_occ_manager.h"
#include "test_templates.h"

namespace {

using qv::com::ComPtr;
using qv::sim::SimBrowser;

constexpr UINT kMain = 1000;
constexpr UINT kSecond = 1026;

class BrowserDialog : public CDialog {
public:
    BrowserDialog() {
        auto dialog = qv::test::Dialog();
        dialog.controls.push_back(qv::test::Browser(kMain));
        dialog.controls.push_back(qv::test::Browser(kSecond));
        SetTemplate(dialog);
        MapEvent(kMain, DISPID_DOCUMENTCOMPLETE, &BrowserDialog::OnDocumentComplete);
        MapEvent(kSecond, DISPID_DOCUMENTCOMPLETE, &BrowserDialog::OnSecondComplete);
    }
    std::vector<std::string> events;
    IDispatch* lastFrame = nullptr;
    CWnd m_browser;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kMain, m_browser); }

    void OnDocumentComplete(IDispatch* frame, VARIANT* url) {
        lastFrame = frame;
        events.push_back("complete " + qv::com::VariantText(url));
    }
    void OnSecondComplete(IDispatch*, VARIANT* url) {
        events.push_back("second " + qv::com::VariantText(url));
    }
};

class EventSinkTest : public qv::test::FrameworkTest {
protected:
    EventSinkTest() { AfxEnableControlContainer(&manager); }
    ~EventSinkTest() override { AfxEnableControlContainer(); }

    SimBrowser* BrowserOf(CWnd& dialog, UINT id) {
        return sim.Windows().Browser(::GetDlgItem(dialog.m_hWnd, static_cast<int>(id)));
    }

    CCustomOccManager manager;
};

TEST_F(EventSinkTest, EveryControlGetsASiteFromTheInstalledManager) {
    BrowserDialog dialog;
    ASSERT_TRUE(dialog.Create(0u));
    ComPtr<SimBrowser> browser = BrowserOf(dialog, kMain);
    ASSERT_TRUE(browser);
    EXPECT_TRUE(BrowserOf(dialog, kSecond)->HostUIHandler());
    EXPECT_TRUE(browser->HostUIHandler());
    // DDX_Control bound the wrapper to the control's object.
    EXPECT_EQ(dialog.m_browser.GetControlUnknown(), browser.As<IUnknown>().get());
    dialog.DestroyWindow();
    // The browser let go of the site and its event sink with the dialog.
    EXPECT_FALSE(browser->HostUIHandler());
    EXPECT_EQ(browser->SinkCount(), 0u);
}

TEST_F(EventSinkTest, EventsReachTheHandlerOfTheirControlAndDispid) {
    BrowserDialog dialog;
    ASSERT_TRUE(dialog.Create(0u));
    SimBrowser* main = BrowserOf(dialog, kMain);
    SimBrowser* second = BrowserOf(dialog, kSecond);
    SimBrowser* frame = main->AddFrame("vp_disp");

    frame->Load(qv::sim::SimDocument::Create("http://pabx/disp.asp"));
    second->FireDocumentComplete("http://other/");
    main->FireNavigateComplete2("http://pabx/"); // not mapped: nobody hears it
    EXPECT_EQ(dialog.events,
              (std::vector<std::string>{"complete http://pabx/disp.asp", "second http://other/"}));
    // The frame's own browser is the event's argument.
    EXPECT_EQ(dialog.lastFrame, frame->AsDispatch());
    dialog.DestroyWindow();
}

TEST_F(EventSinkTest, WithoutAManagerControlsAreNotHosted) {
    AfxEnableControlContainer(std::unique_ptr<COccManager>());
    qv::platform::SetWindowSystem(&sim.Windows());
    // The framework's own manager: plain sites, no host UI handler.
    BrowserDialog dialog;
    ASSERT_TRUE(dialog.Create(0u));
    EXPECT_FALSE(BrowserOf(dialog, kMain)->HostUIHandler());
    EXPECT_EQ(BrowserOf(dialog, kMain)->SinkCount(), 1u);
    dialog.DestroyWindow();
}

} // namespace
