// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_stream_end.h"

#include "container/info_id.h"
#include "container/stream_info.h"
#include "tag/tag_le32.h"

#include <algorithm>

namespace zem {

namespace {

// Headers from version 3980 on declare every length up to the end of the
// frames: descriptor, header, seek table, stored wave header, frame data.
int64_t DeclaredFramesEnd(const StreamInfoRecord& record) {
    const std::vector<uint8_t>& d = record.descriptor;
    if (record.version < kFirstDescriptorVersion || d.size() < 32)
        return 0;
    uint64_t end = static_cast<uint32_t>(record.junkBytes);
    end += LoadLe32(d.data() + 8);
    end += LoadLe32(d.data() + 12);
    end += LoadLe32(d.data() + 16);
    if (!(record.formatFlags & FORMAT_FLAG_SYNTHESISED_WAVE_HEADER))
        end += LoadLe32(d.data() + 20);
    end += LoadLe32(d.data() + 24);
    end += static_cast<uint64_t>(LoadLe32(d.data() + 28)) << 32;
    return static_cast<int64_t>(std::min<uint64_t>(end, INT64_MAX / 2));
}

}  // namespace

int64_t StreamAudioEnd(CStreamIo& file) {
    const int32_t position = file.GetPosition();
    int error = 0;
    int64_t end = 0;
    {
        CStreamInfo info(&file, &error);
        if (info.IsValid()) {
            const auto* record = reinterpret_cast<const StreamInfoRecord*>(info.GetInfo(InfoRecord));
            // Older headers say only where the last frame begins.
            const int32_t frames = record->totalFrames;
            const int64_t lastFrame = frames > 0 ? static_cast<uint32_t>(info.GetInfo(SeekByte, frames - 1)) : 0;
            const int64_t trailer = static_cast<uint32_t>(record->waveTerminatingBytes);
            end = std::max(DeclaredFramesEnd(*record), lastFrame) + trailer;
        }
    }
    file.Seek(position, 0);
    return end;
}

}  // namespace zem
