// SPDX-License-Identifier: BSD-3-Clause
// The format's magic texts, as the public header defines them, for the
// codec's readers and writers.
#pragma once

#include "codec/include/zem/zem.h"

#include <cstddef>

namespace zem {

// The four bytes a stream starts with (no terminator).
constexpr char kStreamMagic[4] = {ZEM_STREAM_MAGIC[0], ZEM_STREAM_MAGIC[1], ZEM_STREAM_MAGIC[2], ZEM_STREAM_MAGIC[3]};
static_assert(sizeof(ZEM_STREAM_MAGIC) == sizeof(kStreamMagic) + 1, "the stream magic is four bytes");
// The line a link file starts with.
constexpr char kLinkHeaderLine[] = ZEM_LINK_HEADER;

}  // namespace zem
