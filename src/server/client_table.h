#pragma once
// The client table: one record per accepted connection, in the order the connections came. New
// records go to the end; the order is the order of every roster and every broadcast.
//
// Threads: owned by the server rules (server thread, under the server lock).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/process_state.h"
#include "server/outbox.h"
#include "server/server_clock.h"

namespace talvoro::server {

// Where a connection comes from: dotted IPv4 text ("" when unknown) and TCP port.
struct PeerEndpoint {
    std::string address;
    std::uint16_t port = 0;

    bool operator==(const PeerEndpoint&) const = default;
};

// The last FileHeader on one connection: who sends the next file block on it, and its name.
struct PendingFileHeader {
    std::string sender;
    std::string fileName;

    bool operator==(const PendingFileHeader&) const = default;
};

struct ConnectionRecord {
    ConnectionId id = 0;
    std::int32_t logonTime = 0;  // date value of the accepted Logon
    std::string name;            // empty until the Logon is accepted
    std::int32_t color = 0;
    std::string address;  // dotted peer address, "" if it could not be read
    std::int16_t version = 0;
    // Not on the wire: the peer's port (to recognise the operator's own connection), the
    // moment of the accept (for the logon deadline) and the file header its next file block
    // goes with.
    std::uint16_t peerPort = 0;
    SteadyTime acceptedAt{};
    PendingFileHeader pendingFile;

    bool LoggedOn() const { return !name.empty(); }
};

// Two names are the same user name when they are equal after mapping the bytes 'A'..'Z' and
// 0xC0..0xDF to the byte 32 above; every other byte compares as it is.
bool NamesEqualFolded(std::string_view a, std::string_view b);

class ClientTable {
  public:
    // 4096 >> 8: the most records the table holds; the operator's own client counts as one.
    static constexpr std::size_t kMaxRecords = app::kFrameBufferSize >> 8U;

    std::size_t size() const { return records_.size(); }
    bool Full() const { return records_.size() >= kMaxRecords; }

    void Append(ConnectionRecord record) { records_.push_back(std::move(record)); }

    ConnectionRecord* Find(ConnectionId id);
    const ConnectionRecord* Find(ConnectionId id) const;

    // The name in the record of `id`; "" when there is none.
    std::string_view NameOf(ConnectionId id) const;

    // The first record, in table order, whose name equals `name` exactly; 0 when none. An empty
    // name finds nobody: connections that have not logged on cannot be addressed by name.
    ConnectionId FindByName(std::string_view name) const;

    // True when a record's name equals `name` under the folding above. The records of
    // connections not yet logged on have the empty name, so an empty name is always taken.
    bool NameTaken(std::string_view name) const;

    // Takes the record of `id` out of the table; nullopt when there is none.
    std::optional<ConnectionRecord> Remove(ConnectionId id);

    // Every id, in table order.
    std::vector<ConnectionId> Ids() const;
    // Every id except `except`, in table order.
    std::vector<ConnectionId> IdsExcept(ConnectionId except) const;

    const std::vector<ConnectionRecord>& records() const { return records_; }

  private:
    std::vector<ConnectionRecord> records_;
};

}  // namespace talvoro::server
