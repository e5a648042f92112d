// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "tests/support/test_files.h"

#include <vector>

std::vector<testing_support::Bytes> OlderDecoderSeeds();
