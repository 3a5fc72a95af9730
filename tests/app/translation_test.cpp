// The window's translations, offscreen: the German catalogue loaded for a German locale and
// nothing for others, the catalogue complete and sound, and the report untouched by either.

#include "app/mainwindow.h"
#include "app/qtlocale.h"
#include "app/settings.h"
#include "app/translation.h"
#include "app/work/workfeedback.h"
#include "core/io/textreader.h"
#include "core/session/session.h"
#include "support/sessionsteps.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFile>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <map>

namespace {

const QLocale german(QLocale::German, QLocale::Germany);
const QLocale english(QLocale::English, QLocale::UnitedStates);

// One entry of a catalogue.
struct Entry {
    QString context;
    QString source;
    QString translation;
    QString type; // "unfinished", "vanished", "obsolete", or empty when done
};

std::vector<Entry> catalogue(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    std::vector<Entry> entries;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            entries.push_back({context, {}, {}, {}});
        } else if (xml.name() == u"source" && !entries.empty()) {
            entries.back().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !entries.empty()) {
            entries.back().type = xml.attributes().value("type").toString();
            // Plural texts hold one <numerusform> per form: all of them, one after another.
            entries.back().translation =
                xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    return xml.hasError() ? std::vector<Entry>{} : entries;
}

// The placeholders (%1, %L2, ...) of a text, in order of their numbers.
QStringList placeholders(const QString& text) {
    QStringList found;
    static const QRegularExpression placeholder("%L?(\\d+)");
    for (const auto& m : placeholder.globalMatch(text)) {
        found << m.captured(0);
    }
    found.sort();
    found.removeDuplicates(); // the forms of a plural text hold the same ones each
    return found;
}

// The keyboard mnemonic of a menu text ('&' before a letter; "&&" is a plain '&').
QChar mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == '&') {
            if (text.at(i + 1) != '&') {
                return text.at(i + 1).toLower();
            }
            ++i;
        }
    }
    return {};
}

qsizetype mnemonicCount(const QString& text) {
    return text.count('&') - 2 * text.count("&&");
}

// How many entries of a menu share their mnemonic with an earlier one.
int mnemonicClashes(const QList<QAction*>& actions) {
    std::map<QChar, int> seen;
    int clashes = 0;
    for (const QAction* action : actions) {
        const QChar key = mnemonic(action->text());
        if (!action->isSeparator() && action->isVisible() && !key.isNull() && seen[key]++ > 0) {
            ++clashes;
        }
    }
    return clashes;
}

QString menuTitle(const QWidget& window, const char* name) {
    const auto* menu = window.findChild<QMenu*>(name);
    return menu ? menu->title() : QString("(no menu %1)").arg(name);
}

} // namespace

class TranslationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void languageFollowsTheLocale_data();
    void languageFollowsTheLocale();
    void germanWindow();
    void otherLanguagesLeaveTheTextsAlone();
    void coreTexts();
    void everyProgressStageIsTranslated();
    void catalogueIsCompleteAndSound();
    void mnemonicsStayUsable();
    void reportIsTheSameInEveryLanguage();

private:
    QTemporaryDir settingsDir_;
};

void TranslationTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(settingsDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    kw::app::storeVersion("10.3");
    QLocale::setDefault(english); // the machine's own locale plays no part
}

void TranslationTest::cleanup() {
    kw::app::installTranslations(*qApp, QLocale::c());
    QLocale::setDefault(english);
}

void TranslationTest::languageFollowsTheLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("translated");
    QTest::newRow("de_DE") << german << true;
    QTest::newRow("de_AT") << QLocale(QLocale::German, QLocale::Austria) << true;
    QTest::newRow("de_CH") << QLocale(QLocale::German, QLocale::Switzerland) << true;
    QTest::newRow("en_US") << english << false;
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom) << false;
    QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France) << false;
    QTest::newRow("C") << QLocale::c() << false;
}

void TranslationTest::languageFollowsTheLocale() {
    QFETCH(QLocale, locale);
    QFETCH(bool, translated);
    // After German, so that a language without a catalogue must also take German away.
    kw::app::installTranslations(*qApp, german);
    QCOMPARE(kw::app::installTranslations(*qApp, locale), translated);
    const QString cancel = QCoreApplication::translate("kw::app::WorkRunner", "Cancel");
    QCOMPARE(cancel, translated ? QString("Abbrechen") : QString("Cancel"));
}

void TranslationTest::germanWindow() {
    QVERIFY(kw::app::installTranslations(*qApp, german));
    kw::app::MainWindow window;
    QCOMPARE(menuTitle(window, "File1"), QString("&Datei"));
    QCOMPARE(menuTitle(window, "Help1"), QString("&Hilfe"));
    const auto* cancel = window.findChild<QPushButton*>("cancelwork");
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QString("Abbrechen"));

    // Qt's own texts follow where Qt's translations are installed.
    const QString qtDir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (QFile::exists(qtDir + "/qtbase_de.qm")) {
        QDialogButtonBox box(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QString("Abbrechen"));
        QCOMPARE(box.button(QDialogButtonBox::Save)->text(), QString("Speichern"));
    }
}

