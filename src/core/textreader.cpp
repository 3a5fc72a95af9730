#include "textreader.h"

#include "failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

namespace kw {

namespace {

constexpr char ctrlz = 26;

// The next line of [pos, end): its end (before CR or LF) and where the following line starts.
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

Line nextline(const std::string& s, std::size_t pos, std::size_t end) {
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

std::string ioerror(const std::string& path, int err) {
    return "cannot read the file " + path + ": " + std::strerror(err);
}

} // namespace

DataTable readtextdata(std::string bytes, Feedback* feedback) {
    auto store = std::make_shared<TextStore>(std::move(bytes));
    const std::string& s = store->base();
    std::size_t end = s.size();
    if (const void* z = std::memchr(s.data(), ctrlz, end)) {
        end = static_cast<std::size_t>(static_cast<const char*>(z) - s.data());
    }

    // Header: the names, separated by blanks.
    Line header = nextline(s, 0, end);
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
        throw Failure::plain("the first line of the file holds no variable names");
    }
    const std::size_t nvars = names.size();

    std::vector<std::vector<CellRef>> columns(nvars);
    const std::size_t guess = std::min<std::size_t>(end / (2 * nvars + 1) + 1, 1 << 20);
    for (auto& c : columns) {
        c.reserve(guess);
    }

    Pacer pacer(feedback, "reading", end);
    std::size_t lineno = 1;
    std::size_t ncases = 0;
    for (std::size_t pos = header.next; pos < end;) {
        Line line = nextline(s, pos, end);
        pos = line.next;
        ++lineno;
        std::size_t k = 0;
        for (std::size_t i = line.begin; i < line.end && k < nvars;) {
            if (s[i] == ' ') {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < line.end && s[j] != ' ') {
                ++j;
            }
            columns[k++].push_back(store->refer(i, j - i));
            i = j;
        }
        if (k == 0) {
            continue; // an empty line, or blanks only
        }
        if (k < nvars) {
            throw Failure::plain("line " + std::to_string(lineno) + " of the file holds " +
                                 std::to_string(k) + (k == 1 ? " value" : " values") +
                                 ", but the first line names " + std::to_string(nvars) +
                                 " variables");
        }
        if (++ncases >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
            throw Failure::plain("the file holds more cases than the program can take");
        }
        pacer.tick(pos);
    }
    if (ncases == 0) {
        throw Failure::plain("the file holds no data line below the variable names");
    }
    return DataTable(std::move(store), std::move(names), std::move(columns));
}

DataTable readtextfile(const std::string& path, Feedback* feedback) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw Failure::plain(ioerror(path, EISDIR));
    }
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) {
        throw Failure::plain(ioerror(path, errno));
    }
    std::string bytes;
    if (std::filesystem::is_regular_file(path, ec)) {
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > 0) {
            bytes.reserve(static_cast<std::size_t>(size));
        }
    }
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
        bytes.append(buffer, n);
    }
    if (std::ferror(f.get())) {
        throw Failure::plain(ioerror(path, errno));
    }
    return readtextdata(std::move(bytes), feedback);
}

} // namespace kw
