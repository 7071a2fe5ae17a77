#pragma once
// CTonePlayer: a short sine tone through the sound system, played without blocking the
// caller. Where no audio output exists the tone is skipped silently.

#include <QAudioFormat>
#include <QBuffer>
#include <QByteArray>
#include <QObject>

#include <memory>

class QAudioSink;

class CTonePlayer : public QObject {
  Q_OBJECT
 public:
  explicit CTonePlayer(QObject* parent = nullptr);
  ~CTonePlayer() override;

  // Starts the tone and returns at once; a tone still sounding is cut off first.
  // False when there is no audio output (nothing is played then).
  bool Play(int frequency, int milliseconds);

  // The samples of a sine of `frequency` Hz lasting `milliseconds`, in `format` (16-bit,
  // 32-bit or float samples; every channel carries the same signal). The first and last
  // few milliseconds ramp the amplitude so the tone starts and ends without a click.
  static QByteArray Samples(const QAudioFormat& format, int frequency, int milliseconds);

 private:
  std::unique_ptr<QAudioSink> m_sink;
  QBuffer m_buffer;
};
