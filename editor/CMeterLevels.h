#pragma once
// The four level meters' readings (input left, input right, output left, output right) in
// decibels on the plug-in's 6 dB-per-doubling scale, kept between -38 and +6 dB.
//
// A processed block sets each meter to the block's peak; while no block arrives the
// readings fall by 1 dB per 33 ms of wall-clock time, so they look the same whatever
// rate the host idles at.
#include <cstdint>

class CMeterLevels {
public:
    static constexpr int kCount = 4;
    static constexpr float kFloorDb = -38.0f;
    static constexpr float kCeilingDb = 6.0f;
    static constexpr double kFallMsPerDb = 33.0;
    // A fall from the ceiling to the floor; a longer pause falls no further.
    static constexpr double kMaxFallDb = 44.0;

    CMeterLevels() { Reset(); }

    // Every reading at the floor, and the block counter as "never seen" (0xFFFF).
    void Reset();

    // True when the effect processed a block since the last call: the counter differs
    // from the last one seen (a wrap from 0xFFFF to 0 counts). Remembers count.
    bool NewBlock(uint16_t count);
    // Readings from linear peaks. True when any reading changed.
    bool Rise(const float peaks[kCount]);
    // Every reading falls by elapsedMs / 33 dB (at most 44 dB), not below the floor.
    // True when any reading changed.
    bool Fall(double elapsedMs);

    float Level(int meter) const { return m_levels[meter]; }
    uint16_t LastBlockCount() const { return m_lastBlockCount; }

    // A linear peak in dB: (ln v / ln 2) x 6 in double precision, clamped to the meter's
    // range; 0, negative and NaN peaks read as the floor.
    static float PeakToDb(float peak);
    // The first lit row of a meter bitmap for a reading: +6 dB is row 0, 0 dB row 19,
    // -38 dB row 144 (3.3 rows per dB, truncated toward zero).
    static int LitTopRow(float levelDb);

private:
    float m_levels[kCount];
    uint16_t m_lastBlockCount = 0xFFFF;
};
