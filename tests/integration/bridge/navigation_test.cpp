// Before-navigate decisions, the cache flag, new windows and window.close().

#include "bridge_fixture.h"

#include <QWidget>

namespace qv::bridge::test {
namespace {

class NavigationTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        // ran() exists only in the page's world, so a title it sets proves the
        // link ran there.
        const QByteArray links = R"html(<html><head><title>Links</title>
<script>function ran(what) { top.document.title = what; }</script></head><body>
<a href="javascript:ran('first')">first</a>
<a href="javascript:ran('second')">second</a>
<a href="javascript:window.open('/popup.html')">popup</a>
<a href="javascript:window.close()">close</a>
</body></html>)html";
        server.AddPage("/links.html", links);
        server.AddPage("/framed.html", R"html(<html><head><title>Framed</title></head>
<frameset rows="50%,50%"><frame name="a" src="/links.html"><frame name="b" src="/plain.html">
</frameset></html>)html");
        server.AddPage("/plain.html",
                       "<html><head><title>Plain</title></head><body></body></html>");
        server.AddPage("/popup.html",
                       "<html><head><title>Popup</title></head><body></body></html>");
        server.AddPage("/blocked.html", "<html><head><title>Blocked</title></head></html>");
    }

    // The before-navigate reports of javascript: links.
    std::vector<std::pair<FrameId, std::string>> ScriptLinks() const {
        std::vector<std::pair<FrameId, std::string>> out;
        for (const auto& entry : recorder.beforeNavigate) {
            if (entry.second.rfind("javascript:", 0) == 0) {
                out.push_back(entry);
            }
        }
        return out;
    }

    // The index of the link in `s` whose href is `href`.
    static int Link(const FrameSnapshot& s, const std::string& href) {
        for (std::size_t i = 0; i < s.elements.size(); ++i) {
            if (s.elements[i].kind == ElementKind::Anchor && s.elements[i].href == href) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

TEST_F(NavigationTest, JavascriptLinkIsOfferedToTheHostAndCancelledOrRun) {
    const FrameSnapshot* loaded = Load("/links.html");
    ASSERT_NE(loaded, nullptr);
    const FrameSnapshot s = *loaded;
    recorder.cancelIf = [](FrameId, const std::string& url) {
        return url.find("first") != url.npos;
    };

    ASSERT_TRUE(bridge->Click(s.frame, s.sequence, Link(s, "javascript:ran('first')")));
    ASSERT_TRUE(bridge->Click(s.frame, s.sequence, Link(s, "javascript:ran('second')")));
    ASSERT_TRUE(WaitForTitle("second"));
    Flush();

    const auto links = ScriptLinks();
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0], std::make_pair(s.frame, std::string("javascript:ran('first')")));
    EXPECT_EQ(links[1].second, "javascript:ran('second')");
    // The cancelled link never ran: the title went straight from Links to second.
    EXPECT_EQ(std::count(recorder.titles.begin(), recorder.titles.end(), "first"), 0);
}

TEST_F(NavigationTest, JavascriptLinkInASubframeNamesThatFrame) {
    ASSERT_NE(Load("/framed.html"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return recorder.LastCompleted("/links.html") != nullptr; }));
    const FrameSnapshot s = *recorder.LastCompleted("/links.html");
    ASSERT_TRUE(bridge->Click(s.frame, s.sequence, Link(s, "javascript:ran('second')")));
    ASSERT_TRUE(WaitForTitle("second"));
    const auto links = ScriptLinks();
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].first, s.frame);
    // Subframe navigations are offered too, without a frame the engine can name.
    const bool subframeSeen = std::any_of(
        recorder.beforeNavigate.begin(), recorder.beforeNavigate.end(), [&](const auto& e) {
            return e.first == kNoFrame && e.second == server.Url("/plain.html").toStdString();
        });
    EXPECT_TRUE(subframeSeen);
}

TEST_F(NavigationTest, TopNavigationCanBeCancelled) {
    ASSERT_NE(Load("/plain.html"), nullptr);
    const FrameId top = bridge->TopFrame();
    recorder.cancelIf = [](FrameId, const std::string& url) {
        return url.find("blocked") != url.npos;
    };
    bridge->Navigate(server.Url("/blocked.html").toStdString());
    ASSERT_TRUE(WaitUntil([&] { return recorder.beforeNavigate.size() == 2; }));
    EXPECT_EQ(recorder.beforeNavigate[1],
              std::make_pair(top, server.Url("/blocked.html").toStdString()));
    // A later navigation proves the cancelled one had its chance.
    ASSERT_NE(Load("/popup.html"), nullptr);
    EXPECT_EQ(server.CountOf("/blocked.html"), 0);
}

TEST_F(NavigationTest, NoReadFromCacheAlwaysReachesTheServer) {
    // The pages say they may be cached for an hour.
    ASSERT_NE(Load("/plain.html", kNavNoReadFromCache), nullptr);
    ASSERT_NE(Load("/popup.html", kNavNoReadFromCache), nullptr);
    ASSERT_NE(Load("/plain.html", kNavNoReadFromCache), nullptr);
    EXPECT_EQ(server.CountOf("/plain.html"), 2);
}

TEST_F(NavigationTest, NewWindowIsOfferedToTheHostWhichMayRefuseOrTakeIt) {
    const FrameSnapshot* loaded = Load("/links.html");
    ASSERT_NE(loaded, nullptr);
    const FrameSnapshot s = *loaded;
    const int popup = Link(s, "javascript:window.open('/popup.html')");

    ASSERT_TRUE(bridge->Click(s.frame, s.sequence, popup));
    ASSERT_TRUE(WaitUntil([&] { return recorder.newWindows.size() == 1; }));
    EXPECT_EQ(recorder.newWindows[0].url, server.Url("/popup.html").toStdString());
    Flush();

    Recorder popupEvents;
    PageBridge second(*profile, &popupEvents);
    recorder.newWindowTarget = [&](const NewWindowRequest&) { return &second; };
    ASSERT_TRUE(bridge->Click(s.frame, s.sequence, popup));
    ASSERT_TRUE(WaitUntil([&] { return popupEvents.LastCompleted("/popup.html") != nullptr; }));
    EXPECT_EQ(recorder.newWindows.size(), 2u);
    EXPECT_TRUE(popupEvents.LastCompleted("/popup.html")->isTop);
    EXPECT_EQ(server.CountOf("/popup.html"), 1); // the refused one never loaded
}

TEST_F(NavigationTest, WindowCloseIsLeftToTheHost) {
    const FrameSnapshot* loaded = Load("/links.html");
    ASSERT_NE(loaded, nullptr);
    const FrameSnapshot s = *loaded;
    ASSERT_TRUE(bridge->Click(s.frame, s.sequence, Link(s, "javascript:window.close()")));
    ASSERT_TRUE(WaitUntil([&] { return recorder.closeRequests == 1; }));
    // Still there and working.
    EXPECT_TRUE(bridge->Widget()->isVisible());
    EXPECT_EQ(RunInPage("document.title").toString(), "Links");
}

} // namespace
} // namespace qv::bridge::test
