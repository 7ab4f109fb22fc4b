// Flushes denormal numbers to zero while it lives (the processor's flush-to-zero and
// denormals-are-zero modes), then puts the modes back as they were. A decaying filter tail
// ends in denormals, which cost a hundred times a normal number on many processors: a
// stream that goes silent must not slow down. The numbers lost are below 1e-307.
#pragma once

#if defined(__SSE2__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace vq {

class DenormalGuard {
public:
    DenormalGuard()
    {
#if defined(__SSE2__) || defined(__x86_64__)
        m_saved = _mm_getcsr();
        _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
#elif defined(__aarch64__)
        __asm__ __volatile__("mrs %0, fpcr" : "=r"(m_saved));
        __asm__ __volatile__("msr fpcr, %0" : : "r"(m_saved | kFlushToZero));
#endif
    }
    ~DenormalGuard()
    {
#if defined(__SSE2__) || defined(__x86_64__)
        _mm_setcsr(m_saved);
#elif defined(__aarch64__)
        __asm__ __volatile__("msr fpcr, %0" : : "r"(m_saved));
#endif
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#if defined(__SSE2__) || defined(__x86_64__)
    static constexpr unsigned kFlushToZero = 0x8000;       // MXCSR FTZ
    static constexpr unsigned kDenormalsAreZero = 0x0040;  // MXCSR DAZ
    unsigned m_saved = 0;
#elif defined(__aarch64__)
    static constexpr unsigned long kFlushToZero = 1ul << 24;  // FPCR FZ
    unsigned long m_saved = 0;
#endif
};

}  // namespace vq
