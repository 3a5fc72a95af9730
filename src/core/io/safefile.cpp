#include "core/io/safefile.h"

#include "core/base/failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kw {

namespace {

// The file that a name stands for: links are followed (also to a file not yet there) so
// that the link itself stays.
std::string resolved(const std::string& path) {
    std::filesystem::path p(path);
    std::error_code ec;
    // A plain file keeps its name as given: a round trip through path would recode it on
    // Windows.
    if (!std::filesystem::is_symlink(p, ec)) {
        return path;
    }
    for (int depth = 0; depth < 40 && std::filesystem::is_symlink(p, ec); ++depth) {
        std::filesystem::path target = std::filesystem::read_symlink(p, ec);
        if (ec) {
            break;
        }
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p.string();
}

} // namespace

void SafeFile::fail(int err) const {
    throw Failure(Failure::Reason::fileAccess,
                  "cannot write the file " + path_ + ": " + std::strerror(err));
}

SafeFile::SafeFile(const std::string& path) : path_(path), target_(path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec); // through any links
    if (std::filesystem::is_directory(status)) {
        fail(EISDIR);
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        direct_ = true;
        out_.open(path, std::ios::binary);
        if (!out_) {
            fail(errno);
        }
        return;
    }
    target_ = resolved(path);
    const std::filesystem::path dir = std::filesystem::path(target_).parent_path();
    const std::string stem = (dir.empty() ? std::filesystem::path(".") : dir).string() + "/." +
                             std::filesystem::path(target_).filename().string();
#ifdef _WIN32
    for (int attempt = 0; attempt < 100 && temp_.empty(); ++attempt) {
        std::string name =
            stem + ".tmp" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(attempt);
        FILE* f = std::fopen(name.c_str(), "wbx");
        if (f != nullptr) {
            std::fclose(f);
            temp_ = name;
        }
    }
    if (temp_.empty()) {
        fail(errno);
    }
#else
    std::string pattern = stem + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        fail(errno);
    }
    close(fd);
    temp_ = pattern;
#endif
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) {
        const int err = errno;
        std::remove(temp_.c_str());
        fail(err);
    }
}

SafeFile::~SafeFile() {
    if (!published_ && !direct_) {
        out_.close();
        std::remove(temp_.c_str());
    }
}

void SafeFile::finish() {
    if (finished_) {
        return;
    }
    out_.flush();
    if (!out_) {
        fail(errno != 0 ? errno : EIO);
    }
    out_.close();
    if (out_.fail()) {
        fail(errno != 0 ? errno : EIO);
    }
    if (direct_) {
        finished_ = true;
        return;
    }
#ifndef _WIN32
    const int fd = open(temp_.c_str(), O_RDONLY);
    if (fd < 0 || fsync(fd) != 0) {
        const int err = errno;
        if (fd >= 0) {
            close(fd);
        }
        fail(err);
    }
    close(fd);
    // The new file gets the mode of the one it replaces, or the usual mode of a new file.
    struct stat st {};
    mode_t mode = 0;
    if (stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    chmod(temp_.c_str(), mode);
#endif
    finished_ = true;
}

void SafeFile::publish() {
    finish();
    if (direct_) {
        published_ = true;
        return;
    }
#ifdef _WIN32
    if (!MoveFileExA(temp_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail(EACCES);
    }
#else
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        fail(errno);
    }
#endif
    published_ = true;
}

void writeFileSafely(const std::string& path, const std::function<void(std::ostream&)>& write) {
    SafeFile file(path);
    write(file.stream());
    file.publish();
}

} // namespace kw
