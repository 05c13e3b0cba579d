#pragma once
// The real program started as a child process for whole-program tests, on the offscreen platform,
// ended by a signal and waited for with bounded waits; killed if it still runs when the object
// goes away. Test thread only.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace talvoro::test {

// Where a program's standard input comes from and its standard output goes.
struct ProgramIo {
    bool pipeInput = false;  // a pipe the test writes with WriteInput; otherwise inherited
    std::string outputPath;  // a file that receives standard output; empty: inherited
};

class ProgramProcess {
  public:
    // Starts `program` with `args`, in this process's environment with QT_QPA_PLATFORM=offscreen
    // and the `extraEnvironment` entries ("NAME=value") in place of entries of the same names.
    ProgramProcess(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnvironment = {}, const ProgramIo& io = {});
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // True once the program has ended (the status is kept).
    bool Exited();
    void Signal(int signalNumber) const;
    // The wait status once the program has ended within `timeout`; -1 if it still runs.
    int WaitForStatus(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Writes `text` whole to the input pipe; false without one or when the program stopped reading.
    bool WriteInput(const std::string& text);
    // Closes the input pipe: the program reads the end of its input.
    void CloseInput();

  private:
    pid_t pid_ = -1;
    int input_ = -1;  // write end of the input pipe
    int status_ = 0;
    bool exited_ = false;
};

// The lines of the event log at `path` (lines end in CR LF); empty when it cannot be read.
std::vector<std::string> LogLines(const std::string& path);

// A TCP port on 127.0.0.1 that was free a moment ago (bound with port 0, then released).
std::uint16_t FreeLoopbackPort();

}  // namespace talvoro::test
