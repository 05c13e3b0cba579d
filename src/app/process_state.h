#pragma once
// The process-wide state that start-up creates and that lives until the process ends. There is one
// instance, made by main() and passed by reference to whoever needs it; nothing reaches it through
// a global. Flags that several threads use are atomics; everything else belongs to the GUI thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "app/event_log.h"
#include "app/settings.h"

namespace talvoro::app {

constexpr std::int16_t kClientVersion = 1600;
constexpr std::int16_t kInitialServerVersion = 1000;
constexpr std::int16_t kFirstEmoticonButton = 171;
constexpr std::size_t kFrameBufferSize = 4096;
constexpr std::size_t kThreadSlotCount = 12;
constexpr std::size_t kTabCount = 6;

struct ProcessState {
    std::string DataDir;  // always ends in "/"
    bool ServiceMode = false;
    std::atomic<bool> ServerRunning{false};
    std::atomic<bool> QuitRequested{false};
    std::atomic<std::int16_t> ServerVersion{kInitialServerVersion};
    std::int16_t LastEmoticon = kFirstEmoticonButton;
    std::array<std::uint8_t, kTabCount> UnreadTabs{};  // GUI thread
    // Seeded from Settings at load, then live on their own (GUI thread).
    bool WindowShown = false;
    bool ChatMessageSound = false;
    // Run loop counters (GUI thread).
    std::int64_t MessageCount = 0;
    int TrayImage = 95;

    Settings settings;

    // The event log in DataDir, opened by start-up once DataDir is known; empty before. Any thread
    // may log through it afterwards.
    std::optional<EventLog> Log;
};

}  // namespace talvoro::app
