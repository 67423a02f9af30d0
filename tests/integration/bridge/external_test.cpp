// window.external as page scripts see it, and the bridge they must not see.

#include "backend/qt/bridge/bridge_limits.h"
#include "bridge_fixture.h"

namespace qv::bridge::test {
namespace {

class ExternalTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        bridge->SetExternal(&external, {"CTI_IsBrowser", "CTI_ChangeRows"});
        // The page reports what it saw in its title, at parse time.
        server.AddPage("/probe.html", R"html(<html><head><title>Probe</title><script>
var e = window.external;
var seen = [e.CTI_IsBrowser == true, !!e.CTI_IsBrowser, String(e.CTI_IsBrowser),
            e.CTI_IsBrowser() === true, typeof e.CTI_ChangeRows('555', 'Caller'),
            typeof e.cti_isbrowser, typeof e.Other];
document.title = seen.join(',');
</script></head><body></body></html>)html");
        server.AddPage("/outer.html", R"html(<html><head><title>Outer</title></head><body>
<iframe src="/inner.html"></iframe></body></html>)html");
        server.AddPage("/inner.html", R"html(<html><head><title>Inner</title><script>
top.document.title = [window.external.CTI_IsBrowser(), typeof qvPageBridge,
                      typeof top.qvPageBridge, typeof QWebChannel, typeof qt].join(',');
window.external.CTI_ChangeRows('from', 'frame');
</script></head><body></body></html>)html");
    }

    FakeExternal external;
};

TEST_F(ExternalTest, IsBrowserReadsAndCallsAsTrueAndChangeRowsReachesTheHost) {
    ASSERT_NE(Load("/probe.html"), nullptr);
    EXPECT_EQ(bridge->Title(), "true,true,true,true,undefined,undefined,undefined");
    ASSERT_TRUE(WaitUntil([&] { return !external.rows.empty(); }));
    ASSERT_EQ(external.rows.size(), 1u);
    EXPECT_EQ(external.rows[0], std::make_pair(std::string("555"), std::string("Caller")));
    // The page asked for names the host does not know only in its own world.
    EXPECT_EQ(std::count(external.lookedUp.begin(), external.lookedUp.end(), "cti_isbrowser"), 0);
    // Texts a page passes along are cut to the bridge's cap.
    RunInPage("window.external.CTI_ChangeRows('x'.repeat(100000), 'y')");
    ASSERT_TRUE(WaitUntil([&] { return external.rows.size() == 2; }));
    EXPECT_EQ(external.rows[1].first.size(), kMaxAttributeChars);
    EXPECT_EQ(external.rows[1].second, "y");
}

TEST_F(ExternalTest, SubframesGetTheSameExternalAndNeverTheBridge) {
    ASSERT_NE(Load("/outer.html"), nullptr);
    EXPECT_EQ(bridge->Title(), "true,undefined,undefined,undefined,undefined");
    ASSERT_TRUE(WaitUntil([&] { return !external.rows.empty(); }));
    EXPECT_EQ(external.rows[0], std::make_pair(std::string("from"), std::string("frame")));
}

TEST_F(ExternalTest, PageCannotReachTheBridgeOrForgeReports) {
    ASSERT_NE(Load("/probe.html"), nullptr);
    EXPECT_EQ(RunInPage("typeof qvPageBridge + ',' + typeof window.top.qvPageBridge + ',' + "
                        "typeof qt + ',' + typeof QWebChannel")
                  .toString(),
              "undefined,undefined,undefined,undefined");
    // A page defining the name gets its own variable; the bridge is untouched.
    const std::size_t before = recorder.events.size();
    RunInPage("window.qvPageBridge = { hub: { exec: function () { document.title = 'forged'; } } };"
              "document.dispatchEvent(new CustomEvent('qv-page-request', {detail: 5}));");
    const FrameSnapshot* top = bridge->LastSnapshot(bridge->TopFrame());
    ASSERT_NE(top, nullptr);
    bool applied = false;
    const int body = 4; // html, head, title, script, body
    ASSERT_EQ(top->elements.size(), 5u);
    bridge->Click(top->frame, top->sequence, body, [&](bool a) { applied = a; });
    Flush();
    EXPECT_TRUE(applied);
    EXPECT_NE(bridge->Title(), "forged");
    EXPECT_EQ(recorder.events.size(), before);
}

TEST_F(ExternalTest, WithoutAnExternalObjectThePageSeesNoMembers) {
    bridge->SetExternal(nullptr, {});
    ASSERT_NE(Load("/outer.html"), nullptr);
    // The inner page's first call throws, so the title stays.
    EXPECT_EQ(bridge->Title(), "Outer");
    EXPECT_EQ(RunInPage("typeof window.external.CTI_IsBrowser").toString(), "undefined");
}

} // namespace
} // namespace qv::bridge::test
