#include "platform/AlsaSound.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double Amplitude = 0.3 * 32767;
constexpr int FadeMs = 5;
constexpr unsigned LatencyUs = 100'000;

// ALSA reports a missing device on stderr; the silent wait is the answer to that.
void quietErrors(const char*, int, const char*, int, const char*, ...) {}

void waitOut(const QElapsedTimer& started, int durationMs)
{
    const qint64 left = durationMs - started.elapsed();
    if (left > 0)
        QThread::msleep(static_cast<unsigned long>(left));
}

} // namespace

QList<qint16> AlsaSound::sineSamples(int frequencyHz, int durationMs, unsigned sampleRate)
{
    const qsizetype count = qsizetype(std::max(0, durationMs)) * sampleRate / 1000;
    const qsizetype fade = std::min<qsizetype>(qsizetype(FadeMs) * sampleRate / 1000, count / 2);
    QList<qint16> samples(count);
    const double step = 2 * std::numbers::pi * frequencyHz / sampleRate;
    for (qsizetype i = 0; i < count; ++i) {
        double gain = 1.0;
        if (i < fade)
            gain = double(i) / fade;
        else if (i >= count - fade)
            gain = double(count - 1 - i) / fade;
        samples[i] = qint16(std::lround(Amplitude * gain * std::sin(step * double(i))));
    }
    return samples;
}

void AlsaSound::tone(int frequencyHz, int durationMs)
{
    QElapsedTimer started;
    started.start();
    if (durationMs <= 0)
        return;

    static const bool quiet = [] {
        snd_lib_error_set_handler(&quietErrors);
        return true;
    }();
    Q_UNUSED(quiet);

    snd_pcm_t* pcm = nullptr;
    // Opened without blocking, so a device held by another program is not waited for.
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        waitOut(started, durationMs);
        return;
    }
    if (snd_pcm_nonblock(pcm, 0) < 0 ||
        snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, SampleRate, 1,
                           LatencyUs) < 0) {
        snd_pcm_close(pcm);
        waitOut(started, durationMs);
        return;
    }

    const QList<qint16> samples = sineSamples(frequencyHz, durationMs);
    const qint16* at = samples.constData();
    snd_pcm_uframes_t left = snd_pcm_uframes_t(samples.size());
    bool played = true;
    while (left > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, at, left);
        if (written < 0)
            written = snd_pcm_recover(pcm, int(written), 1);
        if (written < 0) {
            played = false;
            break;
        }
        at += written;
        left -= snd_pcm_uframes_t(written);
    }
    if (played)
        snd_pcm_drain(pcm);
    else
        snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
    // A device that took the samples without playing them still keeps the pace.
    waitOut(started, durationMs);
}

void AlsaSound::beep()
{
    QApplication::beep();
}
