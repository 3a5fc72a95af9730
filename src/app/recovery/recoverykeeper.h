#pragma once

#include "app/recovery/recoveryslot.h"
#include "core/data/datatable.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace kw::app {

// Keeps a copy of the window's data table on disk while it has edits that were not saved, so
// that a crash loses nothing typed: told of each edit, it writes the table about a second
// after the last edit of a burst, and at the latest some seconds after the first edit not yet
// written. A write runs on a thread of its own from a copy of the table (a table of millions
// of rows takes a while; the window goes on meanwhile, its edits taking `cellsLock()`); an
// edit during a write leads to another write once it has ended. The copy goes into a slot of
// its own (RecoverySlot), taken at the first write.
class RecoveryKeeper final : public QObject {
    Q_OBJECT
public:
    // `table` gives the table as it is now (a copy, which shares the cells).
    explicit RecoveryKeeper(std::function<DataTable()> table, QObject* parent = nullptr);
    ~RecoveryKeeper() override; // a write under way is stopped; the copy stays

    // The lock that edits of the window's table take (see writeRecoveryTable).
    std::mutex& cellsLock() { return cellsLock_; }

    // The table changed: a write follows.
    void tableChanged();
    // The table is the copy of `slot` (restored at start): that copy is kept up to date.
    void adopt(RecoverySlot slot);
    // No unsaved edits any more: a write under way is stopped, the copy removed, the slot
    // given up.
    void discard();

    // The file of the copy; empty while none has been written.
    QString copyPath() const { return hasCopy_ ? slot_.path() : QString(); }
    bool pending() const { return changed_ || worker_.joinable(); }

    // The quiet time after an edit, and the longest wait after the first edit not yet
    // written, in milliseconds.
    void setDelays(int quiet, int longest);

signals:
    // A write has ended: whether the copy was written.
    void written(bool ok);

private:
    void schedule();
    void startWrite();
    void writeEnded(unsigned generation, bool ok);
    void stopWriting();

    std::function<DataTable()> table_;
    RecoverySlot slot_;
    std::mutex cellsLock_;
    QTimer timer_;
    QElapsedTimer firstChange_; // of the edits not yet written
    bool changed_ = false;      // edits not yet written
    bool hasCopy_ = false;      // the slot's file holds a copy of this table
    int quiet_ = 1000;
    int longest_ = 3000;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    unsigned generation_ = 0; // writes that a discard made void are told apart by it
};

} // namespace kw::app
