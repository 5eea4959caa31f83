#include "editor/CMeterLevels.h"

#include <algorithm>
#include <iterator>
#include <cmath>

void CMeterLevels::Reset()
{
    std::fill(std::begin(m_levels), std::end(m_levels), kFloorDb);
    m_lastBlockCount = 0xFFFF;
}

bool CMeterLevels::NewBlock(uint16_t count)
{
    if (count == m_lastBlockCount) return false;
    m_lastBlockCount = count;
    return true;
}

float CMeterLevels::PeakToDb(float peak)
{
    const float d = static_cast<float>(std::log(static_cast<double>(peak)) / std::log(2.0) * 6.0);
    if (std::isnan(d)) return kFloorDb;
    if (d < kCeilingDb || !(d > kFloorDb)) return std::max(d, kFloorDb);
    return kCeilingDb;
}

int CMeterLevels::LitTopRow(float levelDb)
{
    return static_cast<int>(static_cast<double>(levelDb) * -3.3 + 19.0);
}

bool CMeterLevels::Rise(const float peaks[kCount])
{
    bool changed = false;
    for (int i = 0; i < kCount; ++i) {
        const float level = PeakToDb(peaks[i]);
        changed = changed || level != m_levels[i];
        m_levels[i] = level;
    }
    return changed;
}

bool CMeterLevels::Fall(double elapsedMs)
{
    if (!(elapsedMs > 0.0)) return false;
    const double fall = std::min(elapsedMs / kFallMsPerDb, kMaxFallDb);
    bool changed = false;
    for (float& level : m_levels) {
        const float next = std::max(static_cast<float>(level - fall), kFloorDb);
        changed = changed || next != level;
        level = next;
    }
    return changed;
}
