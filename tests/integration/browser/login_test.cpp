// Logging in and out of the console through the platform's browser and DOM
// interfaces only: documents per frame, elements by kind, ordered writes.
#include "browser_fixture.h"

namespace qv::browser_test {
namespace {

constexpr const char* kLogoutHref = "javascript:bttnVphoneLogout();";

TEST_F(BrowserTest, LoginFrameOffersItsFieldsByKindInDocumentOrder) {
    VARIANT flags = com::MakeI2Variant(SHORT(navNoReadFromCache));
    ASSERT_EQ(browser->Navigate(com::ToBstr(Url("/app-main.asp?app=3")), &flags, nullptr, nullptr,
                                nullptr),
              S_OK);
    const int done = WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/app-main.asp?app=3");
    ASSERT_GE(done, 0);
    const BrowserEvent& complete = dialog->events[std::size_t(done)];
    // The top document's frame is the control itself, by IDispatch identity.
    EXPECT_EQ(complete.frame.get(), dialog->Dispatch().get());
    // Navigate-complete of the same document came first.
    EXPECT_GE(WaitForEvent(*dialog, DISPID_NAVIGATECOMPLETE2, "/app-main.asp?app=3"), 0);
    EXPECT_LT(WaitForEvent(*dialog, DISPID_NAVIGATECOMPLETE2, "/app-main.asp?app=3"), done);

    ComPtr<IDispatch> document = DocumentOf(complete.frame.get());
    ASSERT_TRUE(document);
    EXPECT_EQ(TitleOf(document.get()), "PABX Console - Login");
    EXPECT_EQ(HrefOf(document.get()), Url("/app-main.asp?app=3"));
    auto doc = document.As<IHTMLDocument2>();
    IHTMLLocation* raw = nullptr;
    ASSERT_EQ(doc->get_location(&raw), S_OK);
    auto location = ComPtr<IHTMLLocation>::Adopt(raw);
    BSTR host, protocol;
    location->get_host(&host);
    location->get_protocol(&protocol);
    EXPECT_EQ(com::FromBstr(host), console.HostPort());
    EXPECT_EQ(com::FromBstr(protocol), "http:");

    // Every element, html first; the fields precede the submit button.
    const auto all = AllElements(document.get());
    ASSERT_GT(all.size(), 5u);
    int user = -1, password = -1, submit = -1;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto& e = all[i];
        EXPECT_TRUE(e.As<IHTMLElement>()) << "element " << i;
        BSTR text;
        if (auto input = e.As<IHTMLInputTextElement>()) {
            EXPECT_FALSE(e.As<IHTMLInputButtonElement>());
            EXPECT_FALSE(e.As<IHTMLAnchorElement>());
            EXPECT_FALSE(e.As<IHTMLSelectElement>());
            EXPECT_FALSE(e.As<IHTMLScriptElement>());
            input->get_name(&text);
            (com::FromBstr(text) == "un" ? user : password) = int(i);
        } else if (auto button = e.As<IHTMLInputButtonElement>()) {
            button->get_type(&text);
            EXPECT_EQ(com::FromBstr(text), "submit");
            submit = int(i);
        }
    }
    EXPECT_FALSE(all[0].As<IHTMLInputTextElement>()); // <html> is an element only
    EXPECT_LT(user, password);
    EXPECT_LT(password, submit);

    // Past the end there is no item; an index of the wrong type is refused.
    auto collection = [&] {
        IHTMLElementCollection* c = nullptr;
        doc->get_all(&c);
        return ComPtr<IHTMLElementCollection>::Adopt(c);
    }();
    IDispatch* item = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(collection->item(com::MakeI4Variant(LONG(all.size())), VARIANT{}, &item), S_OK);
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(collection->item(com::MakeBstrVariant("un"), VARIANT{}, &item), E_INVALIDARG);
}

TEST_F(BrowserTest, LogsInAndOutThroughTheKeptLogoutLink) {
    LogIn();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(console.State().value("logins").toInt(), 1);

    // The frames complete before their frameset, each with its own browser.
    const int buttons = WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/vp-buttons.asp");
    const int top =
        WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/app-main.asp?app=3", std::size_t(buttons));
    ASSERT_GT(top, buttons);
    const BrowserEvent frame = dialog->events[std::size_t(buttons)];
    EXPECT_NE(frame.frame.get(), dialog->Dispatch().get());
    EXPECT_EQ(TitleOf(DocumentOf(dialog->events[std::size_t(top)].frame.get()).get()),
              "PABX Console - demo");
    // A frame's Application is the control.
    IDispatch* application = nullptr;
    ASSERT_EQ(frame.frame.As<IWebBrowser2>()->get_Application(&application), S_OK);
    EXPECT_EQ(ComPtr<IDispatch>::Adopt(application).get(), dialog->Dispatch().get());

    ComPtr<IHTMLElement> logout = FindAnchor(DocumentOf(frame.frame.get()).get(), kLogoutHref);
    ASSERT_TRUE(logout);
    const std::size_t before = dialog->events.size();
    ASSERT_EQ(logout->click(), S_OK);
    // The link is offered before it runs, named by its frame.
    const int offered = WaitForEvent(*dialog, DISPID_BEFORENAVIGATE2, kLogoutHref, before);
    ASSERT_GE(offered, 0);
    EXPECT_EQ(dialog->events[std::size_t(offered)].frame.get(), frame.frame.get());
    EXPECT_TRUE(WaitUntil([&] { return console.State().value("logouts").toInt() == 1; }));
    // The console shows its login form again.
    EXPECT_GE(WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/app-main.asp?app=3", before,
                           [](const BrowserEvent& e) {
                               return TitleOf(DocumentOf(e.frame.get()).get()) ==
                                      "PABX Console - Login";
                           }),
              0);
    EXPECT_EQ(console.State().value("active_sessions").toInt(), 0);
}

TEST_F(BrowserTest, EveryNavigationReachesTheConsole) {
    VARIANT flags = com::MakeI2Variant(SHORT(navNoReadFromCache));
    for (int i = 0; i < 2; ++i) {
        const std::size_t from = dialog->events.size();
        browser->Navigate(com::ToBstr(Url("/help.asp")), &flags, nullptr, nullptr, nullptr);
        ASSERT_GE(WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/help.asp", from), 0);
    }
    EXPECT_EQ(console.Requests("/help.asp"), 2);
    // The host's own navigation is offered first, on the control.
    const int offered = WaitForEvent(*dialog, DISPID_BEFORENAVIGATE2, "/help.asp");
    ASSERT_GE(offered, 0);
    EXPECT_EQ(dialog->events[std::size_t(offered)].frame.get(), dialog->Dispatch().get());

    // Refresh reloads the top document from the console.
    const std::size_t from = dialog->events.size();
    ASSERT_EQ(browser->Refresh(), S_OK);
    ASSERT_GE(WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/help.asp", from), 0);
    EXPECT_EQ(console.Requests("/help.asp"), 3);
}

} // namespace
} // namespace qv::browser_test
