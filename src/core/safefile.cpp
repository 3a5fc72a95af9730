#include "safefile.h"

#include "failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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

[[noreturn]] void fail(const std::string& path, int err) {
    throw Failure::plain("cannot write the file " + path + ": " + std::strerror(err));
}

// The file that a name stands for: links are followed (also to a file not yet there) so
// that the link itself stays.
std::string resolved(const std::string& path) {
    std::filesystem::path p(path);
    std::error_code ec;
    for (int depth = 0; depth < 40 && std::filesystem::is_symlink(p, ec); ++depth) {
        std::filesystem::path target = std::filesystem::read_symlink(p, ec);
        if (ec) {
            break;
        }
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p.string();
}

// Removes the temporary file unless it was renamed into place.
struct TempFile {
    std::string name;
    bool kept = false;
    ~TempFile() {
        if (!kept && !name.empty()) {
            std::remove(name.c_str());
        }
    }
};

} // namespace

void writefilesafely(const std::string& path, const std::function<void(std::ostream&)>& write) {
    const std::string target = resolved(path);
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
        fail(path, EISDIR);
    }
    const std::filesystem::path dir = std::filesystem::path(target).parent_path();
    const std::string stem = (dir.empty() ? std::filesystem::path(".") : dir).string() + "/." +
                             std::filesystem::path(target).filename().string();
    TempFile temp;
#ifdef _WIN32
    for (int attempt = 0; attempt < 100 && temp.name.empty(); ++attempt) {
        std::string name =
            stem + ".tmp" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(attempt);
        FILE* f = std::fopen(name.c_str(), "wbx");
        if (f != nullptr) {
            std::fclose(f);
            temp.name = name;
        }
    }
    if (temp.name.empty()) {
        fail(path, errno);
    }
#else
    std::string pattern = stem + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        fail(path, errno);
    }
    close(fd);
    temp.name = pattern;
#endif
    {
        std::ofstream out(temp.name, std::ios::binary | std::ios::trunc);
        if (!out) {
            fail(path, errno);
        }
        write(out);
        out.flush();
        if (!out) {
            fail(path, errno != 0 ? errno : EIO);
        }
        out.close();
        if (out.fail()) {
            fail(path, errno != 0 ? errno : EIO);
        }
    }
#ifdef _WIN32
    if (!MoveFileExA(temp.name.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail(path, EACCES);
    }
#else
    {
        const int fd = open(temp.name.c_str(), O_RDONLY);
        if (fd < 0 || fsync(fd) != 0) {
            const int err = errno;
            if (fd >= 0) {
                close(fd);
            }
            fail(path, err);
        }
        close(fd);
    }
    // The new file gets the mode of the one it replaces, or the usual mode of a new file.
    struct stat st {};
    mode_t mode = 0;
    if (stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    chmod(temp.name.c_str(), mode);
    if (std::rename(temp.name.c_str(), target.c_str()) != 0) {
        fail(path, errno);
    }
#endif
    temp.kept = true;
}

} // namespace kw
