// SPDX-License-Identifier: BSD-3-Clause
#include "dsp/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace zem {

#if defined(__x86_64__) || defined(__i386__)

bool ProcessorHasMmx() {
    // __get_cpuid asks __get_cpuid_max first, which on 32-bit processors
    // toggles the ID flag to learn whether the instruction exists at all.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    return (edx >> 23) & 1u;
}

SimdLevel MachineSimdLevel() {
    // These checks include the operating system's consent to the wider
    // register state, not only the processor's feature bits.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return __builtin_cpu_supports("avx512vnni") ? SimdLevel::Avx512Vnni : SimdLevel::Avx512;
    if (__builtin_cpu_supports("avx2"))
        return SimdLevel::Avx2;
    if (__builtin_cpu_supports("sse2"))
        return SimdLevel::Sse2;
    return SimdLevel::Scalar;
}

#elif defined(__wasm_simd128__) && defined(__SSE2__)

bool ProcessorHasMmx() { return false; }

// A module built with 128-bit vectors only loads where the engine has them.
SimdLevel MachineSimdLevel() { return SimdLevel::Sse2; }

#else

bool ProcessorHasMmx() { return false; }

SimdLevel MachineSimdLevel() { return SimdLevel::Scalar; }

#endif

}  // namespace zem
