#pragma once

#include "platform/Sound.h"

#include <QList>

// Tones through the default ALSA playback device. With no device that opens,
// a tone is waited out in silence, so callers keep their pace.
class AlsaSound : public Sound {
public:
    void tone(int frequencyHz, int durationMs) override;
    void beep() override;

    static constexpr unsigned SampleRate = 48000;

    // durationMs of a sine at frequencyHz as signed 16-bit mono samples, faded in
    // and out over a few milliseconds so the tone starts and ends without a click.
    static QList<qint16> sineSamples(int frequencyHz, int durationMs,
                                     unsigned sampleRate = SampleRate);
};
