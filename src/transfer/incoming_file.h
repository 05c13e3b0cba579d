#pragma once
// The receiving side of a file transfer: a file block that follows a FileHeader is stored in the
// transfer directory and announced. The bytes are pushed in as they arrive (by the file server
// thread, or by the server thread for a file sent to the operator over a chat connection), so a
// receive never blocks the thread that reads the connection and never holds the file in memory.
//
// While any file is arriving the server is told that this user receives no files
// (FileReceiveStatus "1"); after the last one "0" again, unless the file server is halted.
//
// Bad input: a header without a sender is logged and its block dropped; names are reduced to plain
// file names (transfer/received_name.h); a block above the size limit is dropped without writing;
// a sender that stops part-way leaves a partial file that is reported.
//
// A pack of sticky-topic contents (sender "[TC]") is taken only from the server this client is
// logged on to; it is unpacked when it has arrived whole and handed over as TopicContents, and
// removed again. A pack that is incomplete or unsound is logged and dropped.
//
// Thread: IncomingFiles::Begin and Detach any thread (they lock); one IncomingFile is used by one
// thread. An IncomingFile must not outlive its IncomingFiles.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "net/client_session.h"
#include "net/messages.h"
#include "transfer/file_io.h"
#include "transfer/transfer_events.h"
#include "transfer/transfer_names.h"

namespace talvoro::app {
class EventLog;
}

namespace talvoro::transfer {

// The size limit for a file stored under `storedName` (a ReceivedFileName result): the larger
// bound only for the update, a name that only the own server's files keep.
inline std::uint32_t SizeLimitFor(std::string_view storedName) {
    return storedName == kUpdateFileName ? kMaxUpdateFileSize : kMaxFileSize;
}

enum class ReceiveOutcome {
    Received,     // the whole file is in place
    Partial,      // the sender closed, failed or went quiet part-way: what came is in place
    TooLarge,     // the length is above the limit: the block was read and dropped, nothing written
    CannotWrite,  // the file could not be written: the block was read and dropped
};

struct ReceiveSetup {
    std::string dataDir;                                            // ends in "/"
    const app::SharedField<std::int8_t>* fileServerHalt = nullptr;  // may be null: never halted
    app::EventLog* log = nullptr;                                   // may be null
    net::ServerLink* link = nullptr;      // FileReceiveStatus goes here; may be null
    TransferEvents* events = nullptr;     // required
    std::function<std::int32_t()> clock;  // date value; empty: the wall clock
};

class IncomingFiles;

// One file block being received.
class IncomingFile {
  public:
    ~IncomingFile();
    IncomingFile(const IncomingFile&) = delete;
    IncomingFile& operator=(const IncomingFile&) = delete;

    // The next bytes of the block, in order.
    void Write(std::span<const std::uint8_t> bytes);
    // The block ended: all announced bytes came (`complete`) or the sender stopped. Stores and
    // announces the file. Called once; a receiver destroyed without it finishes as incomplete.
    ReceiveOutcome Finish(bool complete);

    const std::string& FileName() const { return fileName_; }

  private:
    friend class IncomingFiles;
    IncomingFile(IncomingFiles& owner, std::string sender, std::string fileName,
                 std::uint32_t length);
    void TakeTemp(std::optional<TempFile> temp);  // none: nothing can be written
    ReceiveOutcome FinishTopicPack(bool complete);

    IncomingFiles& owner_;
    std::string sender_;
    std::string fileName_;
    std::uint32_t length_;
    std::uint64_t arrived_ = 0;
    std::optional<TempFile> temp_;
    bool tooLarge_ = false;
    bool writeFailed_ = false;
    bool finished_ = false;
    bool topicPack_ = false;  // fileName_ holds the pack's entry names
};

class IncomingFiles {
  public:
    explicit IncomingFiles(ReceiveSetup setup);

    // A file block of `length` bytes starts after `header`. `fromLoggedOnServer`: it came from
    // the address of the server this client is logged on to (only then may it be the update).
    // Returns the receiver for its bytes, or null when the block is to be dropped (no sender, or
    // a topic-content pack from anyone but the server).
    std::unique_ptr<IncomingFile> Begin(const net::FileHeader& header, std::uint32_t length,
                                        bool fromLoggedOnServer);

    std::string TransferDir() const;

    // From now on nothing is reported and no status is sent: the events and the link may go.
    // Receives still open go on storing their files. Any thread.
    void Detach();

  private:
    friend class IncomingFile;
    void StartedOne();
    void EndedOne();
    // Runs `report` with the events unless detached, under the lock.
    template <typename Report>
    void Tell(Report&& report) {
        std::lock_guard lock(mutex_);
        if (!detached_) {
            report(*setup_.events);
        }
    }
    // A new file in the transfer directory to receive into; none when it cannot be made.
    std::optional<TempFile> CreateTemp();
    std::string TimeText() const;
    void Log(bool isError, const std::string& text) const;

    ReceiveSetup setup_;
    std::mutex mutex_;  // guards active_, detached_ and every use of the events and the link
    int active_ = 0;
    bool detached_ = false;
};

// What to open after a file arrived: the file itself when "AutoPlay" is on and its extension (any
// case) is one of mp3, wav, bmp, gif, jpg, tif, png; else the transfer directory when "AutoOpen"
// is on; else nothing. The update file is never opened. `path` is the stored file.
std::optional<std::string> AutoActionTarget(const std::string& path, bool autoPlay, bool autoOpen);

}  // namespace talvoro::transfer
