#pragma once
// The client's model of the users online: the ordered list OnlineUsers, this user's own record,
// the four id sets that qualify users, and the user list's row state (ticks and selection). Also
// the pure rules of the list: the row icon, which per-user actions are enabled, and the whisper
// prefix of the input line.
//
// Thread: GUI thread only. Bad input (rows or ids that do not exist) is ignored.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chat/chat_ids.h"
#include "chat/id_set.h"
#include "chat/view_port.h"

namespace talvoro::chat {

struct OnlineUser {
    std::int32_t id = 0;
    std::int32_t logonTime = 0;  // date value
    std::string name;            // blanks trimmed
    std::int32_t color = 0;      // 0x00BBGGRR
    std::string address;         // dotted text, blanks trimmed
    std::int16_t version = 0;

    bool operator==(const OnlineUser&) const = default;
};

enum class OwnStatus : std::uint8_t { Present = 0, Away = 1 };

struct OwnUser {
    std::int32_t id = 0;  // learnt from the welcome roster
    std::string name;
    std::int32_t color = 0xAA0000;
    std::string font = "Verdana";
    std::int16_t fontSize = 9;
    OwnStatus status = OwnStatus::Present;
};

// What decides a row's icon.
struct RowState {
    bool away = false;           // id in AwayList
    bool self = false;           // name equals the own name
    bool rejected = false;       // id in RejectedList
    bool rejectsMe = false;      // id in RejectsMeList
    bool noFileReceive = false;  // id in NoFileReceiveList
    bool ownFileHalt = false;    // own "FileServerHalt" on
};

// The icon of a row: the first matching rule of the icon table wins (away before everything).
RowIcon RowIconFor(const RowState& row);

// What the per-user actions depend on.
struct SelectionState {
    bool selected = false;  // a row with a non-empty name is selected
    std::int32_t id = 0;    // that row's id
    std::int32_t ownId = 0;
    bool rejected = false;
    bool rejectsMe = false;
    bool noFileReceive = false;
    bool privateTabCurrent = false;
    bool sendWorkerRunning = false;
};

UserActions ComputeUserActions(const SelectionState& selection);

// The input line with "@@" + name + ": " in front, replacing a whisper prefix already there.
// The group prefix passes the name "[]".
std::string WhisperPrefix(std::string_view line, std::string_view name);

class UserModel {
  public:
    IdSet AwayList;
    IdSet RejectedList;
    IdSet RejectsMeList;
    IdSet NoFileReceiveList;

    const std::vector<OnlineUser>& OnlineUsers() const { return users_; }
    int RowCount() const { return static_cast<int>(users_.size()); }
    // The record shown in `row`, null when there is no such row.
    const OnlineUser* AtRow(int row) const;
    // The first record with `id`, null when there is none.
    const OnlineUser* FindById(std::int32_t id) const;
    // Row of the first record with `id`, -1 when there is none.
    int RowOf(std::int32_t id) const;

    // Appends a record as a new, unticked last row; a record whose id is listed already replaces
    // that record in its row instead (tick and selection stay), so no user is listed twice.
    void Put(OnlineUser user);
    // Removes the first record with `id` and its row; the row's tick goes with it, so ticks stay
    // with the users they were given to. The selection keeps its row number when that row still
    // exists, else moves to the last row (none when the list is empty). Returns whether a record
    // was removed.
    bool Remove(std::int32_t id);

    bool Ticked(int row) const;
    void SetTicked(int row, bool ticked);
    void SetAllTicked(bool ticked);

    // -1 when nothing is selected.
    int SelectedRow() const { return selected_; }
    // Selects `row`; a row that does not exist selects nothing.
    void Select(int row);

    // The rows as the list shows them.
    std::vector<UserRow> Rows(const OwnUser& own, bool ownFileHalt) const;
    SelectionState Selection(const OwnUser& own) const;

  private:
    std::vector<OnlineUser> users_;
    std::vector<bool> ticks_;  // one per row
    int selected_ = -1;
};

}  // namespace talvoro::chat
