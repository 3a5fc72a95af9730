#include "app/recovery/recoverytable.h"

#include "app/qtlocale.h"
#include "core/base/failure.h"
#include "core/io/textreader.h"
#include "core/io/textwriter.h"

#include <QFile>
#include <QSaveFile>

#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace kw::app {

namespace {

// The write was stopped: the copy is no longer wanted.
struct Stopped {};

// The bytes of the core's writer, in blocks, to a device; the cells' lock is held except
// while a block is written.
class LockedDeviceBuffer final : public std::streambuf {
public:
    LockedDeviceBuffer(QIODevice& device, std::unique_lock<std::mutex>& cells,
                       const std::atomic<bool>& stop)
        : device_(device), cells_(cells), stop_(stop) {
        block_.reserve(blockSize);
    }

    void send() {
        if (!block_.empty()) {
            cells_.unlock();
            const qint64 written = device_.write(block_.data(), qint64(block_.size()));
            cells_.lock();
            if (written != qint64(block_.size())) {
                throw Failure(Failure::Reason::fileAccess, toBytes(device_.errorString()));
            }
            block_.clear();
        }
        if (stop_) {
            throw Stopped{};
        }
    }

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        block_.append(s, static_cast<std::size_t>(n));
        if (block_.size() >= blockSize) {
            send();
        }
        return n;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            block_.push_back(traits_type::to_char_type(c));
            if (block_.size() >= blockSize) {
                send();
            }
        }
        return traits_type::not_eof(c);
    }
    int sync() override {
        send();
        return 0;
    }

private:
    static constexpr std::size_t blockSize = 1 << 16;
    QIODevice& device_;
    std::unique_lock<std::mutex>& cells_;
    const std::atomic<bool>& stop_;
    std::string block_;
};

// The cells of one line as the writer wrote them, a blank before each and none within, as
// (offset, length); false when the line does not begin with a blank.
bool splitLine(const std::string& bytes, std::size_t begin, std::size_t end,
               std::vector<std::pair<std::size_t, std::size_t>>& cells) {
    cells.clear();
    if (begin >= end || bytes[begin] != ' ') {
        return false;
    }
    std::size_t start = begin + 1;
    for (std::size_t i = start; i <= end; ++i) {
        if (i == end || bytes[i] == ' ') {
            cells.emplace_back(start, i - start);
            start = i + 1;
        }
    }
    return true;
}

// The table as the writer wrote it, its cells referring into `bytes` (taken only then), or
// nothing where a line is not one cell per name.
std::optional<DataTable> exactTable(std::string& bytes) {
    const std::string& s = bytes;
    if (s.size() < 2 || s.compare(s.size() - 2, 2, "\r\n") != 0) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    std::vector<std::vector<CellRef>> columns;
    std::vector<std::pair<std::size_t, std::size_t>> cells;
    // Cells too long for a reference into the bytes go into the store once it is made.
    std::vector<std::pair<std::size_t, std::size_t>> longCells; // (column, row)
    std::vector<std::pair<std::size_t, std::size_t>> longSpans;
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t end = s.find("\r\n", pos);
        if (!splitLine(s, pos, end, cells)) {
            return std::nullopt;
        }
        if (names.empty()) {
            for (const auto& [at, length] : cells) {
                if (length == 0) {
                    return std::nullopt;
                }
                names.emplace_back(s, at, length);
            }
            columns.resize(names.size());
        } else {
            if (cells.size() != names.size()) {
                return std::nullopt;
            }
            for (std::size_t k = 0; k < cells.size(); ++k) {
                const auto [at, length] = cells[k];
                if (!TextStore::fitsBase(length)) {
                    longCells.emplace_back(k, columns[k].size());
                    longSpans.push_back(cells[k]);
                }
                columns[k].push_back(length == 0 ? CellRef{} : TextStore::baseCell(at, length));
            }
        }
        pos = end + 2;
    }
    auto store = std::make_shared<TextStore>(std::move(bytes));
    for (std::size_t i = 0; i < longCells.size(); ++i) {
        columns[longCells[i].first][longCells[i].second] =
            store->refer(longSpans[i].first, longSpans[i].second);
    }
    return DataTable(std::move(store), std::move(names), std::move(columns));
}

} // namespace

bool writeRecoveryTable(const QString& path, const DataTable& table, std::mutex& cellsLock,
                        const std::atomic<bool>& stop) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw Failure(Failure::Reason::fileAccess, toBytes(file.errorString()));
    }
    // Typed data may be private: the copy is the user's alone.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    try {
        std::unique_lock<std::mutex> cells(cellsLock);
        LockedDeviceBuffer buffer(file, cells, stop);
        std::ostream out(&buffer);
        // What the buffer throws leaves the writer at once.
        out.exceptions(std::ios::badbit);
        writeTextTable(out, table);
        buffer.send();
    } catch (const Stopped&) {
        file.cancelWriting();
        return false;
    }
    if (stop) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        throw Failure(Failure::Reason::fileAccess, toBytes(file.errorString()));
    }
    return true;
}

DataTable readRecoveryTable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Failure(Failure::Reason::fileAccess, toBytes(file.errorString()));
    }
    const QByteArray read = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw Failure(Failure::Reason::fileAccess, toBytes(file.errorString()));
    }
    std::string bytes(read.constData(), static_cast<std::size_t>(read.size()));
    if (std::optional<DataTable> exact = exactTable(bytes)) {
        return std::move(*exact);
    }
    return readTextData(std::move(bytes));
}

} // namespace kw::app
