#include "backend/qt/bridge/bridge_profile.h"

#include <QLocale>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace qv::bridge {

BridgeProfile::BridgeProfile() : m_profile(std::make_unique<QWebEngineProfile>()) {
    // A profile without a storage name is off the record already; say the rest.
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // The console's buttons open windows from script without a user gesture.
    m_profile->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // Pages learn the user's language as in any browser; a console that
    // speaks it answers in it.
    if (const QLocale locale; locale.language() != QLocale::C) {
        const QString language = QLocale::languageToCode(locale.language());
        m_profile->setHttpAcceptLanguage(locale.name().replace(u'_', u'-') + u',' + language);
    }
}

void BridgeProfile::Own(QWidget* window) {
    std::erase_if(m_windows, [](const QPointer<QWidget>& w) { return w.isNull(); });
    m_windows.emplace_back(window);
}

BridgeProfile::~BridgeProfile() {
    // The engine wants a profile's pages gone before it.
    for (const QPointer<QWidget>& window : m_windows) {
        delete window.data();
    }
}

} // namespace qv::bridge
