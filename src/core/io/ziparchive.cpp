#include "core/io/ziparchive.h"

#include "core/base/failure.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace kw {

namespace {

std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint32_t le16(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

void putLe(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xff);
    }
}

} // namespace

std::optional<std::vector<ZipEntry>> zipEntries(std::string_view b) {
    const unsigned char magic[4] = {0x06, 0x05, 0x4b, 0x50}; // 50 4B 05 06 read backwards
    std::size_t end = 0;
    bool found = false;
    for (std::size_t readEnd = b.size(); readEnd > 0 && !found;) {
        const std::size_t length = std::min<std::size_t>(22 + 0xffff, readEnd);
        const std::size_t readPos = readEnd - length;
        std::size_t matched = 0;
        for (std::size_t i = readEnd; i-- > readPos;) {
            if (static_cast<unsigned char>(b[i]) == magic[matched]) {
                if (++matched == 4) {
                    end = i;
                    found = true;
                    break;
                }
            } else {
                matched = 0;
            }
        }
        readEnd = readPos;
    }
    if (!found || end + 22 > b.size()) {
        return std::nullopt;
    }
    std::size_t pos = le32(b, end + 16);
    std::vector<ZipEntry> entries;
    while (pos <= b.size() && b.size() - pos >= 46 && le32(b, pos) == 0x02014b50) {
        ZipEntry e;
        e.method = static_cast<std::uint16_t>(le16(b, pos + 10));
        e.checksum = le32(b, pos + 16);
        e.packed = le32(b, pos + 20);
        e.size = le32(b, pos + 24);
        e.header = le32(b, pos + 42);
        e.record = pos;
        const std::size_t nameLength = le16(b, pos + 28);
        const std::size_t extra = le16(b, pos + 30);
        const std::size_t comment = le16(b, pos + 32);
        if (b.size() - pos - 46 < nameLength) {
            return std::nullopt;
        }
        e.name = std::string(b.substr(pos + 46, nameLength));
        entries.push_back(std::move(e));
        pos += 46 + nameLength + extra + comment;
    }
    return entries;
}

const ZipEntry* findZipEntry(const std::vector<ZipEntry>& entries, std::string_view name) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const ZipEntry& e) { return e.name == name; });
    return found == entries.end() ? nullptr : &*found;
}

struct ZipPart::Inflater {
    z_stream stream{};
    bool ready = false;
    ~Inflater() {
        if (ready) {
            inflateEnd(&stream);
        }
    }
};

ZipPart::ZipPart(std::string_view archive, const ZipEntry& entry, std::string file)
    : archive_(archive), entry_(entry), file_(std::move(file)) {
    // Where orcus finds the data: after the local header, sized by the directory.
    const std::uint64_t header = entry.header;
    if (header > archive.size() || archive.size() - header < 30 ||
        entry.size > entry.packed * maxDeflateRatio + 4096) {
        damaged("cannot be unpacked");
    }
    const std::uint64_t at = header + 30 + le16(archive, header + 26) + le16(archive, header + 28);
    if (at > archive.size() || archive.size() - at < entry.packed) {
        damaged("cannot be unpacked");
    }
    data_ = archive.substr(at, entry.packed);
    if (entry.method == 0) {
        if (entry.packed != entry.size) {
            damaged("cannot be unpacked");
        }
    } else if (entry.method == 8) {
        inflater_ = std::make_unique<Inflater>();
        const int status = inflateInit2(&inflater_->stream, -MAX_WBITS);
        if (status == Z_MEM_ERROR) {
            throw std::bad_alloc();
        }
        if (status != Z_OK) {
            damaged("cannot be unpacked");
        }
        inflater_->ready = true;
    } else {
        throw Failure(Failure::Reason::badData,
                      file_ + " cannot be read: its part " + quotedValue(entry.name) +
                          " is packed in a way the reader does not know (method " +
                          std::to_string(entry.method) + ")");
    }
}

ZipPart::~ZipPart() = default;

void ZipPart::damaged(const std::string& why) const {
    throw Failure(Failure::Reason::badData,
                  file_ + " is damaged: its part " + quotedValue(entry_.name) + " " + why);
}

void ZipPart::finish() {
    ended_ = true;
    if (done_ != entry_.size) {
        damaged("cannot be unpacked");
    }
    if (checksum_ != entry_.checksum) {
        damaged("does not match its checksum");
    }
}

