#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

namespace kw::app {

// A place for the copy of a data table with unsaved edits: a numbered file in the user's data
// folder (QStandardPaths::AppLocalDataLocation: recovery.txt, recovery-2.txt, ...), guarded by
// a lock file beside it ("recovery.txt.lock") that the window writing the copy holds for as
// long as it runs. A second copy of the program running at the same time takes the next
// number, so that neither writes over the other's copy nor offers it at start. The lock of a
// program that ended without releasing it (a crash, a kill) is free again: its copy is a
// previous run's, offered at the next start.
class RecoverySlot {
public:
    static constexpr int slotCount = 8;

    RecoverySlot();
    RecoverySlot(RecoverySlot&& other) noexcept;
    RecoverySlot& operator=(RecoverySlot&& other) noexcept;
    ~RecoverySlot(); // releases the lock; the copy stays

    // The folder of the copies, and the file of slot `index` (0 .. slotCount - 1).
    static QString folder();
    static QString filePath(int index);
    // The copies that are there, of any slot, newest first.
    static QStringList copiesFound();

    // Takes slot `index` (the folder made where it is missing); false where a running program
    // holds it or the lock cannot be made.
    bool take(int index);
    // Takes the slot whose copy is `path` (one of copiesFound()).
    bool takeCopy(const QString& path);
    // Takes the first free slot.
    bool takeFree();
    void release();

    bool held() const { return lock_ != nullptr; }
    QString path() const; // the copy's file; empty when no slot is held

private:
    int index_ = -1;
    std::unique_ptr<QLockFile> lock_;
};

// Moves a copy that cannot be read out of the way (its name with the time and ".bad" added),
// so that it is neither offered again nor written over; returns the new name, or an empty one
// where even that failed (then the copy is removed, so that it does not come back at every
// start).
QString setCopyAside(const QString& path);

} // namespace kw::app
