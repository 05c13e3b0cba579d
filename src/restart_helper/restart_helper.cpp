// talvoro-restart: puts a pushed new version of the program in place of the old one and starts it.
//
// Command line: EXECUTABLE DATADIR [ARGUMENT...]. The update waits in DATADIR + "Transfer/" under
// its fixed name. The old program has just asked for this restart and is quitting; while any
// process still runs EXECUTABLE, or its folder does not take the new file, the helper waits 250 ms
// and tries again, 12 tries in all. On success the new executable is started in its own folder
// with the ARGUMENTs (those the user started the old one with). After the last failed try the
// update is moved to the transfer directory under the executable's own file name, and the warning
// is left as UpdateTroubles.txt in DATADIR (the program shows it at its next start) and as a line
// in the event log. The helper has no window and always exits with 0 once it has run.
//
// The executable is never deleted before its replacement is complete: the new file is written
// beside it under a temporary name and renamed over it, so a failed copy leaves the old one.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/transfer_names.h"

namespace {

using namespace talvoro::transfer;

constexpr int kTries = 12;
constexpr long kWaitNs = 250L * 1000 * 1000;

struct Fd {
    int fd;
    explicit Fd(int value) : fd(value) {}
    ~Fd() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CopyAll(int from, int to) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0;
        }
        if (!WriteAll(to, buffer, static_cast<std::size_t>(n))) {
            return false;
        }
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A running program keeps its executable in use, as the old client does until it has quit: true
// when a process other than this one runs the file `path` names.
bool InUse(const std::string& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return false;
    }
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return false;
    }
    const std::string self = std::to_string(::getpid());
    bool used = false;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string_view::npos ||
            name == self) {
            continue;
        }
        struct stat exe {};
        const std::string link = "/proc/" + std::string(name) + "/exe";
        if (::stat(link.c_str(), &exe) == 0 && exe.st_dev == target.st_dev &&
            exe.st_ino == target.st_ino) {
            used = true;
            break;
        }
    }
    ::closedir(proc);
    return used;
}

// One try: copies `update` beside `executable` and renames it over it. Nothing changes on failure.
bool TryReplace(const std::string& executable, const std::string& update) {
    if (InUse(executable)) {
        return false;
    }
    const Fd source(::open(update.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.fd < 0) {
        return false;
    }
    std::string temp = FolderOf(executable) + "/.talvoro-restart-XXXXXX";
    const Fd target(::mkostemp(temp.data(), O_CLOEXEC));
    if (target.fd < 0) {
        return false;
    }
    const bool written =
        CopyAll(source.fd, target.fd) && ::fchmod(target.fd, 0755) == 0 && ::fsync(target.fd) == 0;
    if (!written || std::rename(temp.c_str(), executable.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    ::unlink(update.c_str());
    return true;
}

// Starts `executable` detached in its own folder; the helper does not wait for it.
void Start(const std::string& executable, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const std::string folder = FolderOf(executable);
    if (::fork() == 0) {
        ::setsid();
        if (::chdir(folder.c_str()) == 0) {
            ::execv(executable.c_str(), argv.data());
        }
        ::_exit(127);
    }
}

std::string TroublesText(const std::string& executable) {
    return "Sorry for giving up but could not replace\n" + executable +
           "\nwith new version in your transfer directory!\n\n"
           "Maybe another instance is still running\nor file is write-protected.";
}

void WriteFile(const std::string& path, const std::string& text, int flags) {
    const Fd out(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644));
    if (out.fd >= 0) {
        WriteAll(out.fd, text.data(), text.size());
    }
}

// One error line in the event log's own format, its line breaks written as blanks.
void LogError(const std::string& dataDir, std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d/%H:%M:%S", &local);
    WriteFile(dataDir + "Talvoro.log", std::string(stamp) + " ERROR: " + text + "\r\n", O_APPEND);
}

// The executable stays locked: the update waits in the transfer directory under its name.
void GiveUp(const std::string& executable, const std::string& dataDir, const std::string& update) {
    // The rename replaces an earlier leftover of the same name.
    const std::string parked = dataDir + std::string(kTransferDirName) + FileNameOf(executable);
    if (std::rename(update.c_str(), parked.c_str()) == 0) {
        ::chmod(parked.c_str(), 0755);
    }
    const std::string text = TroublesText(executable);
    WriteFile(dataDir + std::string(kUpdateTroublesFileName), text, O_TRUNC);
    LogError(dataDir, std::string(kUpdateTroublesTitle) + ": " + text);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fputs("usage: talvoro-restart EXECUTABLE DATADIR [ARGUMENT...]\n", stderr);
        return 2;
    }
    const std::string executable = argv[1];
    std::string dataDir = argv[2];
    if (dataDir.empty() || dataDir.back() != '/') {
        dataDir += '/';
    }
    const std::vector<std::string> arguments(argv + 3, argv + argc);
    const std::string update =
        dataDir + std::string(kTransferDirName) + std::string(kUpdateFileName);

    for (int attempt = 1; attempt <= kTries; ++attempt) {
        if (TryReplace(executable, update)) {
            Start(executable, arguments);
            return 0;
        }
        if (attempt < kTries) {
            const timespec wait{0, kWaitNs};
            ::nanosleep(&wait, nullptr);
        }
    }
    GiveUp(executable, dataDir, update);
    return 0;
}
