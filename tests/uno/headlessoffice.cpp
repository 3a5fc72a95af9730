#include "headlessoffice.h"

#include "calcprobe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <vector>

namespace kw::test {

namespace fs = std::filesystem;

namespace {

std::string uniqueName() {
    static std::atomic<int> counter{0};
    std::random_device random;
    std::ostringstream out;
    out << "kwtest_" << ::getpid() << "_" << counter++ << "_" << std::hex << random();
    return out.str();
}

// The sockets that osl makes for named pipes, "/tmp/OSL_PIPE_<uid>_<name>".
std::string pipePrefix() {
    return "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_";
}

std::set<std::string> officeSockets() {
    std::set<std::string> out;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/tmp", error)) {
        const std::string path = entry.path().string();
        if (path.rfind(pipePrefix() + "SingleOfficeIPC_", 0) == 0) {
            out.insert(path);
        }
    }
    return out;
}

// A socket file no process listens on any more.
bool stale(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool refused =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED;
    ::close(fd);
    return refused;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

std::string unusedPipe() {
    return uniqueName() + "_nobody";
}

HeadlessOffice::HeadlessOffice(Profile profile, std::chrono::seconds wait) {
    const std::string name = uniqueName();
    dir_ = (fs::temp_directory_path() / name).string();
    pipe_ = name;
    fs::create_directories(dir_ + "/tmp");
    fs::create_directories(home());
    fs::remove(pipePrefix() + pipe_);
    const std::set<std::string> before = officeSockets();

    const std::string userInstallation = "-env:UserInstallation=file://" + dir_ + "/profile";
    const std::string accept = "--accept=pipe,name=" + pipe_ + ";urp;StarOffice.ComponentContext";
    const std::string log = dir_ + "/office.log";
    std::vector<const char*> argv = {"soffice",  "--headless",  "--invisible",   "--norestore",
                                     "--nologo", "--nodefault", "--nolockcheck", accept.c_str()};
    if (profile == Profile::commandLine) {
        argv.push_back(userInstallation.c_str());
    }
    argv.push_back(nullptr);
    // Its temporary files go to its directory, and so does its HOME with Profile::home. All
    // made before the fork: the child only execs.
    const char* ownHome = std::getenv("HOME");
    std::vector<std::string> environment = {
        "TMPDIR=" + dir_ + "/tmp",
        "HOME=" + (profile == Profile::home ? home() : std::string(ownHome ? ownHome : "/"))};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        if (!text.starts_with("TMPDIR=") && !text.starts_with("HOME=")) {
            environment.emplace_back(text);
        }
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::execvpe("soffice", const_cast<char* const*>(argv.data()), envp.data());
        ::_exit(127);
    }
    if (pid_ < 0) {
        throw std::runtime_error("cannot fork for soffice");
    }
    ::setpgid(pid_, pid_); // also from here, so that the group exists before any signal

    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (exited(std::chrono::milliseconds(0))) {
            pid_ = -1;
            const std::string output = readFile(log);
            cleanup();
            throw std::runtime_error("soffice ended before it accepted connections:\n" + output);
        }
        try {
            CalcProbe probe(pipe_);
            break;
        } catch (const std::exception&) {
        }
        if (std::chrono::steady_clock::now() > deadline) {
            stop();
            throw std::runtime_error("soffice did not accept connections in time");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    // The socket this office made for its profile, to be removed with the office.
    for (const std::string& path : officeSockets()) {
        if (!before.count(path)) {
            std::ofstream(dir_ + "/sockets", std::ios::app) << path << "\n";
        }
    }
}

HeadlessOffice::~HeadlessOffice() {
    stop();
}

bool HeadlessOffice::exited(std::chrono::milliseconds wait) {
    if (pid_ <= 0) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void HeadlessOffice::signal(int number) {
    if (pid_ > 0) {
        ::kill(-pid_, number);
    }
}

void HeadlessOffice::freeze() {
    signal(SIGSTOP);
}

void HeadlessOffice::thaw() {
    signal(SIGCONT);
}

void HeadlessOffice::kill() {
    signal(SIGKILL);
    exited(std::chrono::seconds(10));
    // soffice.bin is no child of ours: wait until the group has gone.
    for (int i = 0; i < 100 && pid_ > 0 && ::kill(-pid_, 0) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void HeadlessOffice::stop() {
    if (pid_ > 0) {
        signal(SIGCONT); // a frozen office cannot end
        ::kill(pid_, SIGTERM);
        if (!exited(std::chrono::seconds(10))) {
            signal(SIGKILL);
            exited(std::chrono::seconds(10));
        }
        // Whatever is left of the group (soffice.bin after a killed soffice).
        if (::kill(-pid_, 0) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            signal(SIGKILL);
        }
        pid_ = -1;
    }
    cleanup();
}

void HeadlessOffice::cleanup() {
    if (dir_.empty()) {
        return;
    }
    std::vector<std::string> sockets = {pipePrefix() + pipe_};
    for (const std::string& pipe : pipes_) {
        sockets.push_back(pipePrefix() + pipe);
    }
    std::istringstream listed(readFile(dir_ + "/sockets"));
    for (std::string path; std::getline(listed, path);) {
        sockets.push_back(path);
    }
    for (const std::string& path : sockets) {
        std::error_code error;
        if (fs::exists(path, error) && stale(path)) {
            fs::remove(path, error);
        }
    }
    std::error_code error;
    fs::remove_all(dir_, error);
    dir_.clear();
}

} // namespace kw::test
