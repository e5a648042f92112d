// SPDX-License-Identifier: BSD-3-Clause
// Opens a CStreamInfo on bytes in memory; the stream outlives the information.
#pragma once

#include "container/info_id.h"
#include "container/stream_info.h"
#include "io/memory_stream.h"
#include "tests/support/zem_fixture.h"

#include <memory>

namespace stream_info_tests {

using namespace zem;

struct OpenedStream {
    explicit OpenedStream(testing_support::Bytes bytes) : io(std::move(bytes)) {
        info = std::make_unique<CStreamInfo>(&io, &error);
    }
    int64_t Get(int id, intptr_t param1 = 0, intptr_t param2 = 0) { return info->GetInfo(id, param1, param2); }
    const StreamInfoRecord& Record() { return *reinterpret_cast<const StreamInfoRecord*>(Get(InfoRecord)); }

    CMemoryStream io;
    int error = -99;
    std::unique_ptr<CStreamInfo> info;
};

inline std::unique_ptr<OpenedStream> Open(const testing_support::ZemFixture& fixture) {
    return std::make_unique<OpenedStream>(testing_support::BuildZemBytes(fixture));
}

inline std::unique_ptr<OpenedStream> OpenBytes(testing_support::Bytes bytes) {
    return std::make_unique<OpenedStream>(std::move(bytes));
}

// A minimal ZEM tag without items: 32 bytes of footer.
inline testing_support::Bytes EmptyZemTag() {
    testing_support::Bytes tag;
    testing_support::PutText(tag, "ZEMTAGEX");
    testing_support::PutU32(tag, 2000);
    testing_support::PutU32(tag, 32);
    testing_support::PutU32(tag, 0);
    testing_support::PutU32(tag, 0x40000000);
    tag.insert(tag.end(), 8, 0);
    return tag;
}

}  // namespace stream_info_tests
