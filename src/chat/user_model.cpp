#include "chat/user_model.h"

#include <algorithm>
#include <utility>

namespace talvoro::chat {

RowIcon RowIconFor(const RowState& row) {
    if (row.away) {
        return RowIcon::Away;
    }
    if (row.self) {
        return RowIcon::Self;
    }
    if (row.rejected && row.rejectsMe) {
        return RowIcon::RejectBoth;
    }
    if (row.rejected) {
        return row.noFileReceive ? RowIcon::RejectedNoFileReceive : RowIcon::RejectedByMe;
    }
    if (row.rejectsMe) {
        return row.ownFileHalt ? RowIcon::RejectsMeOwnFileOff : RowIcon::RejectsMe;
    }
    if (!row.ownFileHalt) {
        return row.noFileReceive ? RowIcon::NormalUserFileOff : RowIcon::Normal;
    }
    return row.noFileReceive ? RowIcon::NormalBothFileOff : RowIcon::NormalOwnFileOff;
}

UserActions ComputeUserActions(const SelectionState& s) {
    UserActions actions;
    const bool other = s.selected && s.id != s.ownId;
    actions.rejectChecked = s.selected && s.rejected;
    actions.details = s.selected;
    actions.reject = other;
    actions.whisper = other && !s.rejectsMe && !s.privateTabCurrent;
    actions.transfer = other && !s.rejectsMe && !s.noFileReceive && !s.sendWorkerRunning;
    return actions;
}

std::string WhisperPrefix(std::string_view line, std::string_view name) {
    std::string_view rest = line;
    if (rest.starts_with("@@")) {
        // Position (from 1) of the first ": " from the 4th character on, 0 when there is none;
        // everything after the colon and its blank is kept (only "@" is dropped for 0).
        const std::size_t at = rest.size() > 3 ? rest.find(": ", 3) : std::string_view::npos;
        const std::size_t p = at == std::string_view::npos ? 0 : at + 1;
        rest = rest.substr(p + 1);
    }
    std::string result = "@@";
    result += name;
    result += ": ";
    result += rest;
    return result;
}

const OnlineUser* UserModel::AtRow(int row) const {
    if (row < 0 || row >= RowCount()) {
        return nullptr;
    }
    return &users_[static_cast<std::size_t>(row)];
}

const OnlineUser* UserModel::FindById(std::int32_t id) const {
    return AtRow(RowOf(id));
}

int UserModel::RowOf(std::int32_t id) const {
    const auto it = std::find_if(users_.begin(), users_.end(),
                                 [id](const OnlineUser& u) { return u.id == id; });
    return it == users_.end() ? -1 : static_cast<int>(it - users_.begin());
}

void UserModel::Put(OnlineUser user) {
    if (const int row = RowOf(user.id); row >= 0) {
        users_[static_cast<std::size_t>(row)] = std::move(user);
        return;
    }
    users_.push_back(std::move(user));
    ticks_.push_back(false);
}

bool UserModel::Remove(std::int32_t id) {
    const int row = RowOf(id);
    if (row < 0) {
        return false;
    }
    users_.erase(users_.begin() + row);
    ticks_.erase(ticks_.begin() + row);
    // The same row number again if it still exists, else the last row.
    if (selected_ < 0 || selected_ >= RowCount()) {
        selected_ = RowCount() - 1;
    }
    return true;
}

bool UserModel::Ticked(int row) const {
    return row >= 0 && row < RowCount() && ticks_[static_cast<std::size_t>(row)];
}

void UserModel::SetTicked(int row, bool ticked) {
    if (row >= 0 && row < RowCount()) {
        ticks_[static_cast<std::size_t>(row)] = ticked;
    }
}

void UserModel::SetAllTicked(bool ticked) {
    std::fill(ticks_.begin(), ticks_.end(), ticked);
}

void UserModel::Select(int row) {
    selected_ = row >= 0 && row < RowCount() ? row : -1;
}

std::vector<UserRow> UserModel::Rows(const OwnUser& own, bool ownFileHalt) const {
    std::vector<UserRow> rows;
    rows.reserve(users_.size());
    for (std::size_t i = 0; i < users_.size(); ++i) {
        const OnlineUser& user = users_[i];
        RowState state;
        state.away = AwayList.Contains(user.id);
        state.self = user.name == own.name;
        state.rejected = RejectedList.Contains(user.id);
        state.rejectsMe = RejectsMeList.Contains(user.id);
        state.noFileReceive = NoFileReceiveList.Contains(user.id);
        state.ownFileHalt = ownFileHalt;
        rows.push_back(
            UserRow{user.name, user.id, user.color, RowIconFor(state), ticks_[i], state.away});
    }
    return rows;
}

SelectionState UserModel::Selection(const OwnUser& own) const {
    SelectionState s;
    s.ownId = own.id;
    const OnlineUser* user = AtRow(selected_);
    if (user == nullptr || user->name.empty()) {
        return s;
    }
    s.selected = true;
    s.id = user->id;
    s.rejected = RejectedList.Contains(user->id);
    s.rejectsMe = RejectsMeList.Contains(user->id);
    s.noFileReceive = NoFileReceiveList.Contains(user->id);
    return s;
}

}  // namespace talvoro::chat
