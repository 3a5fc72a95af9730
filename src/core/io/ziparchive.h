#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kw {

// Deflate packs at most about 1032 bytes into one.
inline constexpr std::uint64_t maxDeflateRatio = 1032;

// A part of a zip archive as the archive's directory describes it.
struct ZipEntry {
    std::string name;
    std::uint16_t method = 0;   // 0 stored, 8 deflated
    std::uint32_t checksum = 0; // the CRC-32 of its unpacked bytes
    std::uint64_t packed = 0;   // its size in the archive
    std::uint64_t size = 0;     // its size unpacked
    std::uint64_t header = 0;   // where its local header starts
    std::size_t record = 0;     // where its record in the directory starts
};

// The archive's directory, found the way orcus finds it (the last end record found scanning
// backwards in blocks, the entries from the offset it gives), so that the parts checked here
// are the ones orcus reads. Nothing when it is not a zip archive.
std::optional<std::vector<ZipEntry>> zipEntries(std::string_view archive);

// The entry orcus reads for a name: the first of that name; null when there is none.
const ZipEntry* findZipEntry(const std::vector<ZipEntry>& entries, std::string_view name);

// The bytes of one part, in pieces, checked against its entry as orcus would unpack them:
// their size and their CRC-32. Orcus itself checks neither, and reads what a damaged part
// unpacks to.
class ZipPart {
public:
    // `file` names the file in messages ("the file x.xlsx").
    ZipPart(std::string_view archive, const ZipEntry& entry, std::string file);
    ZipPart(const ZipPart&) = delete;
    ZipPart& operator=(const ZipPart&) = delete;
    ~ZipPart();

    // The next piece: unpacked into `buffer` (at most `capacity` bytes), or for a stored part
    // a view of the archive. Empty at the end of the part, once its size and checksum are
    // found to match. Throws kw::Failure naming the part when it cannot be unpacked, does not
    // match, or is packed in a way the reader does not know.
    std::string_view next(char* buffer, std::size_t capacity);

private:
    [[noreturn]] void damaged(const std::string& why) const;
    void finish();

    struct Inflater;
    std::string_view archive_;
    const ZipEntry& entry_;
    std::string file_;
    std::string_view data_;  // the packed bytes
    std::uint64_t done_ = 0; // bytes handed out
    std::uint32_t checksum_ = 0;
    bool ended_ = false;
    std::unique_ptr<Inflater> inflater_;
};

// A whole part into `out`, checked as ZipPart checks it. `piece`, when given, is called with
// each stretch of `out` as soon as it is there (the views stay valid as long as `out` is left
// as it is).
void unpackZipPart(std::string_view archive, const ZipEntry& entry, const std::string& file,
                   std::string& out, const std::function<void(std::string_view)>& piece = {});

// The CRC-32 of bytes, continuing `checksum`.
std::uint32_t zipChecksum(std::string_view bytes, std::uint32_t checksum = 0);

// A zip archive of stored (uncompressed) parts; each part's data is released once copied.
std::string storedZip(std::vector<std::pair<std::string, std::string>> parts);

} // namespace kw
