#pragma once

// The engine page of a bridge view: hands navigation requests to the core for a
// synchronous decision and never opens windows on its own.

#include <QWebEnginePage>
#include <functional>

namespace qv::bridge {

class BridgeWebPage : public QWebEnginePage {
    Q_OBJECT

public:
    // Answers true to let the navigation go ahead.
    using NavigationFilter = std::function<bool(const QUrl&, NavigationType, bool isMainFrame)>;

    BridgeWebPage(QWebEngineProfile* profile, QObject* parent);
    void SetNavigationFilter(NavigationFilter filter) { m_filter = std::move(filter); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    // New windows are offered through newWindowRequested, which names the URL;
    // one the host did not take is refused here.
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;

private:
    NavigationFilter m_filter;
    bool m_logConsole = false;
};

} // namespace qv::bridge
