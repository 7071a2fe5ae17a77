#include "Tone.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace {

constexpr double kAmplitude = 0.5;
constexpr double kRampSeconds = 0.005;

QAudioFormat ChooseFormat(const QAudioDevice& device) {
  QAudioFormat format;
  format.setSampleRate(std::clamp(device.preferredFormat().sampleRate(), 8000, 96000));
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  return device.isFormatSupported(format) ? format : device.preferredFormat();
}

}  // namespace

CTonePlayer::CTonePlayer(QObject* parent) : QObject(parent) {}

CTonePlayer::~CTonePlayer() {
  if (m_sink) m_sink->stop();
}

QByteArray CTonePlayer::Samples(const QAudioFormat& format, int frequency, int milliseconds) {
  const int rate = format.sampleRate();
  const int channels = std::max(1, format.channelCount());
  const int bytes = format.bytesPerSample();
  if (rate <= 0 || bytes <= 0 || milliseconds <= 0) return {};
  const qint64 frames = qint64(rate) * milliseconds / 1000;
  const double ramp = std::max(1.0, kRampSeconds * rate);
  QByteArray out(static_cast<qsizetype>(frames * channels * bytes), '\0');
  char* at = out.data();
  for (qint64 i = 0; i < frames; ++i) {
    const double envelope = std::min({1.0, double(i) / ramp, double(frames - 1 - i) / ramp});
    const double value =
        kAmplitude * envelope * std::sin(2.0 * std::numbers::pi * frequency * double(i) / rate);
    for (int c = 0; c < channels; ++c, at += bytes) {
      switch (format.sampleFormat()) {
        case QAudioFormat::UInt8: {
          const auto s = static_cast<std::uint8_t>(std::lround(127.5 + 127.0 * value));
          std::memcpy(at, &s, sizeof s);
          break;
        }
        case QAudioFormat::Int16: {
          const auto s = static_cast<std::int16_t>(std::lround(32767.0 * value));
          std::memcpy(at, &s, sizeof s);
          break;
        }
        case QAudioFormat::Int32: {
          const auto s = static_cast<std::int32_t>(std::lround(2147483647.0 * value));
          std::memcpy(at, &s, sizeof s);
          break;
        }
        case QAudioFormat::Float: {
          const auto s = static_cast<float>(value);
          std::memcpy(at, &s, sizeof s);
          break;
        }
        default:
          break;
      }
    }
  }
  return out;
}

bool CTonePlayer::Play(int frequency, int milliseconds) {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return false;
  if (m_sink) {
    m_sink->stop();
    m_sink.reset();
  }
  m_buffer.close();
  const QAudioFormat format = ChooseFormat(device);
  m_buffer.setData(Samples(format, frequency, milliseconds));
  if (!m_buffer.open(QIODevice::ReadOnly)) return false;
  m_sink = std::make_unique<QAudioSink>(device, format);
  // The sink stops itself once the samples have been played out.
  connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
    if (state == QAudio::IdleState && m_sink) m_sink->stop();
  });
  m_sink->start(&m_buffer);
  return true;
}
