#include "server/client_table.h"

#include <algorithm>

namespace talvoro::server {

namespace {

unsigned char Fold(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDF)) {
        return static_cast<unsigned char>(byte + 32);
    }
    return byte;
}

}  // namespace

bool NamesEqualFolded(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Fold(x) == Fold(y); });
}

namespace {

template <typename Records>
auto FindIn(Records& records, ConnectionId id) -> decltype(&records.front()) {
    auto it = std::find_if(records.begin(), records.end(),
                           [id](const ConnectionRecord& r) { return r.id == id; });
    return it == records.end() ? nullptr : &*it;
}

}  // namespace

ConnectionRecord* ClientTable::Find(ConnectionId id) {
    return FindIn(records_, id);
}

const ConnectionRecord* ClientTable::Find(ConnectionId id) const {
    return FindIn(records_, id);
}

std::string_view ClientTable::NameOf(ConnectionId id) const {
    const ConnectionRecord* record = Find(id);
    return record == nullptr ? std::string_view{} : std::string_view(record->name);
}

ConnectionId ClientTable::FindByName(std::string_view name) const {
    if (name.empty()) {
        return 0;
    }
    for (const ConnectionRecord& record : records_) {
        if (record.name == name) {
            return record.id;
        }
    }
    return 0;
}

bool ClientTable::NameTaken(std::string_view name) const {
    return std::any_of(records_.begin(), records_.end(), [name](const ConnectionRecord& r) {
        return NamesEqualFolded(r.name, name);
    });
}

std::optional<ConnectionRecord> ClientTable::Remove(ConnectionId id) {
    auto it = std::find_if(records_.begin(), records_.end(),
                           [id](const ConnectionRecord& r) { return r.id == id; });
    if (it == records_.end()) {
        return std::nullopt;
    }
    ConnectionRecord removed = std::move(*it);
    records_.erase(it);
    return removed;
}

std::vector<ConnectionId> ClientTable::Ids() const {
    return IdsExcept(0);
}

std::vector<ConnectionId> ClientTable::IdsExcept(ConnectionId except) const {
    std::vector<ConnectionId> ids;
    ids.reserve(records_.size());
    for (const ConnectionRecord& record : records_) {
        if (record.id != except) {
            ids.push_back(record.id);
        }
    }
    return ids;
}

}  // namespace talvoro::server
