#pragma once
// SIGTERM and SIGINT turned into a readable descriptor (the self-pipe technique), so that the event
// loop can end the program through its orderly shutdown. The signal handler only writes one byte
// to a non-blocking pipe; everything else happens in the loop that watches fd().
// Main thread: construct before other threads start, destroy on the same thread. At most one
// instance may exist at a time (the handler has to find the pipe through a file-local variable).

namespace talvoro::app {

class TerminationSignals {
  public:
    // Creates the pipe and installs the handlers. If the pipe cannot be created the signals keep
    // their previous handling and fd() is -1.
    TerminationSignals();
    // Restores the previous handlers and closes the pipe.
    ~TerminationSignals();

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Becomes readable once SIGTERM or SIGINT arrived; -1 when the pipe could not be created.
    int fd() const { return readFd_; }

    // Empties the pipe without blocking; returns the last signal number read, 0 if none.
    int Consume();

  private:
    int readFd_ = -1;
    int writeFd_ = -1;
    bool installed_ = false;
};

}  // namespace talvoro::app
