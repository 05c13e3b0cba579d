#pragma once
// Short tones through the default audio output: a generated sine of the asked frequency, 50 ms
// long. At most one tone per second: a request while the last tone's second has not passed is
// dropped. Without an audio output nothing sounds and nothing fails.
//
// Thread: GUI thread only.

#include <QByteArray>
#include <QObject>
#include <chrono>
#include <memory>

class QAudioSink;
class QBuffer;

namespace talvoro::ui {

// At most one tone per second: a request within a second of the last accepted one is dropped.
class BeepLimiter {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kSpacing{1000};

    // Whether a tone may sound at `now`; an accepted request starts a new second.
    bool Allow(Clock::time_point now);

  private:
    Clock::time_point last_{};
    bool accepted_ = false;
};

class TonePlayer : public QObject {
    Q_OBJECT
  public:
    static constexpr int kToneMs = 50;

    explicit TonePlayer(QObject* parent = nullptr);
    ~TonePlayer() override;

    // Starts a tone; returns false when it was dropped (too soon after the last one) or when no
    // audio output exists.
    bool Play(int frequencyHz);

    // 16-bit mono PCM samples of a sine of `frequencyHz`, `ms` milliseconds at `sampleRate`, with
    // short fades at both ends so that the tone does not click.
    static QByteArray SineSamples(int frequencyHz, int ms, int sampleRate);

  private:
    BeepLimiter limiter_;
    std::unique_ptr<QAudioSink> sink_;
    std::unique_ptr<QBuffer> buffer_;
};

}  // namespace talvoro::ui
