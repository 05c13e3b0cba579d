#pragma once
// Shared fixture of the chat tests: a ChatClient on a recording view and a recording server link,
// a fixed clock at 12:34:56, and helpers that deliver server frames through the real encoder and
// frame reader.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/process_state.h"
#include "chat/chat_client.h"
#include "net/client_session.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/message_kind.h"
#include "net/text_fields.h"
#include "net/user_roster.h"
#include "support/fake_clock.h"
#include "support/recording_view.h"

namespace talvoro::test {

// Records what the chat core sends and the tab selected at each send.
class RecordingLink : public net::ServerLink {
  public:
    std::vector<std::string> sent;
    std::vector<int> sentOnTab;
    int selectedTab = 0;
    bool fail = false;

    bool SendToServer(std::string_view payload) override {
        if (fail) {
            return false;
        }
        sent.emplace_back(payload);
        sentOnTab.push_back(selectedTab);
        return true;
    }
    void SetSelectedTab(int index) override { selectedTab = index; }
};

inline std::string Payload(net::MessageKind kind, std::string_view text) {
    return std::string(1, net::KindChar(kind)) + std::string(text);
}

// A relayed chat payload as the server sends it: K + id + K + text.
inline std::string Relayed(net::MessageKind kind, std::int32_t id, std::string_view text) {
    return Payload(kind, net::NumberText(id) + net::KindChar(kind) + std::string(text));
}

inline net::UserRecord User(std::int32_t id, std::string name, std::int32_t color = 0x112233,
                            std::int16_t version = 1600) {
    net::UserRecord user;
    user.id = id;
    user.logonTime = kTestNoon - 60;
    user.name = std::move(name);
    user.color = color;
    user.address = "10.0.0." + net::NumberText(id);
    user.version = version;
    return user;
}

class ChatFixture : public ::testing::Test {
  protected:
    ChatFixture() {
        clock.now = kTestNoon;
        state.settings.UserName = "alice";
        state.settings.Host = "chathost";
        state.settings.Port = 1805;
        state.settings.Color = 0x0000AA;
        state.WindowShown = true;
        state.DataDir = "/data/";
        hooks.executablePath = "/opt/talvoro/talvoro";
    }

    void StartClient() {
        client =
            std::make_unique<chat::ChatClient>(state, view, link, nullptr, clock.Function(), hooks);
        client->Start();
    }

    chat::ChatContext& ctx() { return client->Context(); }

    // Delivers one frame as the session would: encoded, then cut by a client-role reader.
    void Receive(std::string_view payload, std::int8_t topic = 0) {
        const auto bytes = net::EncodeFrame(topic, payload);
        ASSERT_TRUE(bytes.has_value());
        net::FrameReader reader(net::FrameRole::Client, nullptr);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->data());
        for (const net::Frame& frame : reader.Feed({data, bytes->size()})) {
            client->OnFrame(frame);
        }
    }

    void ReceiveRoster(const std::vector<net::UserRecord>& users,
                       std::int16_t serverVersion = 1600) {
        Receive(net::EncodeUserRoster(users, serverVersion));
    }

    // The welcome of "alice" (id 9) on server "srv" (id 1) with the users given in between.
    void Welcome(std::vector<net::UserRecord> others = {}) {
        std::vector<net::UserRecord> users{User(1, "srv", 0x000000, 1600)};
        users.insert(users.end(), others.begin(), others.end());
        users.push_back(User(9, "alice", 0x0000AA));
        ReceiveRoster(users);
        link.sent.clear();
        link.sentOnTab.clear();
        view.ClearScrollsAndBeeps();
        state.NewContent = false;
    }

    // The row of `name` in the rendered user list, -1 when it is not there.
    int RowOf(std::string_view name) const {
        for (std::size_t i = 0; i < view.rows.size(); ++i) {
            if (view.rows[i].name == name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    app::ProcessState state;
    RecordingView view;
    RecordingLink link;
    FakeClock clock;
    chat::ChatHooks hooks;
    std::unique_ptr<chat::ChatClient> client;
};

}  // namespace talvoro::test
