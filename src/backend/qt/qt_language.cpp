#include "backend/qt/qt_language.h"

#include "platform/module/langid.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qv::qt {

void ApplyUserLanguage(HMODULE resources) {
    const QLocale locale(QString::fromStdString(qv::platform::UserUiLocaleName(resources)));
    QLocale::setDefault(locale);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase", "qtwebengine"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        // Tries "de_CH", then "de" ...: a missing catalogue leaves English.
        if (translator->load(locale, QString::fromLatin1(catalogue), QStringLiteral("_"), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

} // namespace qv::qt
