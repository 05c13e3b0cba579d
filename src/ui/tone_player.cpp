#include "ui/tone_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvoro::ui {

namespace {
constexpr int kSampleRate = 22050;
constexpr double kAmplitude = 0.4 * 32767.0;
constexpr int kFadeSamples = 64;
}  // namespace

bool BeepLimiter::Allow(Clock::time_point now) {
    if (accepted_ && now - last_ < kSpacing) {
        return false;
    }
    accepted_ = true;
    last_ = now;
    return true;
}

TonePlayer::TonePlayer(QObject* parent) : QObject(parent) {}

TonePlayer::~TonePlayer() {
    if (sink_) {
        sink_->stop();
    }
}

QByteArray TonePlayer::SineSamples(int frequencyHz, int ms, int sampleRate) {
    const int count = std::max(0, sampleRate * ms / 1000);
    QByteArray samples(count * 2, '\0');
    for (int i = 0; i < count; ++i) {
        const double fade = std::min({1.0, static_cast<double>(i) / kFadeSamples,
                                      static_cast<double>(count - 1 - i) / kFadeSamples});
        const double phase = 2.0 * std::numbers::pi * frequencyHz * i / sampleRate;
        const auto value = static_cast<qint16>(std::lround(kAmplitude * fade * std::sin(phase)));
        qToLittleEndian(value, samples.data() + 2 * i);
    }
    return samples;
}

bool TonePlayer::Play(int frequencyHz) {
    if (!limiter_.Allow(BeepLimiter::Clock::now())) {
        return false;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        return false;
    }
    if (sink_) {
        sink_->stop();
    }
    buffer_ = std::make_unique<QBuffer>();
    buffer_->setData(SineSamples(frequencyHz, kToneMs, kSampleRate));
    buffer_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->start(buffer_.get());
    return true;
}

}  // namespace talvoro::ui
