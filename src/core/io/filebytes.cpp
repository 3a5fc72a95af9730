#include "core/io/filebytes.h"

#include "core/base/failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace kw {

namespace {

Failure ioError(const std::string& path, int err) {
    return Failure(Failure::Reason::fileAccess,
                   "cannot read the file " + path + ": " + std::strerror(err));
}

} // namespace

std::string readFileBytes(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw ioError(path, EISDIR);
    }
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) {
        throw ioError(path, errno);
    }
    std::uintmax_t expected = 0;
    if (std::filesystem::is_regular_file(path, ec)) {
        expected = std::filesystem::file_size(path, ec);
        if (ec) {
            expected = 0;
        }
    }
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(expected));
    const std::size_t have = expected > 0 ? std::fread(bytes.data(), 1, bytes.size(), f.get()) : 0;
    bytes.resize(have);
    char buffer[1 << 16];
    for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0;) {
        bytes.append(buffer, n);
    }
    if (std::ferror(f.get())) {
        throw ioError(path, errno);
    }
    return bytes;
}

} // namespace kw
