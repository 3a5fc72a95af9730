#include "core/base/failure.h"
#include "core/io/safefile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string readbytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writebytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

Names entries(const fs::path& dir) {
    Names names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeof(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

auto writing(std::string text) {
    return [text = std::move(text)](std::ostream& out) { out << text; };
}

// Bytes with CR LF and a NUL, so that a text-mode rewrite would show.
const std::string oldbytes("old\r\ncontent\0\r\n", 15);

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               std::string("kwsafe_").append(std::to_string(std::random_device()()));
        ASSERT_TRUE(fs::create_directory(dir_));
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(SafeFile, WritesNewFilesAndReplacesOldOnesKeepingTheirMode) {
    const std::string bytes(" var1 var2\r\n 1 5\r\n\0\xff\r\n", 23);
    kw::writeFileSafely((dir_ / "new.txt").string(), writing(bytes));
    EXPECT_EQ(readbytes(dir_ / "new.txt"), bytes);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(modeof(dir_ / "new.txt"), 0666 & ~mask);

    writebytes(dir_ / "old.txt", oldbytes);
    ASSERT_EQ(chmod((dir_ / "old.txt").c_str(), 0640), 0);
    kw::writeFileSafely((dir_ / "old.txt").string(), writing("new"));
    EXPECT_EQ(readbytes(dir_ / "old.txt"), "new");
    EXPECT_EQ(modeof(dir_ / "old.txt"), 0640u);
    kw::writeFileSafely((dir_ / "old.txt").string(), [](std::ostream&) {});
    EXPECT_EQ(readbytes(dir_ / "old.txt"), "");
    EXPECT_EQ(entries(dir_), (Names{"new.txt", "old.txt"}));
}

TEST_F(SafeFile, FailingWriterLeavesEverythingAsItWas) {
    const fs::path target = dir_ / "data.txt";
    writebytes(target, oldbytes);
    auto throwing = [](std::ostream& out) {
        out << std::string(100000, 'x');
        throw std::runtime_error("stopped");
    };
    EXPECT_ANY_THROW(kw::writeFileSafely(target.string(), throwing));
    EXPECT_ANY_THROW(kw::writeFileSafely((dir_ / "fresh.txt").string(), throwing));
    auto broken = [](std::ostream& out) {
        out << "partial";
        out.setstate(std::ios::badbit);
    };
    EXPECT_THROW(kw::writeFileSafely(target.string(), broken), kw::Failure);
    EXPECT_EQ(readbytes(target), oldbytes);
    EXPECT_EQ(entries(dir_), (Names{"data.txt"}));
}

TEST_F(SafeFile, FolderAsTargetOrMissingFolderIsAFailure) {
    fs::create_directory(dir_ / "folder");
    writebytes(dir_ / "folder" / "inside.txt", oldbytes);
    EXPECT_THROW(kw::writeFileSafely((dir_ / "folder").string(), writing("new")), kw::Failure);
    EXPECT_EQ(entries(dir_ / "folder"), (Names{"inside.txt"}));
    EXPECT_EQ(readbytes(dir_ / "folder" / "inside.txt"), oldbytes);

    EXPECT_THROW(kw::writeFileSafely((dir_ / "nowhere" / "x.txt").string(), writing("new")),
                 kw::Failure);
    writebytes(dir_ / "plain", oldbytes);
    EXPECT_THROW(kw::writeFileSafely((dir_ / "plain" / "x.txt").string(), writing("new")),
                 kw::Failure);
    EXPECT_EQ(readbytes(dir_ / "plain"), oldbytes);
    EXPECT_EQ(entries(dir_), (Names{"folder", "plain"}));
}

TEST_F(SafeFile, LinkStaysAndTheFileItNamesIsReplaced) {
    fs::create_directory(dir_ / "real");
    fs::create_directory(dir_ / "links");
    writebytes(dir_ / "real" / "data.txt", oldbytes);
    fs::create_symlink(dir_ / "real" / "data.txt", dir_ / "links" / "absolute");
    const fs::path relative = fs::path("..") / "real" / "data.txt";
    fs::create_symlink(relative, dir_ / "links" / "relative");

    kw::writeFileSafely((dir_ / "links" / "absolute").string(), writing("first"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "absolute"));
    EXPECT_EQ(readbytes(dir_ / "real" / "data.txt"), "first");
    kw::writeFileSafely((dir_ / "links" / "relative").string(), writing("second"));
    EXPECT_EQ(fs::read_symlink(dir_ / "links" / "relative"), relative);
    EXPECT_EQ(readbytes(dir_ / "real" / "data.txt"), "second");
    EXPECT_EQ(entries(dir_ / "real"), (Names{"data.txt"}));
    EXPECT_EQ(entries(dir_ / "links"), (Names{"absolute", "relative"}));
}

// A link whose file does not exist yet stays a link, and the file it names is created.
TEST_F(SafeFile, DanglingLinkStays) {
    fs::create_symlink("target.txt", dir_ / "link");
    kw::writeFileSafely((dir_ / "link").string(), writing("made"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_EQ(readbytes(dir_ / "target.txt"), "made");
}

TEST_F(SafeFile, BareNameGoesToTheWorkingFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir_);
    EXPECT_NO_THROW(kw::writeFileSafely("bare.txt", writing("here")));
    fs::current_path(previous);
    EXPECT_EQ(readbytes(dir_ / "bare.txt"), "here");
    EXPECT_EQ(entries(dir_), (Names{"bare.txt"}));
}

// The message of a failure, or "" when `write` succeeds.
template <typename Write> std::string failureof(Write&& write) {
    try {
        write();
    } catch (const kw::Failure& f) {
        return f.what();
    }
    return "";
}

// A disk that fills up while the file is written: the size limit of the process stands in for
// it (the write fails as on a full disk, with EFBIG instead of ENOSPC).
TEST_F(SafeFile, DiskFullWhileWritingLeavesTheOldFile) {
    const fs::path target = dir_ / "report.txt";
    writebytes(target, oldbytes);
    struct rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldhandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = previous;
    limit.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string big(1 << 20, 'x');
    const std::string message =
        failureof([&] { kw::writeFileSafely(target.string(), writing(big)); });
    const std::string fresh =
        failureof([&] { kw::writeFileSafely((dir_ / "fresh.txt").string(), writing(big)); });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldhandler);

    EXPECT_EQ(message, "cannot write the file " + target.string() + ": " + std::strerror(EFBIG));
    EXPECT_NE(fresh.find(std::strerror(EFBIG)), std::string::npos);
    EXPECT_EQ(readbytes(target), oldbytes);
    EXPECT_EQ(entries(dir_), (Names{"report.txt"})); // no temporary file, no fresh.txt
}

// Folders the program may not write into: one of the kernel's (refused even to root) and,
// when the tests do not run as root, a folder without write permission.
TEST_F(SafeFile, UnwritableFolderIsAFailure) {
    EXPECT_NE(failureof([] { kw::writeFileSafely("/proc/kwreport.txt", writing("x")); }), "");
    EXPECT_FALSE(fs::exists("/proc/kwreport.txt"));
    if (geteuid() == 0) {
        return; // permissions do not bind root
    }
    const fs::path locked = dir_ / "locked";
    fs::create_directory(locked);
    writebytes(locked / "report.txt", oldbytes);
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    const std::string message =
        failureof([&] { kw::writeFileSafely((locked / "report.txt").string(), writing("new")); });
    chmod(locked.c_str(), 0755);
    EXPECT_NE(message.find(std::strerror(EACCES)), std::string::npos);
    EXPECT_EQ(readbytes(locked / "report.txt"), oldbytes);
    EXPECT_EQ(entries(locked), (Names{"report.txt"}));
}

} // namespace

namespace {

// A full device is written directly, and its error is reported, not swallowed.
TEST(SafeFileDevice, FullDeviceReportsTheSystemsMessage) {
    const std::string message = failureof([] {
        kw::writeFileSafely("/dev/full",
                            [](std::ostream& out) { out << std::string(1 << 16, 'x'); });
    });
    EXPECT_EQ(message, std::string("cannot write the file /dev/full: ") + std::strerror(ENOSPC));
}

TEST(SafeFileDevice, DeviceIsWrittenNotReplaced) {
    // A device (or pipe) cannot be replaced by a file: it is written directly and stays what
    // it is.
    kw::writeFileSafely("/dev/null", [](std::ostream& out) { out << "report\r\n"; });
    std::error_code ec;
    const auto status = std::filesystem::status("/dev/null", ec);
    EXPECT_EQ(status.type(), std::filesystem::file_type::character);
}

} // namespace
