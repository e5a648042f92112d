// SPDX-License-Identifier: BSD-3-Clause
// What the processor offers the filter kernels.
#pragma once

#include "dsp/filter_kernels.h"

namespace zem {

// True when the processor identification instruction exists (the ID flag of
// the flags register can be toggled) and reports MMX (feature bit 23).
bool ProcessorHasMmx();

// The highest instruction-set level of SimdLevel this processor and its
// operating system support; Scalar on processors other than x86.
SimdLevel MachineSimdLevel();

}  // namespace zem
