#include "core/io/workbookparts.h"

#include "core/base/failure.h"
#include "core/base/parallel.h"
#include "core/io/inlinestrings.h"
#include "core/io/xmlcheck.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace kw {

namespace {

// Parts from this size on are checked on a second thread beside their unpacking, and from the
// larger size on in two halves at once. The fuzz targets reach the halves with small parts,
// and check each part found well formed whole as well: the two ways must agree.
constexpr std::uint64_t besideFrom = std::uint64_t{1} << 20;
#ifdef KW_FUZZ_HALVES
constexpr std::uint64_t halvesFrom = 4096;
constexpr bool halvesAgain = true;
#else
constexpr std::uint64_t halvesFrom = std::uint64_t{16} << 20;
constexpr bool halvesAgain = false;
#endif

// A part the halves found well formed, checked whole, which must find it so too.
void againWhole(const std::function<void()>& check) {
    try {
        check();
    } catch (const Failure& f) {
        std::fprintf(stderr, "the halves passed what a whole check refuses: %s\n",
                     f.message().c_str());
        std::abort();
    }
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(), s.end() - static_cast<std::ptrdiff_t>(tail.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

// The relationship types whose targets orcus' .xlsx reader reads.
bool readType(std::string_view type) {
    const std::size_t slash = type.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? type : type.substr(slash + 1);
    for (const std::string_view read :
         {"officeDocument", "worksheet", "sharedStrings", "styles", "drawing", "table",
          "pivotCacheDefinition", "pivotCacheRecords", "pivotTable", "revisionHeaders",
          "revisionLog"}) {
        if (last == read) {
            return true;
        }
    }
    return false;
}

// A relationship's target as a part name: relative to the folder of the part whose
// relationships name it (the folder above _rels/), or from the root for one starting with /.
std::string resolve(std::string_view relsName, std::string_view target) {
    std::string_view folder;
    if (!target.empty() && target[0] == '/') {
        target.remove_prefix(1);
    } else if (const std::size_t rels = relsName.rfind("_rels/"); rels != std::string_view::npos) {
        folder = relsName.substr(0, rels);
    } else if (const std::size_t slash = relsName.rfind('/'); slash != std::string_view::npos) {
        folder = relsName.substr(0, slash + 1);
    }
    std::vector<std::string_view> steps;
    auto walk = [&](std::string_view path) {
        while (!path.empty()) {
            const std::size_t slash = path.find('/');
            const std::string_view step = path.substr(0, slash);
            path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
            if (step == "..") {
                if (!steps.empty()) {
                    steps.pop_back();
                }
            } else if (!step.empty() && step != ".") {
                steps.push_back(step);
            }
        }
    };
    walk(folder);
    walk(target);
    std::string name;
    for (const std::string_view step : steps) {
        name.append(name.empty() ? "" : "/").append(step);
    }
    return name;
}

// Pieces of a part's bytes from its start, as ZipPart::next gives them.
using Source = std::function<std::string_view(char* buffer, std::size_t capacity)>;

// Whether the XML of a large part is well formed, checked as two halves at once, one on each
// core: expat, the slower part of the check, cannot share one parse between threads. Both
// threads read the part from its start (unpacking is fast); the other one scans to a start tag
// past the middle (XmlOpenElements), where its half begins, and tells this one, whose half ends
// there. False when either half is not well formed; the caller then checks the part whole, for
// the message. The other thread reads the part to its end, so that a damaged part is refused
// for that first.
bool wellFormedInHalves(std::uint64_t size, const Source& first, const Source& second,
                        const std::string& file, const std::string& name,
                        InlineStrings::Search* search,
                        const std::function<void(std::uint64_t)>& tick) {
    // The other thread unpacks all of the part and scans this half besides: it parses less.
    const std::uint64_t middle = size / 16 * 9;
    std::mutex mutex;
    std::condition_variable told;
    bool known = false;               // whether the cut is known
    std::optional<std::uint64_t> cut; // where, when there is one
    std::vector<std::string> open;    // the elements open there
    std::atomic<bool> stop{false};
    auto tell = [&](std::optional<std::uint64_t> at, const std::vector<std::string>& elements) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (known) {
                return;
            }
            known = true;
            cut = at;
            open = elements;
        }
        told.notify_all();
    };

    bool secondWell = false;
    std::exception_ptr secondError;
    InlineStrings::Search secondSearch;
    std::thread other([&] {
        try {
            const auto buffer = std::make_unique<char[]>(XmlCheckBeside::slotSize);
            XmlOpenElements scan;
            std::optional<XmlCheck> xml;
            std::uint64_t at = 0;
            for (std::string_view piece; !stop;) {
                piece = second(buffer.get(), XmlCheckBeside::slotSize);
                if (piece.empty()) {
                    break;
                }
                if (!xml) {
                    const std::optional<std::size_t> start = scan.feed(piece, middle);
                    if (scan.gaveUp()) {
                        break; // this thread reads the part whole
                    }
                    at += piece.size();
                    if (!start) {
                        continue;
                    }
                    const std::vector<std::string> elements = scan.open();
                    tell(at - piece.size() + *start, elements);
                    xml.emplace(file, name);
                    xml->feed(openingTags(elements));
                    piece.remove_prefix(*start);
                }
                if (search != nullptr) {
                    secondSearch.feed(piece);
                }
                xml->feed(piece);
            }
            tell(std::nullopt, {});
            if (xml && !stop) {
                try {
                    xml->finish();
                    secondWell = true;
                } catch (const Failure&) {
                }
            }
        } catch (...) {
            secondError = std::current_exception();
            tell(std::nullopt, {});
        }
    });
    struct Join {
        std::thread& thread;
        std::atomic<bool>& stop;
        ~Join() {
            if (thread.joinable()) {
                stop = true;
                thread.join();
            }
        }
    } join{other, stop};

    XmlCheck xml(file, name);
    const auto buffer = std::make_unique<char[]>(XmlCheckBeside::slotSize);
    std::uint64_t done = 0;
    bool waited = false;
    for (;;) {
        std::string_view piece = first(buffer.get(), XmlCheckBeside::slotSize);
        if (piece.empty()) {
            break;
        }
        if (!waited && done + piece.size() > middle) {
            std::unique_lock<std::mutex> lock(mutex);
            told.wait(lock, [&] { return known; });
            waited = true;
        }
        // The cut is read once told (before, the pieces end before the middle).
        const bool last = waited && cut && done + piece.size() >= *cut;
        if (last) {
            piece = piece.substr(0, static_cast<std::size_t>(*cut - done));
        }
        if (search != nullptr) {
            search->feed(piece);
        }
        xml.feed(piece);
        done += piece.size();
        tick(done);
        if (last) {
            xml.feed(closingTags(open));
            break;
        }
    }
    bool firstWell = false;
    try {
        xml.finish();
        firstWell = true;
    } catch (const Failure&) {
    }
    other.join(); // it reads the part to its end
    if (secondError) {
        std::rethrow_exception(secondError);
    }
    if (search != nullptr) {
        search->include(secondSearch);
    }
    return firstWell && (!cut || secondWell);
}

// Checks one part, telling the bytes done to the pacer.
class PartChecker {
public:
    PartChecker(std::string_view archive, const std::string& file, Feedback* feedback,
                std::uint64_t total)
        : archive_(archive), file_(file), pacer_(feedback, "checking the workbook", total, 1 << 22),
          total_(total) {}

