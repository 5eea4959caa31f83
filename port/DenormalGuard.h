#pragma once
// Flush-to-zero and denormals-are-zero for the duration of one processing call; the
// host's own MXCSR is restored on exit.
#include <xmmintrin.h>

class CDenormalGuard {
public:
    CDenormalGuard() : m_saved(_mm_getcsr()) { _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero); }
    ~CDenormalGuard() { _mm_setcsr(m_saved); }
    CDenormalGuard(const CDenormalGuard&) = delete;
    CDenormalGuard& operator=(const CDenormalGuard&) = delete;

private:
    static constexpr unsigned int kFlushToZero = 0x8000;
    static constexpr unsigned int kDenormalsAreZero = 0x0040;
    unsigned int m_saved;
};
