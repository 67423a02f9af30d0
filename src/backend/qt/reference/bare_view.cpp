// qv-bare-view URL [NAME=VALUE]: a plain QWebEngineView on one address, with
// an optional session cookie, nothing else. The yardstick the program's memory
// and idle CPU are measured against.
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
    if (argc > 2) {
        const QByteArray pair(argv[2]);
        const int eq = pair.indexOf('=');
        QNetworkCookie cookie(pair.left(eq), pair.mid(eq + 1));
        cookie.setDomain(url.host());
        cookie.setPath("/");
        view.page()->profile()->cookieStore()->setCookie(cookie, url);
    }
    view.resize(366, 522);
    view.load(url);
    view.show();
    return app.exec();
}
