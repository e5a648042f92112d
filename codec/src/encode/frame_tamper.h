// SPDX-License-Identifier: BSD-3-Clause
// A seam for the tests of the encoder's own check (EncodeSettings::verify):
// a function that may change each frame's bytes after encoding, before they
// are checked and written, so that a test can make one frame wrong. Nothing
// in the library or the tools sets it, and no option, file or environment
// variable reaches it: only a test program that calls the setter can (libzem
// exports one for its own copy, api/zem_test_seam.cpp). It acts only on
// frames the encoder checks, so a frame it damages is never written.
#pragma once

#include <cstdint>
#include <vector>

namespace zem {

using EncodedFrameTamper = void (*)(uint32_t frame, std::vector<uint8_t>& bytes);

// Null (the default) leaves every frame as encoded.
void SetEncodedFrameTamperForTests(EncodedFrameTamper tamper);
EncodedFrameTamper EncodedFrameTamperForTests();

}  // namespace zem
