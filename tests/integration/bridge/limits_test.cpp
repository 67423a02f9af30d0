// Huge documents cost bounded time and arrive cut to the documented caps.

#include "backend/qt/bridge/bridge_limits.h"
#include "backend/qt/bridge/snapshot_decoder.h"
#include "bridge_fixture.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

namespace qv::bridge::test {
namespace {

// A form of `count` elements: every tenth an input, the rest plain spans.
QByteArray ManyElements(int count) {
    QByteArray html = "<html><head><title>Many</title></head><body><form>";
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 0) {
            html += "<input name=\"f" + QByteArray::number(i) + "\" value=\"v\">";
        } else {
            html += "<span>" + QByteArray::number(i) + "</span>";
        }
    }
    return html + "</form></body></html>";
}

class LimitsTest : public BridgeTest {};

TEST_F(LimitsTest, FiftyThousandElementsCompleteInBoundedTime) {
    server.AddPage("/many.html", ManyElements(50'000));
    QElapsedTimer timer;
    timer.start();
    const FrameSnapshot* s = Load("/many.html");
    ASSERT_NE(s, nullptr);
    const qint64 elapsed = timer.elapsed();
    // html, head, title, body, form and the inputs
    ASSERT_EQ(s->elements.size(), 50'005u);
    EXPECT_FALSE(s->truncated);
    EXPECT_EQ(s->elements[5].name, "f0");
    EXPECT_EQ(s->elements[5 + 49'990].name, "f49990");
    EXPECT_EQ(s->elements[5 + 49'990].kind, ElementKind::InputText);
    EXPECT_EQ(s->elements[50'004].kind, ElementKind::Other);
    EXPECT_LT(elapsed, 10'000);
    std::printf("[ measure  ] 50,000 elements: load to document-complete %lld ms, "
                "snapshot %.1f ms in the page + %.1f ms decoding\n",
                static_cast<long long>(elapsed), s->buildMillis, s->decodeMillis);
}

TEST_F(LimitsTest, MultiMegabyteScriptsAreCutToTheCaps) {
    // Five scripts of 1.5 MB each: each is cut to one script's cap, and the
    // total budget is spent after four.
    const QByteArray big = "<script>var s = '" + QByteArray(3 * 512 * 1024, 'x') + "';</script>";
    server.AddPage("/bigscript.html", "<html><head><title>Big</title>" + big + big + big + big +
                                          big + "<script>var small = 1;</script></head></html>");
    const FrameSnapshot* s = Load("/bigscript.html");
    ASSERT_NE(s, nullptr);
    std::vector<const ElementInfo*> scripts;
    for (const ElementInfo& e : s->elements) {
        if (e.kind == ElementKind::Script) {
            scripts.push_back(&e);
        }
    }
    ASSERT_EQ(scripts.size(), 6u);
    std::size_t total = 0;
    for (const ElementInfo* e : scripts) {
        EXPECT_LE(e->text.size(), kMaxScriptChars);
        total += e->text.size();
    }
    EXPECT_EQ(scripts[0]->text.size(), kMaxScriptChars);
    EXPECT_TRUE(scripts[0]->truncated);
    EXPECT_EQ(scripts[0]->text.substr(0, 9), "var s = '");
    EXPECT_EQ(total, kMaxTotalScriptChars);
    EXPECT_TRUE(scripts[4]->truncated); // the budget was spent
    EXPECT_TRUE(scripts[4]->text.empty());
    EXPECT_TRUE(scripts[5]->truncated);
}

// A subframe's report is written by the page's own script, which may ignore
// the caps the bridge script keeps: the host holds it to them again.
TEST(DecodeSnapshotTest, AReportThePageWroteIsHeldToTheCaps) {
    const QString script(static_cast<qsizetype>(kMaxScriptChars + 10), QLatin1Char('s'));
    QJsonArray elements;
    elements.append(QJsonArray{3, QString(static_cast<qsizetype>(kMaxAttributeChars + 1), 'n'), "",
                               "", "", 0, "", false});
    for (int i = 0; i < 5; ++i) {
        elements.append(QJsonArray{5, "", "", "", "", 0, script, false});
    }
    QJsonObject report{{"frame", 7},
                       {"title", QString(static_cast<qsizetype>(kMaxAttributeChars * 2), 't')},
                       {"elements", elements}};
    const FrameSnapshot s = DecodeSnapshot(report);
    ASSERT_EQ(s.elements.size(), 6u);
    EXPECT_EQ(s.title.size(), kMaxAttributeChars);
    EXPECT_EQ(s.elements[0].name.size(), kMaxAttributeChars);
    std::size_t total = 0;
    for (std::size_t i = 1; i < 6; ++i) {
        EXPECT_TRUE(s.elements[i].truncated) << i;
        EXPECT_LE(s.elements[i].text.size(), kMaxScriptChars) << i;
        total += s.elements[i].text.size();
    }
    EXPECT_EQ(total, kMaxTotalScriptChars);
    EXPECT_TRUE(s.elements[5].text.empty());
}

} // namespace
} // namespace qv::bridge::test
