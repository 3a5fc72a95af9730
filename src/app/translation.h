#pragma once

#include <QLocale>
#include <QString>

#include <string>

class QCoreApplication;

namespace kw::app {

// Loads the window's texts in the user's language, where the program has them: the first of
// the locale's UI languages that is English or has a catalogue decides. For German that is
// the program's catalogue (compiled in) and Qt's own (the standard buttons), when Qt's
// translations are installed. Replaces what an earlier call loaded; returns whether a
// catalogue of the program's is in use. Tests pass the locale they want.
bool installTranslations(QCoreApplication& app, const QLocale& locale = QLocale::system());

// The text of a core message or progress stage (English, UTF-8) as the window shows it: its
// translation in the context "kw::core" where the catalogue has one, else the text itself.
QString shownText(const std::string& coreText);

} // namespace kw::app
