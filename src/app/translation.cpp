#include "app/translation.h"

#include "app/qtlocale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
#include <array>

namespace kw::app {

namespace {

// The languages the program has a catalogue for (translations/kruskalwallis_<code>.ts); its
// source texts are English.
const std::array<QLocale::Language, 1> translated = {QLocale::German};

// Fixed texts of the core that the window shows as they are (the output page's heading, the
// caption before the file's name), listed for the translators: shown through shownText.
[[maybe_unused]] const char* const coreLabels[] = {
    QT_TRANSLATE_NOOP("kw::core", "multiple comparison of groups:"),
    QT_TRANSLATE_NOOP("kw::core", "no multiple comparison of groups:"),
    QT_TRANSLATE_NOOP("kw::core", "Kruskal Wallis Nonparametric ANOVA:"),
};

// The translators this file installed carry this name, so that a later call finds them.
const char* const translatorName = "kwTranslator";

void removeTranslators(QCoreApplication& app) {
    for (QTranslator* translator :
         app.findChildren<QTranslator*>(translatorName, Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

// The catalogue `file` in `directory`, owned by the application; null when there is none.
QTranslator* loaded(QCoreApplication& app, const QString& file, const QString& directory) {
    auto* translator = new QTranslator(&app);
    translator->setObjectName(translatorName);
    if (!translator->load(file, directory)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

// The language of the first UI language that is English or translated; C when none is.
QLocale::Language chosenLanguage(const QLocale& locale) {
    for (const QString& name : locale.uiLanguages()) {
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::English ||
            std::find(translated.begin(), translated.end(), language) != translated.end()) {
            return language;
        }
    }
    return QLocale::C;
}

} // namespace

bool installTranslations(QCoreApplication& app, const QLocale& locale) {
    removeTranslators(app);
    const QLocale::Language language = chosenLanguage(locale);
    if (language == QLocale::English || language == QLocale::C) {
        return false;
    }
    // File names take the language's code alone ("de"): one catalogue serves every country.
    const QString code = QLocale(language).name().section('_', 0, 0);
    QTranslator* own = loaded(app, "kruskalwallis_" + code, ":/i18n");
    if (own == nullptr) {
        return false;
    }
    // Qt's own texts (the standard buttons, the file dialog), where Qt's translations are
    // installed; else those stay English. Installed first, so that the program's catalogue,
    // searched first, could override one of them.
    if (QTranslator* qt =
            loaded(app, "qtbase_" + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    }
    QCoreApplication::installTranslator(own);
    return true;
}

QString shownText(const std::string& coreText) {
    if (coreText.find('\0') != std::string::npos) {
        return qText(coreText); // the lookup reads a C string
    }
    return QCoreApplication::translate("kw::core", coreText.c_str());
}

} // namespace kw::app
