// qv-bare-view URL [NAME=VALUE] [WIDTHxHEIGHT]: a plain QWebEngineView on one
// address, with an optional session cookie and size, nothing else. The
// yardstick the program's memory and idle CPU are measured against, at the
// size of the program's view.
#include <QApplication>
#include <QNetworkCookie>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QUrl url(QString::fromUtf8(argv[1]));
    QWebEngineView view;
    QSize size(366, 522);
    for (int i = 2; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        const QList<QByteArray> wh = arg.split('x');
        if (wh.size() == 2 && wh[0].toInt() > 0 && wh[1].toInt() > 0) {
            size = QSize(wh[0].toInt(), wh[1].toInt());
            continue;
        }
        const int eq = arg.indexOf('=');
        QNetworkCookie cookie(arg.left(eq), arg.mid(eq + 1));
        cookie.setDomain(url.host());
        cookie.setPath("/");
        view.page()->profile()->cookieStore()->setCookie(cookie, url);
    }
    view.resize(size);
    view.load(url);
    view.show();
    return app.exec();
}
