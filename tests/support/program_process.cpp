#include "support/program_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "support/temp_dir.h"
#include "support/wait_until.h"

extern char** environ;

namespace talvoro::test {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProgramProcess::ProgramProcess(const std::string& program, const std::vector<std::string>& args,
                               const std::vector<std::string>& extraEnvironment,
                               const ProgramIo& io) {
    std::vector<std::string> environment = extraEnvironment;
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (std::none_of(environment.begin(), environment.end(),
                         [&](const std::string& own) { return nameOf(own) == nameOf(text); })) {
            environment.push_back(text);
        }
    }
    std::vector<std::string> argvTexts = {program};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<char*> argv = Pointers(argvTexts);
    std::vector<char*> envp = Pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeFds[2] = {-1, -1};
    if (io.pipeInput && ::pipe2(pipeFds, O_CLOEXEC) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
        input_ = pipeFds[1];
    }
    if (!io.outputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, io.outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (pipeFds[0] >= 0) {
        ::close(pipeFds[0]);
    }
}

ProgramProcess::~ProgramProcess() {
    CloseInput();
    if (pid_ > 0 && !exited_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool ProgramProcess::Exited() {
    exited_ = exited_ || (pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_);
    return exited_;
}

void ProgramProcess::Signal(int signalNumber) const {
    if (pid_ > 0 && !exited_) {
        ::kill(pid_, signalNumber);
    }
}

int ProgramProcess::WaitForStatus(std::chrono::milliseconds timeout) {
    return WaitUntil([this] { return Exited(); }, timeout, std::chrono::milliseconds(10)) ? status_
                                                                                          : -1;
}

bool ProgramProcess::WriteInput(const std::string& text) {
    std::size_t done = 0;
    while (input_ >= 0 && done < text.size()) {
        const ssize_t wrote = ::write(input_, text.data() + done, text.size() - done);
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return input_ >= 0;
}

void ProgramProcess::CloseInput() {
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
}

std::vector<std::string> LogLines(const std::string& path) {
    const std::string text = ReadFileText(path);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::uint16_t FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 &&
                       ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return bound ? ntohs(address.sin_port) : 0;
}

}  // namespace talvoro::test
