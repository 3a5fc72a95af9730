#include "app/recovery/recoverykeeper.h"

#include "app/recovery/recoverytable.h"
#include "core/base/failure.h"

#include <QFile>

#include <algorithm>
#include <utility>

namespace kw::app {

RecoveryKeeper::RecoveryKeeper(std::function<DataTable()> table, QObject* parent)
    : QObject(parent), table_(std::move(table)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::startWrite);
}

RecoveryKeeper::~RecoveryKeeper() {
    stopWriting();
}

void RecoveryKeeper::setDelays(int quiet, int longest) {
    quiet_ = quiet;
    longest_ = longest;
}

void RecoveryKeeper::tableChanged() {
    if (!changed_) {
        changed_ = true;
        firstChange_.start();
    }
    schedule();
}

void RecoveryKeeper::schedule() {
    if (!changed_ || worker_.joinable()) {
        return; // the end of the write under way schedules the next
    }
    const qint64 left = longest_ - firstChange_.elapsed();
    timer_.start(static_cast<int>(std::clamp<qint64>(left, 0, quiet_)));
}

void RecoveryKeeper::startWrite() {
    if (!changed_ || worker_.joinable()) {
        return;
    }
    if (!slot_.held() && !slot_.takeFree()) {
        changed_ = false; // every slot is another program's: no copy for this one
        return;
    }
    changed_ = false;
    stop_ = false;
    const unsigned generation = generation_;
    worker_ = std::thread([this, generation, path = slot_.path(), table = table_()] {
        bool ok = false;
        try {
            ok = writeRecoveryTable(path, table, cellsLock_, stop_);
        } catch (const Failure& failure) {
            qWarning("the copy of the data table could not be written: %s",
                     failure.message().c_str());
        } catch (...) {
            qWarning("the copy of the data table could not be written");
        }
        QMetaObject::invokeMethod(
            this, [this, generation, ok] { writeEnded(generation, ok); }, Qt::QueuedConnection);
    });
}

void RecoveryKeeper::writeEnded(unsigned generation, bool ok) {
    if (generation != generation_) {
        return; // discarded meanwhile (which waited for the write's end)
    }
    worker_.join();
    hasCopy_ = hasCopy_ || ok;
    emit written(ok);
    schedule();
}

void RecoveryKeeper::stopWriting() {
    timer_.stop();
    if (worker_.joinable()) {
        stop_ = true;
        worker_.join();
    }
}

void RecoveryKeeper::adopt(RecoverySlot slot) {
    discard();
    slot_ = std::move(slot);
    hasCopy_ = slot_.held();
}

void RecoveryKeeper::discard() {
    stopWriting();
    ++generation_;
    changed_ = false;
    if (slot_.held()) {
        // After the write has ended: a write that was just putting its file in place would
        // otherwise bring it back.
        QFile::remove(slot_.path());
        slot_.release();
    }
    hasCopy_ = false;
}

} // namespace kw::app
