// SPDX-License-Identifier: BSD-3-Clause
// The codec's file interface over a caller's source that cannot seek (a pipe,
// a socket, a player's push pad): read front to back as the decoder asks,
// keeping only the bytes it may still come back to.
#pragma once

#include "codec/include/zem/zem.h"
#include "io/stream_io.h"

#include <cstdint>
#include <vector>

namespace zem::api {

class CSequentialStream : public CStreamIo {
public:
    CSequentialStream(const zem_io& io, void* user);

    int Open(const WCHAR*) override { return -1; }
    int Close() override { return 0; }
    // Reads up to the count, or to the source's end.
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override;
    int Write(const void*, int32_t, int32_t* bytesWritten) override;
    // Forward anywhere (the bytes in between are read when reading goes on);
    // back as far as the bytes kept. A seek that fails leaves the position
    // where it was.
    int Seek(int32_t distance, int origin) override;
    int Create(const WCHAR*) override { return -1; }
    int Delete() override { return -1; }
    int SetEof() override { return -1; }
    int32_t GetPosition() override { return static_cast<int32_t>(m_position); }
    // The size given by SetSize(); until then, as large as the codec's
    // offsets go (the header reader only checks against it).
    int32_t GetSize() override { return static_cast<int32_t>(m_size); }
    int GetName(WCHAR* buffer) override;
    // Until ReadToEnd() has made it a whole file in memory.
    bool IsSequential() const override { return !m_whole; }

    void SetSize(int64_t size) { m_size = size; }
    // Bytes from `position` on (the WAV trailer behind the frames, read at
    // the end and perhaps again) are kept once read.
    void KeepFrom(int64_t position) { m_keepFrom = position; }
    // From now on the bytes well behind the position are forgotten: the
    // decoder reads its frames in order and comes back only a little way.
    // Until then everything read is kept (the header is read twice).
    void ForgetBehindSeeks() { m_forget = true; }
    // Reads the rest of the source and keeps it: the size is then the whole
    // source's. A CodecError: CODEC_READ_FAILED, CODEC_BAD_INPUT beyond 2 GiB.
    int ReadToEnd();
    bool ReachedEnd() const { return m_reachedEnd; }
    // Where the source ended, once reading has met its end; -1 before.
    int64_t SourceEnd() const { return m_reachedEnd ? m_keptStart + static_cast<int64_t>(m_kept.size()) : -1; }

private:
    // Reads until the bytes kept reach `end` (or the source ends); false on a
    // read failure.
    bool Fill(int64_t end);
    void Forget();

    zem_io m_io;
    void* m_user;
    std::vector<uint8_t> m_kept;  // the source's bytes from m_keptStart on
    int64_t m_keptStart = 0;
    int64_t m_position = 0;
    int64_t m_size;
    int64_t m_keepFrom = INT64_MAX;
    bool m_forget = false;
    bool m_reachedEnd = false;
    bool m_whole = false;
    bool m_failed = false;
};

}  // namespace zem::api
