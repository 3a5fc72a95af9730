#include "app/recovery/recoveryslot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace kw::app {

RecoverySlot::RecoverySlot() = default;
RecoverySlot::RecoverySlot(RecoverySlot&& other) noexcept
    : index_(std::exchange(other.index_, -1)), lock_(std::move(other.lock_)) {}
RecoverySlot& RecoverySlot::operator=(RecoverySlot&& other) noexcept {
    if (this != &other) {
        release();
        index_ = std::exchange(other.index_, -1);
        lock_ = std::move(other.lock_);
    }
    return *this;
}
RecoverySlot::~RecoverySlot() {
    release();
}

QString RecoverySlot::folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString RecoverySlot::filePath(int index) {
    const QString name =
        index == 0 ? QString("recovery.txt") : QString("recovery-%1.txt").arg(index + 1);
    return QDir(folder()).filePath(name);
}

QStringList RecoverySlot::copiesFound() {
    QList<QFileInfo> found;
    for (int i = 0; i < slotCount; ++i) {
        const QFileInfo copy(filePath(i));
        if (copy.isFile()) {
            found << copy;
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    QStringList paths;
    for (const QFileInfo& copy : found) {
        paths << copy.filePath();
    }
    return paths;
}

bool RecoverySlot::take(int index) {
    release();
    if (index < 0 || index >= slotCount || !QDir().mkpath(folder())) {
        return false;
    }
    auto lock = std::make_unique<QLockFile>(filePath(index) + ".lock");
    // Held for the program's whole run: only a program that is no longer running gives it
    // up, never its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        return false;
    }
    index_ = index;
    lock_ = std::move(lock);
    return true;
}

bool RecoverySlot::takeCopy(const QString& path) {
    for (int i = 0; i < slotCount; ++i) {
        if (QFileInfo(filePath(i)) == QFileInfo(path)) {
            return take(i);
        }
    }
    return false;
}

bool RecoverySlot::takeFree() {
    for (int i = 0; i < slotCount; ++i) {
        if (take(i)) {
            return true;
        }
    }
    return false;
}

void RecoverySlot::release() {
    lock_.reset(); // unlocks
    index_ = -1;
}

QString RecoverySlot::path() const {
    return held() ? filePath(index_) : QString();
}

QString setCopyAside(const QString& path) {
    const QString aside =
        path + "." + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz") + ".bad";
    if (QFile::rename(path, aside)) {
        return aside;
    }
    QFile::remove(path);
    return {};
}

} // namespace kw::app
