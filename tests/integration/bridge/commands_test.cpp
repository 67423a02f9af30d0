// Commands from the host: their effect on the page, and that stale addresses
// are dropped.

#include "bridge_fixture.h"

#include <QWebEnginePage>
#include <csignal>

namespace qv::bridge::test {
namespace {

class CommandTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        server.AddPage("/login.html", R"html(<html><head><title>Login</title></head><body>
<form method="post" action="/submit.html">
<input type="text" name="un" value="preset"><input type="password" name="pw">
<input type="submit" value="Login">
</form></body></html>)html");
        server.AddPage("/script.html", R"html(<html><head><title>Script</title>
<script>window.runs = (window.runs || 0) + 1; var x = "top.focus()";</script>
</head><body><input name="field"></body></html>)html");
    }
};

TEST_F(CommandTest, StaleAddressesAreDropped) {
    const FrameSnapshot* first = Load("/login.html");
    ASSERT_NE(first, nullptr);
    const FrameSnapshot old = *first;
    const int un = FindElement(old, ElementKind::InputText, "un");

    // Addresses the host can tell are wrong.
    EXPECT_FALSE(bridge->SetValue(old.frame + 1, old.sequence, un, "x"));
    EXPECT_FALSE(bridge->SetValue(old.frame, old.sequence + 1, un, "x"));
    EXPECT_FALSE(bridge->Click(old.frame, old.sequence, old.elements.size()));
    bool reported = true;
    EXPECT_FALSE(bridge->Click(old.frame, 0, 0, [&](bool applied) { reported = applied; }));
    EXPECT_FALSE(reported);

    EXPECT_TRUE(bridge->Refresh(old.frame));
    ASSERT_TRUE(WaitUntil([&] { return recorder.Completed("/login.html").size() == 2; }));
    const FrameSnapshot fresh = recorder.Completed("/login.html").at(1);
    EXPECT_NE(fresh.frame, old.frame);
    EXPECT_TRUE(recorder.Gone(old.frame));
    EXPECT_EQ(bridge->LastSnapshot(old.frame), nullptr);
    EXPECT_EQ(server.CountOf("/login.html"), 2);
    EXPECT_EQ(fresh.elements[un].value, "preset");

    // The replaced document's addresses are refused, and say so.
    EXPECT_FALSE(Applied([&](PageBridge::Done done) {
        bridge->SetValue(old.frame, old.sequence, un, "stale", std::move(done));
    }));
    EXPECT_FALSE(bridge->Refresh(old.frame));
    // The new document takes commands.
    EXPECT_TRUE(Applied([&](PageBridge::Done done) {
        bridge->SetValue(fresh.frame, fresh.sequence, un, "new", std::move(done));
    }));
    EXPECT_EQ(RunInPage("document.forms[0].un.value").toString(), "new");
    // An element removed from the document is refused, as is one without a value.
    RunInPage("document.forms[0].un.remove()");
    EXPECT_FALSE(Applied([&](PageBridge::Done done) {
        bridge->SetValue(fresh.frame, fresh.sequence, un, "lost", std::move(done));
    }));
    EXPECT_FALSE(Applied([&](PageBridge::Done done) {
        bridge->SetValue(fresh.frame, fresh.sequence, 0, "html", std::move(done));
    }));
}

TEST_F(CommandTest, SetScriptTextReplacesTheTextWithoutRunningIt) {
    const FrameSnapshot* loaded = Load("/script.html");
    ASSERT_NE(loaded, nullptr);
    const FrameSnapshot s = *loaded;
    const int script = FindElement(s, ElementKind::Script, "");
    ASSERT_GE(script, 0);
    ASSERT_NE(s.elements[script].text.find("top.focus()"), std::string::npos);

    const std::string rewritten = "window.runs = (window.runs || 0) + 1; var x = \"\";";
    EXPECT_TRUE(Applied([&](PageBridge::Done done) {
        bridge->SetScriptText(s.frame, s.sequence, script, rewritten, std::move(done));
    }));
    EXPECT_EQ(RunInPage("document.scripts[0].text").toString().toStdString(), rewritten);
    EXPECT_EQ(RunInPage("window.runs").toInt(), 1);
    // Only script elements take script text.
    const int field = FindElement(s, ElementKind::InputText, "field");
    ASSERT_GE(field, 0);
    EXPECT_FALSE(Applied([&](PageBridge::Done done) {
        bridge->SetScriptText(s.frame, s.sequence, field, "x", std::move(done));
    }));
}

TEST_F(CommandTest, APageWhoseProcessDiesAnswersItsCommandsAsNotDone) {
    server.AddPage("/busy.html", R"html(<html><head><title>Busy</title></head><body>
<input type="button" name="hang" onclick="for (;;) {}" value="Hang"></body></html>)html");
    const FrameSnapshot* busy = Load("/busy.html");
    ASSERT_NE(busy, nullptr);
    const FrameSnapshot s = *busy;
    const int hang = FindElement(s, ElementKind::InputButton, "hang");
    ASSERT_GE(hang, 0);

    std::optional<bool> clicked;
    ASSERT_TRUE(bridge->Click(s.frame, s.sequence, hang, [&](bool applied) { clicked = applied; }));
    // The page never answers; its process ends, as at a signal to the whole group.
    const qint64 pid = bridge->Page()->renderProcessPid();
    ASSERT_GT(pid, 0);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(WaitUntil([&] { return clicked.has_value(); }, 5000));
    EXPECT_FALSE(*clicked);
    EXPECT_TRUE(recorder.Gone(s.frame));
}

} // namespace
} // namespace qv::bridge::test
