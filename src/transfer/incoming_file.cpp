#include "transfer/incoming_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "app/date_time.h"
#include "app/event_log.h"
#include "transfer/received_name.h"
#include "transfer/topic_contents.h"
#include "transfer/transfer_names.h"

namespace talvoro::transfer {

IncomingFiles::IncomingFiles(ReceiveSetup setup) : setup_(std::move(setup)) {}

std::string IncomingFiles::TransferDir() const {
    return setup_.dataDir + std::string(kTransferDirName);
}

std::string IncomingFiles::TimeText() const {
    const std::int32_t now = setup_.clock ? setup_.clock() : app::NowDateValue();
    return app::FormatDate(now, "%hh:%ii:%ss");
}

void IncomingFiles::Log(bool isError, const std::string& text) const {
    if (setup_.log != nullptr) {
        setup_.log->LogEvent(isError, text);
    }
}

std::unique_ptr<IncomingFile> IncomingFiles::Begin(const net::FileHeader& header,
                                                   std::uint32_t length, bool fromLoggedOnServer) {
    if (header.sender.empty()) {
        Log(true, "Unknown file sent from " + app::LogSafe(header.sender));
        return nullptr;
    }
    if (header.sender == kTopicContentSender) {
        if (!fromLoggedOnServer) {
            Log(true, "Topic contents refused: not sent by the server");
            return nullptr;
        }
        StartedOne();
        auto pack = std::unique_ptr<IncomingFile>(
            new IncomingFile(*this, header.sender, header.fileName, length));
        pack->topicPack_ = true;
        pack->tooLarge_ = length > kMaxFileSize;
        if (!pack->tooLarge_) {
            pack->TakeTemp(CreateTemp());
        }
        return pack;
    }
    const std::int32_t now = setup_.clock ? setup_.clock() : app::NowDateValue();
    std::string name = ReceivedFileName(header.fileName, fromLoggedOnServer, now);
    StartedOne();
    auto file = std::unique_ptr<IncomingFile>(
        new IncomingFile(*this, header.sender, std::move(name), length));
    setup_.events->ServerLine(
        "** Getting file <" + file->fileName_ + "> from " + header.sender + " (" + TimeText() + ")",
        false);
    if (length > SizeLimitFor(file->fileName_)) {
        file->tooLarge_ = true;
        return file;
    }
    file->TakeTemp(CreateTemp());
    return file;
}

std::optional<TempFile> IncomingFiles::CreateTemp() {
    ::mkdir(TransferDir().c_str(), 0755);  // exists already after the first file
    return TempFile::Create(TransferDir());
}

void IncomingFiles::Detach() {
    std::lock_guard lock(mutex_);
    detached_ = true;
}

void IncomingFiles::StartedOne() {
    std::lock_guard lock(mutex_);
    if (active_++ == 0 && setup_.link != nullptr && !detached_) {
        setup_.link->SendToServer(net::FileReceiveStatusToServer{true}.Encode());
    }
}

void IncomingFiles::EndedOne() {
    std::lock_guard lock(mutex_);
    const bool halted = setup_.fileServerHalt != nullptr && setup_.fileServerHalt->load() != 0;
    if (--active_ == 0 && setup_.link != nullptr && !halted && !detached_) {
        setup_.link->SendToServer(net::FileReceiveStatusToServer{false}.Encode());
    }
}

IncomingFile::IncomingFile(IncomingFiles& owner, std::string sender, std::string fileName,
                           std::uint32_t length)
    : owner_(owner), sender_(std::move(sender)), fileName_(std::move(fileName)), length_(length) {}

void IncomingFile::TakeTemp(std::optional<TempFile> temp) {
    if (temp) {
        temp_.emplace(std::move(*temp));
    }
    writeFailed_ = !temp_.has_value();
}

IncomingFile::~IncomingFile() {
    if (!finished_) {
        Finish(false);
    }
}

void IncomingFile::Write(std::span<const std::uint8_t> bytes) {
    arrived_ += bytes.size();
    if (temp_ && !writeFailed_) {
        writeFailed_ = !WriteAll(temp_->fd(), bytes);
    }
}

ReceiveOutcome IncomingFile::Finish(bool complete) {
    finished_ = true;
    if (topicPack_) {
        return FinishTopicPack(complete);
    }
    const std::string time = owner_.TimeText();
    const std::string path = owner_.TransferDir() + fileName_;
    ReceiveOutcome outcome = ReceiveOutcome::Received;
    std::string line;
    if (tooLarge_) {
        outcome = ReceiveOutcome::TooLarge;
        owner_.Log(true, "Refused file " + app::LogSafe(fileName_) + " from " +
                             app::LogSafe(sender_) + ": " + std::to_string(length_) +
                             " Bytes is more than allowed");
        line = "** Refused " + std::to_string(length_) + " Bytes: file too large (" + time + ")";
    } else if (writeFailed_ || !temp_->Commit(path)) {
        outcome = ReceiveOutcome::CannotWrite;
        owner_.Log(true, "Could not store received file " + app::LogSafe(path));
        line = "** Could not store file <" + fileName_ + "> (" + time + ")";
    } else if (!complete || arrived_ != length_) {
        outcome = ReceiveOutcome::Partial;
        owner_.Log(true, "Incomplete file " + app::LogSafe(fileName_) + " from " +
                             app::LogSafe(sender_) + ": " + std::to_string(arrived_) + " of " +
                             std::to_string(length_) + " Bytes");
        line = "** Received only " + std::to_string(arrived_) + " of " + std::to_string(length_) +
               " Bytes (" + time + ")";
    } else {
        line = "** Received " + std::to_string(length_) + " Bytes (" + time + ")";
    }
    owner_.Tell([&](TransferEvents& events) {
        events.ServerLine(line, false);
        if (outcome == ReceiveOutcome::Received) {
            events.LastServerMessage("Received file " + fileName_ + " from " + sender_ + " (" +
                                     time + ")");
            events.NewContent();
            if (fileName_ != kUpdateFileName) {
                events.FileArrived(path);
            }
        }
    });
    temp_.reset();
    owner_.EndedOne();
    return outcome;
}

// The pack is unpacked in a folder of its own, so that no file in the transfer directory is
// touched and two packs never meet.
ReceiveOutcome IncomingFile::FinishTopicPack(bool complete) {
    ReceiveOutcome outcome = ReceiveOutcome::Received;
    UnpackedTopics unpacked;
    std::string scratch = owner_.TransferDir() + ".topics-XXXXXX";
    if (tooLarge_) {
        outcome = ReceiveOutcome::TooLarge;
        unpacked.fault = std::to_string(length_) + " Bytes is more than allowed";
    } else if (!complete || arrived_ != length_) {
        outcome = ReceiveOutcome::Partial;
        unpacked.fault = "only " + std::to_string(arrived_) + " of " + std::to_string(length_) +
                         " Bytes arrived";
    } else if (writeFailed_ || ::mkdtemp(scratch.data()) == nullptr) {
        outcome = ReceiveOutcome::CannotWrite;
        unpacked.fault = "could not be stored";
    } else {
        scratch += '/';
        const std::string pack = scratch + "pack.kwp";
        if (temp_->Commit(pack)) {
            unpacked = UnpackTopicContents(pack, fileName_, scratch);
        } else {
            unpacked.fault = "could not be stored";
        }
        ::unlink(pack.c_str());
        ::rmdir(scratch.c_str());
    }
    if (!unpacked.fault.empty()) {
        owner_.Log(true, "Topic contents refused: " + unpacked.fault);
        outcome = outcome == ReceiveOutcome::Received ? ReceiveOutcome::CannotWrite : outcome;
    } else {
        owner_.Tell(
            [&](TransferEvents& events) { events.TopicContents(std::move(unpacked.contents)); });
    }
    temp_.reset();
    owner_.EndedOne();
    return outcome;
}

std::optional<std::string> AutoActionTarget(const std::string& path, bool autoPlay, bool autoOpen) {
    const std::size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name == kUpdateFileName) {
        return std::nullopt;
    }
    const std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::array<std::string_view, 7> kPlayable = {"mp3", "wav", "bmp", "gif",
                                                           "jpg", "tif", "png"};
    if (autoPlay && std::find(kPlayable.begin(), kPlayable.end(), extension) != kPlayable.end()) {
        return path;
    }
    if (autoOpen) {
        return path.substr(0, slash == std::string::npos ? 0 : slash + 1);
    }
    return std::nullopt;
}

}  // namespace talvoro::transfer
