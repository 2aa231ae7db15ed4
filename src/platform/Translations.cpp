#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Installs the translation `prefix`_<locale> (_de_DE, else _de) found first in `folders`; false
// when there is none.
bool install(const QString& prefix, const QLocale& locale, const QStringList& folders) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : folders) {
        if (translator->load(prefix + locale.name(), folder) &&
            QCoreApplication::installTranslator(translator))
            return true;
    }
    delete translator;
    return false;
}

} // namespace

QString installTranslations(const QString& folder) {
    for (const QString& language : QLocale::system().uiLanguages()) {
        const QLocale locale(language);
        if (locale.language() == QLocale::English || locale.language() == QLocale::C)
            return {};
        if (!install(QStringLiteral("voxsplice_"), locale, {folder}))
            continue;
        // Qt's own from Qt's folder; an installation that brings its own Qt keeps them beside
        // the program's.
        install(QStringLiteral("qtbase_"), locale,
                {QLibraryInfo::path(QLibraryInfo::TranslationsPath), folder});
        return QLocale::languageToCode(locale.language());
    }
    return {};
}
