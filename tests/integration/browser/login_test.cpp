// The console through the platform's browser and DOM interfaces only:
// documents per frame, elements by kind, ordered writes, logging in and out,
// the external object and the poll frame.
#include "browser_fixture.h"

namespace qv::browser_test {
namespace {

constexpr const char* kLogoutHref = "javascript:bttnVphoneLogout();";
constexpr const char* kRow1Target = "top.vp_disp.document.display.row1.value=";

// In and out again, then the login form the console shows once more.
TEST_F(BrowserTest, LogsInAndOutThroughTheKeptLogoutLink) {
    LogIn();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(ConsoleState().logins, 1u);

    // The frames complete before their frameset, each with its own browser.
    const int top = WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/app-main.asp?app=3",
                                 std::size_t(buttons_));
    ASSERT_GT(top, buttons_);
    const BrowserEvent frame = dialog->events[std::size_t(buttons_)];
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
    EXPECT_TRUE(WaitUntil([&] { return ConsoleState().logouts == 1; }));
    // The console shows its login form again.
    const int done = WaitForEvent(
        *dialog, DISPID_DOCUMENTCOMPLETE, "/app-main.asp?app=3", before, [](const BrowserEvent& e) {
            return TitleOf(DocumentOf(e.frame.get()).get()) == "PABX Console - Login";
        });
    ASSERT_GE(done, 0);
    EXPECT_TRUE(ConsoleState().sessionUsers.empty());
    const BrowserEvent complete = dialog->events[std::size_t(done)];
    // The top document's frame is the control itself, by IDispatch identity,
    // and its navigate-complete came first.
    EXPECT_EQ(complete.frame.get(), dialog->Dispatch().get());
    const int navigated =
        WaitForEvent(*dialog, DISPID_NAVIGATECOMPLETE2, "/app-main.asp?app=3", before);
    EXPECT_GE(navigated, 0);
    EXPECT_LT(navigated, done);

    ComPtr<IDispatch> document = DocumentOf(complete.frame.get());
    ASSERT_TRUE(document);
    EXPECT_EQ(Text(LocationOf(document.get()).get(), &IHTMLLocation::get_href),
              Url("/app-main.asp?app=3"));
}

// window.external through the host's IDispatch: looked up by name, invoked
// with the page's arguments last first, answered with VT_BOOL.
TEST_F(BrowserTest, PageSeesTheHostsExternalObjectAndHandsItRows) {
    ASSERT_GE(Open(Url("/external.html?auto=1&row1=0301234567&row2=Caller%20Name")), 0);
    // The page calls CTI_IsBrowser as a method and shows the answer in its title.
    EXPECT_EQ(TitleOf(DocumentOf(dialog->Dispatch().get()).get()),
              "CTI_IsBrowser=function:true CTI_ChangeRows=called");
    EXPECT_NE(std::find(external.lookedUp.begin(), external.lookedUp.end(), "CTI_IsBrowser"),
              external.lookedUp.end());
    EXPECT_GT(external.refs, 0u); // the control holds what GetExternal gave
    ASSERT_TRUE(WaitUntil([&] { return !external.Rows().empty(); }));
    EXPECT_EQ(external.Rows(),
              (std::vector<std::pair<std::string, std::string>>{{"0301234567", "Caller Name"}}));
}

// The console's poll frame: each reload completes with its script, which
// carries the display rows, in the same frame browser every time.
TEST_F(BrowserTest, PollFrameNavigateCompleteCarriesTheRowsOfACall) {
    LogIn();
    ASSERT_FALSE(HasFatalFailure());
    const int first = WaitForEvent(*dialog, DISPID_NAVIGATECOMPLETE2, "/vp-poll.asp");
    ASSERT_GE(first, 0);
    ComPtr<IDispatch> pollFrame = dialog->events[std::size_t(first)].frame;

    console->State().StartCall("0301234567", "Incoming");
    std::string text;
    ComPtr<IHTMLScriptElement> carrier;
    const int rows = WaitForEvent(
        *dialog, DISPID_NAVIGATECOMPLETE2, "/vp-poll.asp", std::size_t(first) + 1,
        [&](const BrowserEvent& e) {
            for (const auto& script :
                 ElementsOf<IHTMLScriptElement>(DocumentOf(e.frame.get()).get())) {
                const std::string t = Text(script.get(), &IHTMLScriptElement::get_text);
                if (t.find(std::string(kRow1Target) + "\"0301234567\"") != std::string::npos) {
                    text = t;
                    carrier = script;
                    return true;
                }
            }
            return false;
        });
    ASSERT_GE(rows, 0) << "no poll with the call's rows";
    EXPECT_NE(text.find("top.vp_disp.document.display.row2.value=\"Incoming\""), std::string::npos);
    EXPECT_NE(text.find("top.focus()"), std::string::npos);
    // A reloaded named frame keeps its browser object.
    EXPECT_EQ(dialog->events[std::size_t(rows)].frame.get(), pollFrame.get());
    EXPECT_NE(pollFrame.get(), dialog->Dispatch().get());

    // The rewritten text is taken and reads back as written.
    std::string rewritten = text;
    rewritten.erase(rewritten.find("top.focus()"), 11);
    EXPECT_EQ(carrier->put_text(com::ToBstr(rewritten)), S_OK);
    EXPECT_EQ(Text(carrier.get(), &IHTMLScriptElement::get_text), rewritten);

    // Refresh on the frame's browser reloads that frame only.
    const int polls = Requests("/vp-poll.asp");
    const int tops = Requests("/app-main.asp");
    const std::size_t from = dialog->events.size();
    ASSERT_EQ(pollFrame.As<IWebBrowser2>()->Refresh(), S_OK);
    ASSERT_GE(WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/vp-poll.asp", from), 0);
    EXPECT_GT(Requests("/vp-poll.asp"), polls);
    EXPECT_EQ(Requests("/app-main.asp"), tops);
    // Neither the frame's own reloads nor this one raised a before-navigate,
    // as a refresh raised none.
    EXPECT_TRUE(std::none_of(dialog->events.begin() + first, dialog->events.end(),
                             [](const BrowserEvent& e) { return e.id == DISPID_BEFORENAVIGATE2; }));
}

} // namespace
} // namespace qv::browser_test
