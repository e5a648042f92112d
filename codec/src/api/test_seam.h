// SPDX-License-Identifier: BSD-3-Clause
// The encoder's seam for tests (encode/frame_tamper.h) in libzem's own copy
// of the codec: zem_test_seam.cpp says why it is exported.
#pragma once

#include "codec/include/zem/zem.h"
#include "encode/frame_tamper.h"

extern "C" ZEM_API void zem_test_set_encoded_frame_tamper(zem::EncodedFrameTamper tamper);
