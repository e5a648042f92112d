// SPDX-License-Identifier: BSD-3-Clause
#include "encode/frame_tamper.h"

#include <atomic>

namespace zem {

namespace {

std::atomic<EncodedFrameTamper> g_tamper{nullptr};

}  // namespace

void SetEncodedFrameTamperForTests(EncodedFrameTamper tamper) { g_tamper = tamper; }

EncodedFrameTamper EncodedFrameTamperForTests() { return g_tamper; }

}  // namespace zem
