// The constructor that opens the file itself, for reading only: the stream
// information never writes to its file.
#include "container/stream_info.h"

#include "container/codec_error.h"
#include "io/win32_file.h"
#include "tag/tag_block.h"

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
