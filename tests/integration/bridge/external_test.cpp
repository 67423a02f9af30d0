// window.external as page scripts see it, and the bridge they must not see.

#include "backend/qt/bridge/bridge_limits.h"
#include "backend/qt/browser/dispatch_external.h"
#include "bridge_fixture.h"

namespace qv::bridge::test {
namespace {

using engine_test::TestExternal;
using Rows = std::vector<std::pair<std::string, std::string>>;

// The host's object behind the adapter the browser control puts before it.
class ExternalTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        bridge->SetExternal(&adapter, {"CTI_IsBrowser", "CTI_ChangeRows"});
        // The page reports what it saw in its title, at parse time.
        server.AddPage("/probe.html", R"html(<html><head><title>Probe</title><script>
var e = window.external;
var seen = [e.CTI_IsBrowser == true, !!e.CTI_IsBrowser, String(e.CTI_IsBrowser),
            e.CTI_IsBrowser() === true, e.CTI_ChangeRows == true,
            typeof e.CTI_ChangeRows('555', 'Caller'), typeof e.cti_isbrowser, typeof e.Other];
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

    TestExternal external;
    qt::DispatchExternal adapter{com::ComPtr<IDispatch>(&external)};
};

TEST_F(ExternalTest, IsBrowserReadsAndCallsAsTrueAndChangeRowsReachesTheHost) {
    ASSERT_NE(Load("/probe.html"), nullptr);
    EXPECT_EQ(bridge->Title(), "true,true,true,true,true,undefined,undefined,undefined");
    ASSERT_TRUE(WaitUntil([&] { return !external.Rows().empty(); }));
    EXPECT_EQ(external.Rows(), (Rows{{"555", "Caller"}}));
    // The page asked for names the host does not know only in its own world.
    EXPECT_EQ(std::count(external.lookedUp.begin(), external.lookedUp.end(), "cti_isbrowser"), 0);
    // Texts a page passes along are cut to the bridge's cap.
    RunInPage("window.external.CTI_ChangeRows('x'.repeat(100000), 'y')");
    ASSERT_TRUE(WaitUntil([&] { return external.Rows().size() == 2; }));
    EXPECT_EQ(external.Rows()[1].first.size(), kMaxAttributeChars);
    EXPECT_EQ(external.Rows()[1].second, "y");

    // Other arguments arrive as the old script engine passed them, last first.
    const std::size_t before = external.calls.size();
    RunInPage("window.external.CTI_ChangeRows('row', 7, true, 2.5, undefined)");
    ASSERT_TRUE(WaitUntil([&] { return external.calls.size() > before; }));
    const auto& args = external.calls.back().args;
    EXPECT_EQ(external.calls.back().flags, DISPATCH_METHOD);
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[4].vt, VT_BSTR);
    EXPECT_EQ(com::FromBstr(args[4].bstrVal), "row");
    EXPECT_EQ(args[3].vt, VT_I4);
    EXPECT_EQ(args[3].lVal, 7);
    EXPECT_EQ(args[2].vt, VT_BOOL);
    EXPECT_EQ(args[2].boolVal, VARIANT_TRUE);
    EXPECT_NE(args[1].vt, VT_I4); // not a whole number
    EXPECT_EQ(args[0].vt, VT_EMPTY);
}

TEST_F(ExternalTest, SubframesGetTheSameExternalAndNeverTheBridge) {
    ASSERT_NE(Load("/outer.html"), nullptr);
    EXPECT_EQ(bridge->Title(), "true,undefined,undefined,undefined,undefined");
    ASSERT_TRUE(WaitUntil([&] { return !external.Rows().empty(); }));
    EXPECT_EQ(external.Rows(), (Rows{{"from", "frame"}}));
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
    ASSERT_EQ(top->elements.size(), 5u); // html, head, title, script, body
    EXPECT_TRUE(Applied([&](PageBridge::Done done) {
        bridge->Click(top->frame, top->sequence, 4, std::move(done));
    }));
    EXPECT_NE(bridge->Title(), "forged");
    EXPECT_EQ(recorder.events.size(), before);
}

// A subframe's bridge runs in the page's world. A page that replaced the
// built-ins it would use is still reported truly and commanded, learns nothing
// of the traffic, and nothing a page sends without the secret reaches the host.
TEST_F(ExternalTest, SubframeBridgeWithstandsReplacedBuiltinsAndForgedReports) {
    server.AddPage("/host.html", R"html(<html><head><title>Host</title><script>
window.seen = [];
['qv-frame-report', 'qv-frame-register', 'qv-frame-command'].forEach(function (type) {
    window.addEventListener(type, function (e) { seen.push(type); }, true);
    document.addEventListener(type, function (e) { seen.push(type); }, true);
});
</script></head><body><iframe name="odd" src="/odd.html"></iframe></body></html>)html");
    server.AddPage("/odd.html", R"html(<html><head><title>Odd</title><script>
window.leaks = [];
function leak(what) { return function () { leaks.push(what); throw new Error(what); }; }
Array.prototype[Symbol.iterator] = leak('iterator');
Object.defineProperty(Array.prototype, '0', {set: leak('index'), configurable: true});
Object.defineProperty(Object.prototype, 'cancelable', {get: leak('dictionary')});
Object.defineProperty(HTMLInputElement.prototype, 'value',
                      {get: function () { return 'lie'; }, set: leak('value')});
Object.defineProperty(CustomEvent.prototype, 'detail', {get: leak('detail')});
JSON.stringify = leak('stringify');
Reflect.apply = leak('apply');
Function.prototype.call = leak('call');
Map.prototype.get = leak('map');
EventTarget.prototype.dispatchEvent = leak('dispatch');
HTMLCollection.prototype.item = leak('item');
</script></head><body><input type="text" name="field" value="true"></body></html>)html");
    ASSERT_NE(Load("/host.html"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return recorder.LastCompleted("/odd.html") != nullptr; }));
    const FrameSnapshot odd = *recorder.LastCompleted("/odd.html");
    const int field = FindElement(odd, ElementKind::InputText, "field");
    ASSERT_GE(field, 0);
    EXPECT_EQ(odd.elements[static_cast<std::size_t>(field)].value, "true");
    EXPECT_TRUE(Applied([&](PageBridge::Done done) {
        bridge->SetValue(odd.frame, odd.sequence, field, "written", std::move(done));
    }));
    const QString valueOf =
        "Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value').get.call("
        "frames.odd.document.getElementsByName('field')[0])";
    EXPECT_EQ(RunInPage(valueOf).toString(), "written");
    EXPECT_EQ(RunInPage("frames.odd.leaks.join() + '|' + seen.join()").toString(), "|");

    // Forged reports, however well formed, are not the bridge's.
    const std::size_t before = recorder.events.size();
    RunInPage(R"js(
var report = {type: 'documentComplete', frame: 42, parent: 0, top: true, seq: 1, name: '',
              title: 'Forged', href: 'http://forged/', host: 'forged', protocol: 'http:',
              truncated: false, elements: [], ms: 0};
[[{t: 'guess', f: 42, m: 'frameOpened'}, [0, true]],
 [{f: 42, m: 'frameEvent'}, [report]]].forEach(function (message) {
    var detail = JSON.stringify(message[0]) + '\n' + JSON.stringify(message[1]);
    window.dispatchEvent(new CustomEvent('qv-frame-report', {detail: detail}));
});
window.dispatchEvent(new CustomEvent('qv-frame-register', {detail: {frame: 42,
    run: function () { return true; }, win: window, parent: window}}));
window.dispatchEvent(new CustomEvent('qv-frame-register', {detail: {frame: 42, run: null}}));
)js");
    Flush();
    EXPECT_FALSE(WaitUntil([&] { return recorder.events.size() > before; }, 1000));
    EXPECT_FALSE(bridge->SetValue(42, 1, 0, "x", nullptr));
}

} // namespace
} // namespace qv::bridge::test
