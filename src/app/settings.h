#pragma once
// The user's preferences, one record filled from "Talvoro.ini" at start-up.
// Owned by the GUI thread. The server thread reads KeepAlive, KeepAliveCycleTime and TraceWhisper,
// the file-server thread reads and may set FileServerHalt: those fields are SharedField so that
// every read and write is one whole value, while the record as a whole still copies like a value.

#include <atomic>
#include <cstdint>
#include <string>

namespace talvoro::app {

// An atomic value that copies by value. Any thread; each load or store is one whole value.
template <typename T>
class SharedField {
  public:
    SharedField(T value = T{}) : value_(value) {}  // NOLINT: implicit like the plain fields
    SharedField(const SharedField& other) : value_(other.load()) {}
    SharedField& operator=(const SharedField& other) {
        store(other.load());
        return *this;
    }
    SharedField& operator=(T value) {
        store(value);
        return *this;
    }
    T load() const { return value_.load(); }
    void store(T value) { value_.store(value); }
    operator T() const { return load(); }  // NOLINT: reads like the plain fields

  private:
    std::atomic<T> value_;
};

struct Settings {
    std::string UserName;
    std::string Host;  // default: this computer's host name
    std::int32_t Port = 1805;
    std::int32_t Color = 0xAA0000;  // red in the low byte, blue in the high byte
    std::string Font = "Verdana";
    std::int16_t FontSize = 9;
    std::int8_t Hidden = 0;
    std::int8_t AutoOpen = 1;
    std::int8_t AutoPlay = 0;
    std::int8_t WinPos = 1;
    std::int32_t WinPosX = -1;
    std::int32_t WinPosY = -1;
    std::int8_t SMessSnd = 0;
    SharedField<std::int8_t> KeepAlive{0};
    std::int32_t WinWidth = 640;
    std::int32_t WinHeight = 371;
    std::int8_t AutoSaveSession = 1;
    std::int8_t ListUserColors = 1;
    std::int8_t AutoLogon = 0;
    std::int8_t BalloonTips = 0;
    SharedField<std::int8_t> FileServerHalt{0};
    std::uint8_t ScrollLockStatus = 1;
    std::int8_t NoScrollHidden = 1;
    SharedField<std::int16_t> KeepAliveCycleTime{300};
    SharedField<std::int8_t> TraceWhisper{0};
    std::int8_t ServerMode = 0;
    std::int8_t AwayMessage = 1;
    std::int8_t AwayTime = 15;
    std::string AwayText = "I'm away for now, cu later!";
    std::int8_t CloseMin = 0;
    std::int8_t AlwaysMessTime = 1;
    std::int8_t MinimizeToTray = 1;
    std::int8_t ShowOnMessage = 0;
    std::int8_t FlashOnMessage = 1;
    std::int8_t IsPrivateVisible = 0;
};

}  // namespace talvoro::app