    void check(const ZipEntry& entry, XmlCheck::Watch watch = {},
               InlineStrings::Search* search = nullptr) {
        if (!watch && entry.size >= halvesFrom && workers() > 1) {
            ZipPart first(archive_, entry, file_);
            ZipPart second(archive_, entry, file_);
            const std::uint64_t before = done_;
            const bool well = wellFormedInHalves(
                entry.size, [&](char* b, std::size_t n) { return first.next(b, n); },
                [&](char* b, std::size_t n) { return second.next(b, n); }, file_, entry.name,
                search, [&](std::uint64_t done) { progress(before + done); });
            done_ = before + entry.size;
            if (well) {
                if (halvesAgain) {
                    InlineStrings::Search again;
                    againWhole([&] { whole(entry, {}, &again); });
                    if (search != nullptr && search->found() != again.found()) {
                        std::fprintf(stderr, "the halves found inline strings otherwise\n");
                        std::abort();
                    }
                }
                return;
            }
            done_ = before;
        }
        whole(entry, std::move(watch), search);
    }

private:
    void whole(const ZipEntry& entry, XmlCheck::Watch watch, InlineStrings::Search* search) {
        ZipPart part(archive_, entry, file_);
        XmlCheck xml(file_, entry.name);
        if (watch) {
            xml.watch(std::move(watch));
        }
        XmlCheckBeside beside(xml, entry.size >= besideFrom && workers() > 1);
        for (;;) {
            const std::string_view piece = part.next(beside.slot(), XmlCheckBeside::slotSize);
            if (piece.empty()) {
                break;
            }
            if (search != nullptr) {
                search->feed(piece);
            }
            beside.feed(piece);
            done_ += piece.size();
            progress(done_);
        }
        beside.finish();
    }

