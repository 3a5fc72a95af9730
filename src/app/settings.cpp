#include "app/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace kw::app {

namespace {

const char* const organization = "Quindle Research";
const char* const program = "KruskalWallis";
const char* const recentKey = "recentFiles";
const char* const delimitedKey = "recentDelimited";

QString absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// File names compare as the file system does.
constexpr Qt::CaseSensitivity fileCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

// A stored list as it should be: texts only, no empty or repeated entries, at most the cap.
QStringList storedList(const QSettings& s, const char* key) {
    QStringList list;
    for (const QString& entry : s.value(key).toStringList()) {
        if (!entry.isEmpty() && !list.contains(entry, fileCase) && list.size() < maxRecentFiles) {
            list << entry;
        }
    }
    return list;
}

void storeList(QSettings& s, const char* key, const QStringList& list) {
    if (list.isEmpty()) {
        s.remove(key);
    } else {
        s.setValue(key, list);
    }
}

} // namespace

QString storedVersion() {
    QSettings s(organization, program);
    const QVariant v = s.value("version");
    if (!v.isValid()) {
        return {}; // none stored
    }
    // A value that is not text counts as another version, so the notice shows.
    return v.canConvert<QString>() ? v.toString() : QString("?");
}

void storeVersion(const QString& version) {
    QSettings s(organization, program);
    s.setValue("version", version);
    s.sync();
}

QString lastFolder() {
    return QSettings(organization, program).value("lastFolder").toString();
}

void storeLastFolder(const QString& folder) {
    QSettings s(organization, program);
    s.setValue("lastFolder", folder);
}

QStringList recentFiles() {
    return storedList(QSettings(organization, program), recentKey);
}

bool recentAsDelimited(const QString& path) {
    return storedList(QSettings(organization, program), delimitedKey)
        .contains(absolute(path), fileCase);
}

void addRecentFile(const QString& path, bool asDelimited) {
    const QString file = absolute(path);
    QSettings s(organization, program);
    QStringList recent = storedList(s, recentKey);
    recent.removeIf([&](const QString& entry) { return entry.compare(file, fileCase) == 0; });
    recent.prepend(file);
    while (recent.size() > maxRecentFiles) {
        recent.removeLast();
    }
    QStringList delimited = storedList(s, delimitedKey);
    delimited.removeIf([&](const QString& entry) {
        return entry.compare(file, fileCase) == 0 || !recent.contains(entry, fileCase);
    });
    if (asDelimited) {
        delimited.prepend(file);
    }
    storeList(s, recentKey, recent);
    storeList(s, delimitedKey, delimited);
}

void removeRecentFile(const QString& path) {
    const QString file = absolute(path);
    QSettings s(organization, program);
    for (const char* key : {recentKey, delimitedKey}) {
        QStringList list = storedList(s, key);
        list.removeIf([&](const QString& entry) { return entry.compare(file, fileCase) == 0; });
        storeList(s, key, list);
    }
}

void clearRecentFiles() {
    QSettings s(organization, program);
    s.remove(recentKey);
    s.remove(delimitedKey);
}

} // namespace kw::app
