#include "core/io/textreader.h"

#include "core/base/failure.h"
#include "core/base/feedback.h"
#include "core/base/parallel.h"
#include "core/io/filebytes.h"
#include "core/io/lineslices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>

namespace kw {

namespace {

constexpr char ctrlz = 26;

// The next line of [pos, end): its end (before CR or LF) and where the following line starts.
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

Line nextLine(const std::string& s, std::size_t pos, std::size_t end) {
    std::size_t i = pos;
    const char* data = s.data();
    while (i < end && data[i] != '\n' && data[i] != '\r') {
        ++i;
    }
    Line line{pos, i, i};
    if (i < end) {
        line.next = i + 1;
        if (data[i] == '\r' && i + 1 < end && data[i + 1] == '\n') {
            line.next = i + 2;
        }
    }
    return line;
}

} // namespace

namespace {

// What one worker read from a slice of the data lines.
struct Chunk {
    std::vector<std::vector<CellRef>> columns;
    std::vector<std::pair<std::size_t, std::size_t>> longCells; // (column, row) to copy later
    std::vector<std::pair<std::size_t, std::size_t>> longSpans; // their (offset, length)
    std::size_t lines = 0;                                      // line ends met
    std::size_t shortLine = 0;   // 1-based line within the slice of the first short line
    std::size_t shortValues = 0; // how many values it held
};

// Reads the data lines of s[from, to): values split at blanks, empty lines skipped, values
// past the last variable dropped; stops at the first line with too few values.
void readChunk(const std::string& s, std::size_t from, std::size_t to, std::size_t variableCount,
               Chunk& chunk, Pacer* pacer) {
    chunk.columns.assign(variableCount, {});
    const std::size_t guess = (to - from) / (2 * variableCount + 1) + 1;
    for (auto& c : chunk.columns) {
        c.reserve(guess);
    }
    const char* data = s.data();
    for (std::size_t pos = from; pos < to;) {
        const Line line = nextLine(s, pos, to);
        pos = line.next;
        ++chunk.lines;
        std::size_t k = 0;
        for (std::size_t i = line.begin; i < line.end && k < variableCount;) {
            if (data[i] == ' ') {
                ++i;
                continue;
            }
            std::size_t j = i + 1;
            while (j < line.end && data[j] != ' ') {
                ++j;
            }
            auto& column = chunk.columns[k++];
            if (TextStore::fitsBase(j - i)) {
                column.push_back(TextStore::baseCell(i, j - i));
            } else {
                chunk.longCells.emplace_back(k - 1, column.size());
                chunk.longSpans.emplace_back(i, j - i);
                column.push_back(CellRef{});
            }
            i = j;
        }
        if (k > 0 && k < variableCount) {
            chunk.shortLine = chunk.lines;
            chunk.shortValues = k;
            return;
        }
        if (k == 0) {
            continue; // an empty line, or blanks only
        }
        if (pacer != nullptr) {
            pacer->tick(pos - from);
        }
    }
}

} // namespace

DataTable readTextData(std::string bytes, Feedback* feedback) {
    auto store = std::make_shared<TextStore>(std::move(bytes));
    const std::string& s = store->base();
    std::size_t end = s.size();
    if (const void* z = std::memchr(s.data(), ctrlz, end)) {
        end = static_cast<std::size_t>(static_cast<const char*>(z) - s.data());
    }

    // Header: the names, separated by blanks.
    Line header = nextLine(s, 0, end);
    std::vector<std::string> names;
    for (std::size_t i = header.begin; i < header.end;) {
        if (s[i] == ' ') {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < header.end && s[j] != ' ') {
            ++j;
        }
        names.emplace_back(s, i, j - i);
        i = j;
    }
    if (names.empty()) {
        throw Failure(Failure::Reason::badData,
                      "the first line of the file holds no variable names");
    }
    const std::size_t variableCount = names.size();

    // The data lines in slices that begin at line starts, one slice per worker.
    const std::size_t first = header.next;
    const std::size_t length = end > first ? end - first : 0;
    const unsigned parts = length < (1u << 20) ? 1 : workers();
    const std::vector<std::size_t> bound = lineSlices(s, first, end, parts);
    std::vector<Chunk> chunks(parts);
    Pacer pacer(feedback, "reading", bound[1] - bound[0]);
    parallelSlices(
        parts,
        [&](unsigned, std::size_t from, std::size_t to) {
            for (std::size_t p = from; p < to; ++p) {
                readChunk(s, bound[p], bound[p + 1], variableCount, chunks[p],
                          p == 0 ? &pacer : nullptr);
            }
        },
        1);

    std::size_t lineNumber = 1;
    std::size_t caseCount = 0;
    for (const Chunk& c : chunks) {
        if (c.shortLine != 0) {
            const std::size_t k = c.shortValues;
            throw Failure(Failure::Reason::badData,
                          "line " + std::to_string(lineNumber + c.shortLine) +
                              " of the file holds " + std::to_string(k) +
                              (k == 1 ? " value" : " values") + ", but the first line names " +
                              std::to_string(variableCount) + " variables");
        }
        lineNumber += c.lines;
        caseCount += c.columns[0].size();
    }
    if (caseCount >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw Failure(Failure::Reason::badData,
                      "the file holds more cases than the program can take");
    }
    if (caseCount == 0) {
        throw Failure(Failure::Reason::badData,
                      "the file holds no data line below the variable names");
    }

    // Cells too long for a reference into the text get a copy of their own; then the slices
    // are joined.
    for (Chunk& c : chunks) {
        for (std::size_t e = 0; e < c.longCells.size(); ++e) {
            const auto [k, row] = c.longCells[e];
            c.columns[k][row] = store->refer(c.longSpans[e].first, c.longSpans[e].second);
        }
    }
    std::vector<std::vector<CellRef>> columns = std::move(chunks[0].columns);
    for (std::size_t p = 1; p < chunks.size(); ++p) {
        for (std::size_t k = 0; k < variableCount; ++k) {
            columns[k].insert(columns[k].end(), chunks[p].columns[k].begin(),
                              chunks[p].columns[k].end());
            chunks[p].columns[k] = {};
        }
    }
    return DataTable(std::move(store), std::move(names), std::move(columns));
}

DataTable readTextFile(const std::string& path, Feedback* feedback) {
    StageTimers stages(feedback);
    stages.next("  read bytes");
    std::string bytes = readFileBytes(path);
    stages.next("  split values");
    return readTextData(std::move(bytes), feedback);
}

} // namespace kw
