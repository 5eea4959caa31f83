#pragma once
// A stereo crossfade that follows an on/off switch. A switch moves from one signal pair
// to the other over a fixed number of frames instead of cutting, so a stage can go in or
// out of a signal path without a click. At rest the result is one of the pairs exactly.

class CSwitchFade {
public:
    // Fade length in frames (at least 1). A new length finishes a fade under way.
    void SetLength(int frames);
    // Starts moving toward on or off; a fade under way turns round where it stands.
    void SetTarget(bool on) { m_on = on; }
    // Jumps to on or off without a fade (when nothing is sounding).
    void Settle(bool on);
    bool IsAtRest() const { return m_pos == (m_on ? m_length : 0); }
    bool IsOn() const { return m_on; }

    // For n frames, overwrites the on pair with the blend of off and on at the fade's
    // position, stepping it toward the target. Once at rest the on pair is left as it is
    // (target on) or receives the off pair (target off).
    void Blend(const double* offL, const double* offR, double* onL, double* onR, int n);

private:
    int m_length = 1;
    int m_pos = 0; // 0 (off) .. m_length (on)
    bool m_on = false;
};
