// Snapshots of every frame: which frames report, in what order, and what each
// snapshot says about its document.

#include "bridge_fixture.h"

#include <map>

namespace qv::bridge::test {
namespace {

class SnapshotTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        server.AddPage("/frameset.html", R"html(<html><head><title>Console</title></head>
<frameset cols="30%,70%">
  <frame name="nav" src="/nav.html">
  <frameset rows="50%,50%">
    <frame name="vp_disp" src="/disp.html">
    <frame name="poll" src="/outer.html">
  </frameset>
</frameset></html>)html");
        server.AddPage("/nav.html", R"html(<html><head><title>Nav</title></head><body>
<a href="javascript:bttnConfig()">Config</a>
<a name="lo" href="javascript:bttnVphoneLogout();">Logout</a>
<a href="page.html?x=1">Relative</a>
</body></html>)html");
        server.AddPage("/disp.html", R"html(<html><head><title>Display</title>
<script>var focusText = "top.focus()";</script></head><body>
<form name="display">
<input type="text" name="row1" value="r1"><input type="password" name="pw">
<input type="hidden" name="h" value="hv"><input type="submit" name="s" value="Go">
<input type="button" name="b"><input type="reset" name="r"><input type="checkbox" name="c">
<select name="terminal"><option value="empty">empty</option></select>
<textarea name="ta">tt</textarea>
</form></body></html>)html");
        server.AddPage("/outer.html", R"html(<html><head><title>Outer</title></head><body>
<iframe name="inner" src="/inner.html"></iframe></body></html>)html");
        server.AddPage("/inner.html", R"html(<html><head><title>Inner</title></head><body>
<p>inner</p></body></html>)html");
    }

    // Waits for the frameset and its four frames to complete.
    void LoadFrameset() {
        ASSERT_NE(Load("/frameset.html"), nullptr);
        ASSERT_EQ(recorder.Completed("/nav.html").size(), 1u);
        ASSERT_EQ(recorder.Completed("/disp.html").size(), 1u);
        ASSERT_EQ(recorder.Completed("/outer.html").size(), 1u);
        ASSERT_EQ(recorder.Completed("/inner.html").size(), 1u);
    }
};

TEST_F(SnapshotTest, FramesetReportsEveryFrameWithItsParentChildrenFirst) {
    LoadFrameset();
    const FrameSnapshot top = recorder.Completed("/frameset.html").at(0);
    const FrameSnapshot nav = recorder.Completed("/nav.html").at(0);
    const FrameSnapshot disp = recorder.Completed("/disp.html").at(0);
    const FrameSnapshot outer = recorder.Completed("/outer.html").at(0);
    const FrameSnapshot inner = recorder.Completed("/inner.html").at(0);

    EXPECT_TRUE(top.isTop);
    EXPECT_EQ(top.parent, kNoFrame);
    EXPECT_EQ(bridge->TopFrame(), top.frame);
    for (const FrameSnapshot* child : {&nav, &disp, &outer}) {
        EXPECT_FALSE(child->isTop);
        EXPECT_EQ(child->parent, top.frame) << child->location.href;
    }
    EXPECT_EQ(inner.parent, outer.frame);
    EXPECT_EQ(nav.frameName, "nav");
    EXPECT_EQ(disp.frameName, "vp_disp");
    EXPECT_EQ(inner.frameName, "inner");

    // Each frame: navigate-complete before document-complete; a frame's
    // document-complete before its parent's.
    std::map<FrameId, std::size_t> navigated, completed;
    for (std::size_t i = 0; i < recorder.events.size(); ++i) {
        const FrameEvent& e = recorder.events[i];
        auto& slot = e.type == FrameEvent::NavigateComplete ? navigated : completed;
        if (e.type != FrameEvent::Gone) {
            EXPECT_TRUE(slot.emplace(e.snapshot.frame, i).second) << "reported twice";
        }
    }
    for (const FrameSnapshot* s : {&top, &nav, &disp, &outer, &inner}) {
        ASSERT_TRUE(navigated.count(s->frame)) << s->location.href;
        EXPECT_LT(navigated[s->frame], completed[s->frame]) << s->location.href;
        if (s->parent != kNoFrame) {
            EXPECT_LT(completed[s->frame], completed[s->parent]) << s->location.href;
        }
    }
    EXPECT_EQ(completed.size(), 5u);

    EXPECT_EQ(top.title, "Console");
    EXPECT_EQ(top.location.href, server.Url("/frameset.html").toStdString());
    EXPECT_EQ(top.location.host, server.HostPort().toStdString());
    EXPECT_EQ(top.location.protocol, "http:");
    EXPECT_EQ(inner.title, "Inner");
}

TEST_F(SnapshotTest, ElementsFollowDocumentOrderWithTheOldKinds) {
    LoadFrameset();
    const FrameSnapshot disp = recorder.Completed("/disp.html").at(0);

    using K = ElementKind;
    const std::vector<K> kinds = {K::Other,     K::Other,       K::Other,       K::Script,
                                  K::Other,     K::Other,       K::InputText,   K::InputText,
                                  K::InputText, K::InputButton, K::InputButton, K::InputButton,
                                  K::Other,     K::Select,      K::Other,       K::Other};
    ASSERT_EQ(disp.elements.size(), kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(disp.elements[i].kind, kinds[i]) << "element " << i;
    }
    const auto& e = disp.elements;
    EXPECT_EQ(e[3].text, "var focusText = \"top.focus()\";");
    EXPECT_EQ(e[6].name, "row1");
    EXPECT_EQ(e[6].type, "text");
    EXPECT_EQ(e[6].value, "r1");
    EXPECT_EQ(e[7].type, "password");
    EXPECT_EQ(e[8].type, "hidden");
    EXPECT_EQ(e[8].value, "hv");
    EXPECT_EQ(e[9].type, "submit");
    EXPECT_EQ(e[9].value, "Go");
    EXPECT_EQ(e[10].type, "button");
    EXPECT_EQ(e[11].type, "reset");
    EXPECT_EQ(e[12].type, "checkbox"); // other inputs keep their fields
    EXPECT_EQ(e[13].name, "terminal");
    EXPECT_EQ(e[13].value, "empty");
    EXPECT_EQ(e[13].optionCount, 1);
    EXPECT_EQ(e[15].name, "ta");
    EXPECT_EQ(e[15].value, "tt");
    EXPECT_FALSE(disp.truncated);

    const FrameSnapshot nav = recorder.Completed("/nav.html").at(0);
    const int logout = FindElement(nav, K::Anchor, "lo");
    ASSERT_GE(logout, 0);
    EXPECT_EQ(nav.elements[logout].href, "javascript:bttnVphoneLogout();");
    // Relative links arrive resolved, as the old DOM gave them.
    EXPECT_EQ(nav.elements[logout + 1].href, server.Url("/page.html?x=1").toStdString());
}

} // namespace
} // namespace qv::bridge::test
