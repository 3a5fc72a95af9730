#pragma once

#include <QString>
#include <QStringList>

namespace kw::app {

// What the program keeps for the user under "Quindle Research" / "KruskalWallis" (the
// registry on Windows, an INI file on Linux).

// The version of the program that last closed normally for this user, value "version". Empty
// when none is stored.
QString storedVersion();
void storeVersion(const QString& version);

// The folder of the last file chosen in File > Open (value "lastFolder"); empty when none.
QString lastFolder();
void storeLastFolder(const QString& folder);

// File > Open Recent: the files last read, newest first, at most maxRecentFiles (value
// "recentFiles"). A text file that was read as delimited text (rather than in the program's
// own format) is also listed under "recentDelimited", so that it opens the same way again.
inline constexpr int maxRecentFiles = 10;
QStringList recentFiles();
bool recentAsDelimited(const QString& path);
// Puts `path` (made absolute) at the front, once.
void addRecentFile(const QString& path, bool asDelimited = false);
void removeRecentFile(const QString& path);
void clearRecentFiles();

} // namespace kw::app
