#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace kw::test {

// A headless LibreOffice of the tests' own: a throwaway profile, a pipe name no one else
// uses, hidden documents only. It runs in a process group of its own (soffice starts
// soffice.bin as a child), which the tests can freeze, thaw or kill.
class HeadlessOffice {
public:
    // Where its profile is: given on the command line, or the default one under a HOME of
    // its own (home()), where another soffice run with that HOME finds the office.
    enum class Profile { commandLine, home };

    // Starts it and waits until it accepts connections; throws std::runtime_error, with the
    // office's output, when it does not within `wait`.
    explicit HeadlessOffice(Profile profile = Profile::commandLine,
                            std::chrono::seconds wait = std::chrono::seconds(60));
    ~HeadlessOffice();
    HeadlessOffice(const HeadlessOffice&) = delete;
    HeadlessOffice& operator=(const HeadlessOffice&) = delete;

    const std::string& pipe() const { return pipe_; }
    std::string home() const { return dir_ + "/home"; }
    // Another pipe the office was made to accept on, whose socket goes with the office.
    void adopt(const std::string& pipe) { pipes_.push_back(pipe); }

    void freeze(); // SIGSTOP to the whole office
    void thaw();   // SIGCONT
    void kill();   // SIGKILL, as a crash would end it
    // SIGTERM, then SIGKILL when it has not ended after a while; removes what it leaves.
    void stop();

private:
    bool exited(std::chrono::milliseconds wait);
    void signal(int number);
    void cleanup();

    std::string dir_;
    std::string pipe_;
    std::vector<std::string> pipes_;
    pid_t pid_ = -1;
};

// The name of a pipe nothing listens on.
std::string unusedPipe();

} // namespace kw::test