void TranslationTest::otherLanguagesLeaveTheTextsAlone() {
    for (const QLocale& locale : {english, QLocale::c()}) {
        kw::app::installTranslations(*qApp, german);
        QVERIFY(!kw::app::installTranslations(*qApp, locale));
        kw::app::MainWindow window;
        QCOMPARE(menuTitle(window, "File1"), QString("&File"));
        QCOMPARE(menuTitle(window, "Help1"), QString("&Help"));
        QCOMPARE(window.findChild<QPushButton*>("cancelwork")->text(), QString("Cancel"));
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QString("Cancel"));
    }
}

void TranslationTest::coreTexts() {
    const std::string huge(50000, '7');
    const std::string unknown = "variable \xc3\xa4 is not numeric";
    kw::app::WorkFeedback feedback;
    feedback.progress("reading", 0.5);

    QVERIFY(kw::app::installTranslations(*qApp, german));
    QCOMPARE(feedback.stage(), QString("Lesen"));
    QCOMPARE(kw::app::shownText("collecting groups"), QString("Gruppen bilden"));
    // A text the catalogue lacks, as the core wrote it (UTF-8).
    QCOMPARE(kw::app::shownText(unknown), QString::fromUtf8(unknown.c_str()));
    QCOMPARE(kw::app::shownText(std::string("a\0b", 3)), kw::app::qText(std::string("a\0b", 3)));
    QVERIFY(kw::app::qShown(huge).endsWith("... (50000 Zeichen)"));

    kw::app::installTranslations(*qApp, english);
    QCOMPARE(feedback.stage(), QString("reading"));
    QVERIFY(kw::app::qShown(huge).endsWith("... (50000 characters)"));
}

void TranslationTest::everyProgressStageIsTranslated() {
    // The stages the core's long work names (Pacer, SharedPacer, progress), read from its
    // sources: a new one must reach the catalogue (src/app/work/workfeedback.cpp lists them).
    static const QRegularExpression stage(
        "(?:Pacer\\s+\\w+\\(|pacer_\\(|progress\\()\\s*\\w+\\s*,\\s*\"([^\"]+)\"|"
        "progress\\(\\s*\"([^\"]+)\"");
    QStringList stages;
    QDirIterator files(KW_TRANSLATIONS_DIR "/../src/core", {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (const auto& m : stage.globalMatch(QString::fromUtf8(file.readAll()))) {
            stages << (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1));
        }
    }
    QVERIFY2(stages.size() >= 10, qPrintable(stages.join(", ")));
    QVERIFY(kw::app::installTranslations(*qApp, german));
    QStringList untranslated;
    for (const QString& name : stages) {
        if (kw::app::shownText(name.toStdString()) == name) {
            untranslated << name;
        }
    }
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(", ")));
}

void TranslationTest::catalogueIsCompleteAndSound() {
    const std::vector<Entry> entries = catalogue(KW_TRANSLATIONS_DIR "/kruskalwallis_de.ts");
    QVERIFY2(!entries.empty(), "the German catalogue is missing or not well-formed");
    // Every fault at once, so that one run lists what is left to translate.
    QStringList faults;
    for (const Entry& e : entries) {
        const QString where = e.context + ": \"" + e.source + "\" ";
        if (!e.type.isEmpty()) {
            faults << where + e.type;
        } else if (e.translation.isEmpty()) {
            faults << where + "has no translation";
        } else if (placeholders(e.translation) != placeholders(e.source)) {
            faults << where + "has other placeholders: " + e.translation;
        } else if (mnemonicCount(e.translation) != mnemonicCount(e.source)) {
            faults << where + "has another number of mnemonics: " + e.translation;
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void TranslationTest::mnemonicsStayUsable() {
    // Each key opens one entry: in the menu bar and within every menu of it.
    QVERIFY(kw::app::installTranslations(*qApp, german));
    kw::app::MainWindow window;
    QCOMPARE(mnemonicClashes(window.menuBar()->actions()), 0);
    const QList<QMenu*> menus = window.menuBar()->findChildren<QMenu*>();
    QVERIFY(!menus.isEmpty());
    for (const QMenu* menu : menus) {
        QVERIFY2(mnemonicClashes(menu->actions()) == 0,
                 qPrintable(menu->objectName() + " has a key twice"));
    }
}

void TranslationTest::reportIsTheSameInEveryLanguage() {
    // As the window makes it, with the user's locale; only the language differs.
    auto report = [](const QLocale& language) {
        kw::app::installTranslations(*qApp, language);
        kw::Session s(kw::app::userLocale());
        kw::test::openTextFile(s, KW_EXAMPLES_DIR "/plantgrowth.txt");
        s.pickGroup(0);
        s.pickTest(1);
        kw::test::calculate(s);
        return s.report();
    };
    const std::string inEnglish = report(english);
    QVERIFY(inEnglish.starts_with("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));
    QVERIFY(inEnglish.find("Chi2:") != std::string::npos);
    QCOMPARE(report(german), inEnglish);
    // The language leaves the numbers' locale alone: the decimal mark stays the user's.
    QCOMPARE(QLocale().decimalPoint(), QString("."));
}

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
