// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "tests/support/test_files.h"

#include <vector>

// Valid streams of several frames, versions 3900 to 3990, whose frames are
// long enough to cross the range decoder's buffer refills.
std::vector<testing_support::Bytes> RefillCrossingSeeds();
