// The console's poll frame: each reload completes with its script, which
// carries the display rows, in the same frame browser every time.
#include "browser_fixture.h"

namespace qv::browser_test {
namespace {

constexpr const char* kRow1Target = "top.vp_disp.document.display.row1.value=";

TEST_F(BrowserTest, PollFrameNavigateCompleteCarriesTheRowsOfACall) {
    LogIn();
    ASSERT_FALSE(HasFatalFailure());
    const int first = WaitForEvent(*dialog, DISPID_NAVIGATECOMPLETE2, "/vp-poll.asp");
    ASSERT_GE(first, 0);
    ComPtr<IDispatch> pollFrame = dialog->events[std::size_t(first)].frame;

    ASSERT_EQ(console.Call("POST", "/sim/call?row1=0301234567&row2=Incoming")
                  .value("row1")
                  .toString()
                  .toStdString(),
              "0301234567");
    std::string text;
    ComPtr<IHTMLScriptElement> carrier;
    const int rows = WaitForEvent(
        *dialog, DISPID_NAVIGATECOMPLETE2, "/vp-poll.asp", std::size_t(first) + 1,
        [&](const BrowserEvent& e) {
            for (const auto& script : Scripts(DocumentOf(e.frame.get()).get())) {
                const std::string t = Read(script.get());
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
    EXPECT_EQ(Read(carrier.get()), rewritten);

    // Refresh on the frame's browser reloads that frame only.
    const int polls = console.Requests("/vp-poll.asp");
    const int tops = console.Requests("/app-main.asp");
    const std::size_t from = dialog->events.size();
    ASSERT_EQ(pollFrame.As<IWebBrowser2>()->Refresh(), S_OK);
    ASSERT_GE(WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/vp-poll.asp", from), 0);
    EXPECT_GT(console.Requests("/vp-poll.asp"), polls);
    EXPECT_EQ(console.Requests("/app-main.asp"), tops);
    // Neither the frame's own reloads nor this one raised a before-navigate,
    // as a refresh raised none.
    EXPECT_TRUE(std::none_of(dialog->events.begin() + first, dialog->events.end(),
                             [](const BrowserEvent& e) { return e.id == DISPID_BEFORENAVIGATE2; }));
}

} // namespace
} // namespace qv::browser_test
