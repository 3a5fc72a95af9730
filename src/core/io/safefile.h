#pragma once

#include <fstream>
#include <functional>
#include <ostream>
#include <string>

namespace kw {

// A file written so that it is either complete or not changed at all: the text goes to a
// temporary file in the target's folder, which is flushed to disk (finish) and then renamed
// over the target (publish). Any failure (an unwritable folder, a full disk, a name that is a
// folder) throws kw::Failure with the system's message and leaves an existing target
// untouched; the temporary file is removed unless it was published. A target that exists but
// is not a regular file (a device such as /dev/null, a pipe) is written directly: it cannot
// be replaced, and must not be.
class SafeFile {
public:
    explicit SafeFile(const std::string& path);
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;
    ~SafeFile();

    std::ostream& stream() { return out_; }

    // Flushes and syncs the text; every write error shows here.
    void finish();

    // Puts the finished file in place of the target.
    void publish();

private:
    [[noreturn]] void fail(int err) const;

    std::string path_;   // as given, for messages
    std::string target_; // the file it stands for, links followed
    std::string temp_;
    std::ofstream out_;
    bool finished_ = false;
    bool published_ = false;
    bool direct_ = false; // writing into the target itself
};

// Writes a whole file through SafeFile.
void writeFileSafely(const std::string& path, const std::function<void(std::ostream&)>& write);

} // namespace kw
