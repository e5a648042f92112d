// SPDX-License-Identifier: BSD-3-Clause
// Short names for the test-side text conversions, which the cue and link
// tests use on nearly every line.
#pragma once

#include "tests/support/test_files.h"

#include <string>

inline WString W(const std::string& utf8) { return testing_support::WideFromUtf8(utf8); }
inline std::string U(const WString& wide) { return testing_support::Utf8FromWide(wide); }
