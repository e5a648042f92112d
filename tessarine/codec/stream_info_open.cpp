// The constructor that opens the file itself, for reading only: the stream
// information never writes to its file.
#include "tessarine/codec/stream_info.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/tag_block.h"
#include "tessarine/codec/win32_file.h"

CStreamInfo::CStreamInfo(const WCHAR* fileName, int* error, CTagBlock* tag) {
    m_tag.Assign(tag, false, true);
    auto* file = new CWin32File();
    m_io.Assign(file, false, true);
    if (!fileName || file->OpenForReading(fileName) != 0) {
        Reset();
        if (error)
            *error = CODEC_BAD_INPUT;
        return;
    }
    Construct(error);
}
