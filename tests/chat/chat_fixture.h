#pragma once
// A ChatClient on a recording view and server link at a fixed 12:34:56, fed server frames through
// the real encoder and frame reader.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/process_state.h"
#include "chat/chat_client.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/messages.h"
#include "support/fake_clock.h"
#include "support/recording_view.h"

namespace talvoro::test {

// Records what the chat core sends and the tab selected at each send.
struct RecordingLink : net::ServerLink {
    std::vector<std::string> sent;
    std::vector<int> sentOnTab;
    int selectedTab = 0;

    bool SendToServer(std::string_view payload) override {
        sent.emplace_back(payload);
        sentOnTab.push_back(selectedTab);
        return true;
    }
    void SetSelectedTab(int index) override { selectedTab = index; }
};

inline std::span<const std::uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

inline net::UserRecord User(std::int32_t id, std::string name, std::int16_t version = 1600) {
    return net::UserRecord{
        id,    kTestNoon - 60, std::move(name), 0x112233, "10.0.0." + std::to_string(id), version,
        false, false};
}

class ChatFixture : public ::testing::Test {
  protected:
    ChatFixture() {
        state.settings.UserName = "alice";
        state.settings.Host = "chathost";
        state.settings.Port = 1805;
        state.settings.Color = 0x0000AA;
        state.WindowShown = true;
        state.DataDir = "/data/";
        hooks.executablePath = "/opt/talvoro/talvoro";
    }

    // `port` null: the recording view; a GUI test passes the real window's port.
    void StartClient(chat::ViewPort* port = nullptr) {
        client = std::make_unique<chat::ChatClient>(state, port != nullptr ? *port : view, link,
                                                    nullptr, clock.Function(), hooks, &gui);
        client->SetFrameResultHandler([this](const chat::FrameResult& r) { result = r; });
        client->Start();
    }

    const chat::ChatContext& ctx() const { return client->Context(); }

    // Delivers one frame as the session would: encoded, then cut by a client-role reader.
    void Receive(std::string_view payload, std::int8_t topic = 0) {
        const auto bytes = net::EncodeFrame(topic, payload);
        ASSERT_TRUE(bytes.has_value());
        net::FrameReader reader(net::FrameRole::Client, nullptr);
        for (const net::Frame& frame : reader.Feed(Bytes(*bytes))) {
            client->OnFrame(frame);
        }
    }

    void ReceiveRoster(const std::vector<net::UserRecord>& users,
                       std::int16_t serverVersion = 1600) {
        Receive(net::UserRoster{users, serverVersion}.Encode());
    }

    // The welcome of "alice" (id 9) on server "srv" (id 1) with the users given in between; then
    // forgets what was sent and scrolled.
    void Welcome(std::vector<net::UserRecord> others = {}) {
        others.insert(others.begin(), User(1, "srv"));
        others.push_back(User(9, "alice"));
        ReceiveRoster(others);
        link.sent.clear();
        link.sentOnTab.clear();
        view.scrolls.clear();
        result = {};
    }

    app::ProcessState state;
    RecordingView view;
    RecordingLink link;
    FakeClock clock{kTestNoon};
    chat::ChatHooks hooks;
    ManualGuiQueue gui;  // work that other threads hand to the GUI thread
    std::unique_ptr<chat::ChatClient> client;
    chat::FrameResult result;  // of the last frame received
};

}  // namespace talvoro::test
