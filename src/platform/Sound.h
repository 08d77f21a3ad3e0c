#pragma once

// The computer's sounds.
class Sound {
public:
    virtual ~Sound() = default;
    // A sine tone; returns when it has played (or, with no audio device, when
    // its time has passed).
    virtual void tone(int frequencyHz, int durationMs) = 0;
    // The desktop's default beep, without waiting.
    virtual void beep() = 0;
};
