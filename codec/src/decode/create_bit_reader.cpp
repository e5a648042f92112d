// SPDX-License-Identifier: BSD-3-Clause
#include "coding/bit_reader.h"

#include "coding/range_bit_reader.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "decode/older/rice_bit_reader.h"

#include <memory>
#include <new>

namespace zem {

CBitReader* CreateBitReader(CStreamInfo* info, int32_t version) {
    if (!info)
        return nullptr;
    CStreamIo* file = reinterpret_cast<CStreamIo*>(static_cast<intptr_t>(info->GetInfo(IoSource)));
    // Streams before 3900 code their residuals with the Rice reader, whose
    // buffer is sized by the frame length.
    if (version < 3900) {
        std::unique_ptr<CRiceBitReader> rice(new (std::nothrow) CRiceBitReader);
        const int32_t blocksPerFrame = static_cast<int32_t>(info->GetInfo(BlocksPerFrame));
        if (!rice || rice->Setup(file, version, blocksPerFrame) != 0)
            return nullptr;
        return rice.release();
    }
    std::unique_ptr<CRangeBitReader> reader(new (std::nothrow) CRangeBitReader);
    if (!reader || reader->Init(file, CRangeBitReader::kBufferBytes, version) != 0)
        return nullptr;
    return reader.release();
}

}  // namespace zem
