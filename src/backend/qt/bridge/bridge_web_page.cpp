#include "backend/qt/bridge/bridge_web_page.h"

#include <QDebug>

namespace qv::bridge {

BridgeWebPage::BridgeWebPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      // Page console output is noise in normal runs; it helps when a page breaks.
      m_logConsole(qEnvironmentVariableIsSet("QV_BRIDGE_CONSOLE")) {}

bool BridgeWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                            bool isMainFrame) {
    return !m_filter || m_filter(url, type, isMainFrame);
}

QWebEnginePage* BridgeWebPage::createWindow(WebWindowType /*type*/) {
    return nullptr;
}

void BridgeWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel /*level*/,
                                             const QString& message, int line,
                                             const QString& source) {
    if (m_logConsole) {
        qInfo().noquote() << "page:" << source << line << message;
    }
}

} // namespace qv::bridge