    void progress(std::uint64_t done) { pacer_.tick(std::min(done, total_)); }

    std::string_view archive_;
    const std::string& file_;
    Pacer pacer_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
};

} // namespace

void checkContentTypes(std::string_view archive, const std::vector<ZipEntry>& entries,
                       const std::string& file) {
    if (const ZipEntry* types = findZipEntry(entries, "[Content_Types].xml")) {
        PartChecker(archive, file, nullptr, types->size).check(*types);
    }
}

XlsxParts checkXlsxParts(std::string_view archive, const std::vector<ZipEntry>& entries,
                         const std::string& file, Feedback* feedback) {
    XlsxParts parts;
    std::set<std::string_view> seen;
    std::vector<const ZipEntry*> named;
    std::uint64_t total = 0;
    for (const ZipEntry& e : entries) {
        if (seen.insert(e.name).second && (endsWith(e.name, ".xml") || endsWith(e.name, ".rels"))) {
            named.push_back(&e); // the first of a name, the one orcus reads
            total += e.size;
        }
    }
    PartChecker checker(archive, file, feedback, total);
    std::set<std::string> checked;
    std::vector<std::string> targets;
    auto check = [&](const ZipEntry& e) {
        parts.names.push_back(e.name);
        checked.insert(e.name);
        if (e.name == "[Content_Types].xml") {
            return; // checked before orcus told the format
        }
        InlineStrings::Search search;
        const bool sheet = e.name.rfind("xl/worksheets/", 0) == 0;
        XmlCheck::Watch watch;
        if (endsWith(e.name, ".rels")) {
            watch = [&, relsName = e.name](const char* name, const char** attributes) {
                std::string_view element(name);
                if (const std::size_t colon = element.rfind(':'); colon != std::string_view::npos) {
                    element.remove_prefix(colon + 1);
                }
                if (element != "Relationship") {
                    return;
                }
                std::string_view type, target, mode;
                for (; attributes[0] != nullptr; attributes += 2) {
                    const std::string_view key(attributes[0]);
                    if (key == "Type") {
                        type = attributes[1];
                    } else if (key == "Target") {
                        target = attributes[1];
                    } else if (key == "TargetMode") {
                        mode = attributes[1];
                    }
                }
                if (mode != "External" && readType(type) && !target.empty()) {
                    targets.push_back(resolve(relsName, target));
                }
            };
        }
        checker.check(e, std::move(watch), sheet ? &search : nullptr);
        parts.inlineStrings = parts.inlineStrings || search.found();
    };
    for (const ZipEntry* e : named) {
        check(*e);
    }
    // Targets not named .xml.
    for (const std::string& target : targets) {
        if (checked.count(target) == 0) {
            if (const ZipEntry* e = findZipEntry(entries, target)) {
                check(*e);
            }
        }
    }
    return parts;
}

std::optional<std::string> checkedOdsContent(std::string_view archive,
                                             const std::vector<ZipEntry>& entries,
                                             const std::string& file, Feedback* feedback) {
    const ZipEntry* entry = findZipEntry(entries, "content.xml");
    if (entry == nullptr) {
        return std::nullopt;
    }
    Pacer pacer(feedback, "checking the workbook", entry->size, 1 << 22);
    std::string content;
    if (entry->size >= halvesFrom && workers() > 1) {
        unpackZipPart(archive, *entry, file, content);
        std::size_t firstAt = 0;
        std::size_t secondAt = 0;
        auto view = [&content](std::size_t* at) {
            return [&content, at](char*, std::size_t n) {
                const std::string_view piece = std::string_view(content).substr(*at, n);
                *at += piece.size();
                return piece;
            };
        };
        const bool well =
            wellFormedInHalves(entry->size, view(&firstAt), view(&secondAt), file, entry->name,
                               nullptr, [&](std::uint64_t done) { pacer.tick(done); });
        auto whole = [&] {
            XmlCheck xml(file, entry->name);
            xml.feed(content);
            xml.finish();
        };
        if (!well) {
            whole();
        } else if (halvesAgain) {
            againWhole(whole);
        }
        return content;
    }
    XmlCheck xml(file, entry->name);
    XmlCheckBeside beside(xml, entry->size >= besideFrom && workers() > 1);
    std::size_t done = 0;
    unpackZipPart(archive, *entry, file, content, [&](std::string_view piece) {
        beside.feed(piece);
        done += piece.size();
        pacer.tick(done);
    });
    beside.finish();
    return content;
}

} // namespace kw