std::string_view ZipPart::next(char* buffer, std::size_t capacity) {
    if (ended_) {
        return {};
    }
    if (!inflater_) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(capacity, data_.size() - done_));
        const std::string_view piece = data_.substr(static_cast<std::size_t>(done_), n);
        checksum_ = zipChecksum(piece, checksum_);
        done_ += n;
        if (done_ == data_.size()) {
            finish();
        }
        return piece;
    }
    z_stream& z = inflater_->stream;
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(capacity, UINT_MAX));
    const uInt room = z.avail_out;
    bool end = false;
    while (z.avail_out > 0) {
        if (z.avail_in == 0) {
            // Nothing left to feed makes inflate fail below: the data ends too soon.
            const auto consumed = static_cast<std::size_t>(z.total_in);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data_.data() + consumed));
            z.avail_in =
                static_cast<uInt>(std::min<std::size_t>(data_.size() - consumed, 1u << 30));
        }
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            end = true;
            break;
        }
        if (status == Z_MEM_ERROR) {
            throw std::bad_alloc();
        }
        if (status != Z_OK) {
            damaged("cannot be unpacked"); // corrupt data, or data that ends too soon
        }
    }
    const std::size_t produced = room - z.avail_out;
    if (produced > entry_.size - done_) {
        damaged("cannot be unpacked");
    }
    const std::string_view piece(buffer, produced);
    checksum_ = zipChecksum(piece, checksum_);
    done_ += produced;
    if (end) {
        finish();
    }
    return piece;
}

void unpackZipPart(std::string_view archive, const ZipEntry& entry, const std::string& file,
                   std::string& out, const std::function<void(std::string_view)>& piece) {
    ZipPart part(archive, entry, file);
    out.assign(static_cast<std::size_t>(entry.size), '\0');
    std::size_t done = 0;
    while (done < out.size()) {
        char* at = out.data() + done;
        const std::string_view p = part.next(at, std::min<std::size_t>(out.size() - done, 1 << 20));
        if (p.empty()) {
            break;
        }
        if (p.data() != at) {
            std::memcpy(at, p.data(), p.size());
        }
        if (piece) {
            piece(std::string_view(at, p.size()));
        }
        done += p.size();
    }
    char rest[64];
    while (!part.next(rest, sizeof rest).empty()) {
        // ZipPart refuses a part that unpacks to more than its size; a stored part has ended.
    }
}

std::uint32_t zipChecksum(std::string_view bytes, std::uint32_t checksum) {
    uLong crc = checksum;
    while (!bytes.empty()) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(n));
        bytes.remove_prefix(n);
    }
    return static_cast<std::uint32_t>(crc);
}

std::string storedZip(std::vector<std::pair<std::string, std::string>> parts) {
    std::string out;
    std::string directory;
    for (auto& [name, data] : parts) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameSize = static_cast<std::uint32_t>(name.size());
        const std::uint32_t crc = zipChecksum(data);
        putLe(out, 0x04034b50, 4);
        putLe(out, 20, 2); // version needed
        putLe(out, 0, 2);  // flags
        putLe(out, 0, 2);  // stored
        putLe(out, 0, 4);  // time, date
        putLe(out, crc, 4);
        putLe(out, size, 4);
        putLe(out, size, 4);
        putLe(out, nameSize, 2);
        putLe(out, 0, 2);
        out += name;
        out += data;
        data = std::string(); // one copy at a time
        putLe(directory, 0x02014b50, 4);
        putLe(directory, 20, 2);
        putLe(directory, 20, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 4);
        putLe(directory, crc, 4);
        putLe(directory, size, 4);
        putLe(directory, size, 4);
        putLe(directory, nameSize, 2);
        putLe(directory, 0, 2); // extra
        putLe(directory, 0, 2); // comment
        putLe(directory, 0, 2); // disk
        putLe(directory, 0, 2); // internal attributes
        putLe(directory, 0, 4); // external attributes
        putLe(directory, offset, 4);
        directory += name;
    }
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    out += directory;
    putLe(out, 0x06054b50, 4);
    putLe(out, 0, 4);
    putLe(out, static_cast<std::uint32_t>(parts.size()), 2);
    putLe(out, static_cast<std::uint32_t>(parts.size()), 2);
    putLe(out, static_cast<std::uint32_t>(directory.size()), 4);
    putLe(out, directoryAt, 4);
    putLe(out, 0, 2);
    return out;
}

} // namespace kw
