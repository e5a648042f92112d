// SPDX-License-Identifier: BSD-3-Clause
// libzem holds a copy of the codec of its own, whose names stay inside it, so
// a test that encodes through the C API (zemtool's, in-process) cannot reach
// the encoder's seam (encode/frame_tamper.h) by the codec's setter. The
// library exports this one name for it; no public header declares it, and
// the seam acts only on frames the encoder checks (verify), which it then
// refuses: setting it never lets a damaged frame into a file.
#include "api/test_seam.h"

using namespace zem;

extern "C" void zem_test_set_encoded_frame_tamper(EncodedFrameTamper tamper) { SetEncodedFrameTamperForTests(tamper); }
