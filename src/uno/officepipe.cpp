// The pipe the program and Calc meet on: its name, the command that makes Calc accept it, and
// starting that command.

#include "uno/calclink.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifndef KW_LO_PROGRAM_DIR
#define KW_LO_PROGRAM_DIR "/usr/lib/libreoffice/program"
#endif

namespace kw::uno {

std::string defaultPipe() {
    const char* pipe = std::getenv("KW_OFFICE_PIPE");
    return pipe != nullptr && *pipe != '\0' ? std::string(pipe) : std::string("kruskalwallis");
}

std::string acceptCommand(const std::string& pipe) {
    return "soffice --calc \"--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext\"";
}

#ifdef _WIN32

bool startAccepting(const std::string& pipe, std::string& message) {
    message = "Start LibreOffice Calc with: " + acceptCommand(pipe);
    return false;
}

#else

namespace {

// soffice on the PATH, else the one of the LibreOffice the program was built against.
std::string findSoffice() {
    std::vector<std::string> candidates;
    if (const char* path = std::getenv("PATH")) {
        const std::string dirs = path;
        for (std::size_t start = 0; start <= dirs.size();) {
            std::size_t end = dirs.find(':', start);
            if (end == std::string::npos) {
                end = dirs.size();
            }
            if (end > start) {
                candidates.push_back(dirs.substr(start, end - start) + "/soffice");
            }
            start = end + 1;
        }
    }
    candidates.emplace_back(KW_LO_PROGRAM_DIR "/soffice");
    for (const std::string& candidate : candidates) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

std::string errorText(int error) {
    return std::strerror(error);
}

} // namespace

// Runs soffice in a session of its own through a child that exits at once, so the office
// belongs to neither this program's process group nor its children: closing the program
// leaves Calc open, and nothing is left to reap. A pipe that closes on exec tells whether the
// exec succeeded.
bool startAccepting(const std::string& pipe, std::string& message) {
    const std::string program = findSoffice();
    if (program.empty()) {
        message = "soffice was not found: install LibreOffice Calc, or start it with: " +
                  acceptCommand(pipe);
        return false;
    }
    const std::string accept = "--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext";
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--calc"),
                               const_cast<char*>(accept.c_str()), nullptr};

    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        message = "soffice could not be started: " + errorText(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const pid_t office = ::fork();
        if (office != 0) {
            ::_exit(office < 0 ? 1 : 0);
        }
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
        }
        // Keep only the status pipe (moved to 3, still closing on exec) beside 0, 1 and 2.
        if (status[1] != 3) {
            ::dup3(status[1], 3, O_CLOEXEC);
        }
        ::close_range(4, ~0U, 0);
        ::execv(program.c_str(), argv.data());
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(3, &error, sizeof error);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(status[1]);
    if (child < 0) {
        ::close(status[0]);
        message = "soffice could not be started: " + errorText(forkError);
        return false;
    }
    int execError = 0;
    ssize_t got = 0;
    do {
        got = ::read(status[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(status[0]);
    int childStatus = 0;
    while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof execError)) {
        message = "soffice (" + program + ") could not be started: " + errorText(execError);
        return false;
    }
    if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0) {
        message = "soffice could not be started: no process could be created for it";
        return false;
    }
    message = "LibreOffice Calc was asked to accept the program's connection (pipe '" + pipe +
              "'). A Calc that was not running yet takes a few seconds to start.";
    return true;
}

#endif

} // namespace kw::uno
