// bridge_poll_cost [bridge|bare] [seconds] [period]: a console-like frameset
// whose poll frame reloads itself every period ms (100), shown through the page bridge (with a
// host that rewrites the poll script as the program does) or in a bare view.
// Prints the CPU time of every thread of this process and its renderer per
// poll, and their memory, so the bridge's share can be read off two runs.
#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/bridge/page_bridge.h"
#include "backend/qt/bridge/page_bridge_listener.h"
#include "loopback_server.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>
#include <unistd.h>

namespace {

using namespace qv::bridge;

const QByteArray kTop = R"html(<html><head><title>Console</title></head>
<frameset rows="48,*,0"><frame name="vp_bttn" src="/buttons.html"><frame name="vp_disp"
src="/display.html"><frame name="vp_poll" src="/poll.html"></frameset></html>)html";
const QByteArray kButtons = R"html(<html><head><title>Buttons</title><script>
function bttnVphoneLogout() {} function bttnConfig() {} function bttnHelp() {}
</script></head><body><a href="javascript:bttnVphoneLogout();">Logout</a>
<a href="javascript:bttnConfig()">Configuration</a><a href="javascript:bttnHelp()">Help</a>
</body></html>)html";
const QByteArray kDisplay = R"html(<html><head><title>Display</title></head><body>
<form name="display"><input type="text" name="row1"><input type="text" name="row2"></form>
</body></html>)html";
const QByteArray kPoll = R"html(<html><head><title>Poll</title></head><body><script>
function show() {
    var d = top.vp_disp;
    if (!(d && d.document && d.document.display)) return;
    top.vp_disp.document.display.row1.value="";top.vp_disp.document.display.row2.value="";top.focus();
}
show();
</script><script>setTimeout(function () { location.reload(); }, POLL);</script></body></html>)html";

// What the program does with each poll: read the scripts, write back the
// one with the focus request without it.
class Host : public PageBridgeListener {
public:
    PageBridge* bridge = nullptr;
    void OnNavigateComplete(const FrameSnapshot& s) override {
        for (std::size_t i = 0; i < s.elements.size(); ++i) {
            std::string text = s.elements[i].text;
            const auto at = text.find("top.focus()");
            if (s.elements[i].kind == ElementKind::Script && at != std::string::npos) {
                text.erase(at, 11);
                bridge->SetScriptText(s.frame, s.sequence, i, text);
            }
        }
    }
};

// CPU nanoseconds of every thread of a process, by thread name (schedstat
// counts them exactly; the clock ticks of stat only sample).
QMap<QString, qint64> Threads(pid_t pid) {
    QMap<QString, qint64> out;
    const QString base = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(base + "/" + tid + "/stat");
        QFile sched(base + "/" + tid + "/schedstat");
        if (!stat.open(QIODevice::ReadOnly) || !sched.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLatin1(stat.readAll());
        const QString name =
            tid.toInt() == pid ? QStringLiteral("main") : text.section('(', 1).section(')', 0, 0);
        out[name] += sched.readAll().split(' ').value(0).toLongLong();
    }
    return out;
}

QList<pid_t> Children(pid_t pid) {
    QList<pid_t> all{pid};
    for (int i = 0; i < all.size(); ++i) {
        QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(all[i]));
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& c : file.readAll().split(' '))
                if (!c.trimmed().isEmpty())
                    all.append(c.trimmed().toInt());
    }
    return all;
}

// "host" for this process, else the engine's process type. A renderer forked
// from the zygote keeps the zygote's command line, so it counts as "zygote".
QString Kind(pid_t pid) {
    if (pid == getpid())
        return QStringLiteral("host");
    QFile cmd(QStringLiteral("/proc/%1/cmdline").arg(pid));
    cmd.open(QIODevice::ReadOnly);
    const QByteArray line = cmd.readAll().replace('\0', ' ');
    const int type = line.indexOf("--type=");
    return type < 0 ? QStringLiteral("other")
                    : QString::fromLatin1(line.mid(type + 7).split(' ').value(0));
}

// PSS in KiB of every process of the tree, by process kind.
QMap<QString, long> Memory() {
    QMap<QString, long> out;
    for (pid_t pid : Children(getpid())) {
        const QString kind = Kind(pid);
        QFile smaps(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!smaps.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& l : smaps.readAll().split('\n')) {
            const QByteArray value = l.mid(l.indexOf(':') + 1).trimmed();
            if (l.startsWith("Pss:"))
                out[kind] += value.split(' ').value(0).toLong();
            else if (l.startsWith("Private_"))
                out[kind + " private"] += value.split(' ').value(0).toLong();
        }
    }
    return out;
}

QMap<QString, qint64> All() {
    QMap<QString, qint64> out;
    for (pid_t pid : Children(getpid())) {
        const QString kind = Kind(pid);
        const auto threads = Threads(pid);
        for (auto it = threads.begin(); it != threads.end(); ++it)
            out[kind + " / " + it.key()] += it.value();
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking", 0);
    QApplication app(argc, argv);
    const bool bare = argc > 1 && QByteArray(argv[1]) == "bare";
    const int seconds = argc > 2 ? atoi(argv[2]) : 20;

    LoopbackServer server;
    server.Start();
    server.AddPage("/", kTop);
    server.AddPage("/buttons.html", kButtons);
    server.AddPage("/display.html", kDisplay);
    QByteArray poll = kPoll;
    poll.replace("POLL", argc > 3 ? argv[3] : "100");
    server.AddPage("/poll.html", poll);

    BridgeProfile profile;
    Host host;
    std::unique_ptr<PageBridge> bridge;
    std::unique_ptr<QWebEngineView> view;
    if (bare) {
        view = std::make_unique<QWebEngineView>();
        view->resize(366, 522);
        view->show();
        view->load(QUrl(server.Url("/")));
    } else {
        bridge = std::make_unique<PageBridge>(profile, &host);
        host.bridge = bridge.get();
        bridge->Widget()->resize(366, 522);
        bridge->Widget()->show();
        bridge->Navigate(server.Url("/").toStdString());
    }

    QMap<QString, qint64> before;
    int polls = 0;
    QTimer::singleShot(3000, [&] {
        before = All();
        polls = server.CountOf("/poll.html");
    });
    QTimer::singleShot(3000 + seconds * 1000, [&] {
        const QMap<QString, qint64> after = All();
        const int n = server.CountOf("/poll.html") - polls;
        qint64 total = 0;
        for (auto it = after.begin(); it != after.end(); ++it) {
            const qint64 d = it.value() - before.value(it.key());
            total += d;
            if (d > 100000 * n) // more than 0.1 ms a poll
                printf("%-40s %7.3f ms/poll\n", qPrintable(it.key()), d / 1e6 / n);
        }
        printf("%s: %d polls, %.3f ms CPU a poll in all\n", bare ? "bare" : "bridge", n,
               total / 1e6 / n);
        const auto memory = Memory();
        for (auto it = memory.begin(); it != memory.end(); ++it)
            printf("PSS %-10s %8ld KiB\n", qPrintable(it.key()), it.value());
        app.quit();
    });
    const int code = app.exec();
    bridge.reset();
    view.reset();
    return code;
}
