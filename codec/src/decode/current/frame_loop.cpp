// SPDX-License-Identifier: BSD-3-Clause
// The frame loop of CFrameDecoder: filling the ring frame by frame, checking
// each frame and replacing a failed one by fill bytes.
#include "decode/current/frame_decoder.h"

#include "coding/bit_reader.h"
#include "coding/frame_crc.h"
#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "decode/failed_frame_fill.h"
#include "model/predictor.h"

#include <algorithm>
#include <cstring>

namespace zem {

// Frames need not start on a word boundary: the buffer is loaded from the
// word boundary (counted from the first frame) before the frame, and the bit
// index skips the bytes in front of it.
int CFrameDecoder::Reposition(int32_t frame) {
    int64_t seekByte = m_info->GetInfo(SeekByte, frame);
    int64_t first = m_info->GetInfo(SeekByte, 0);
    // A damaged table may put a frame before the first; the remainder is then
    // taken as the non-negative one so the bit index stays inside the word.
    int64_t remainder = ((seekByte - first) % 4 + 4) % 4;
    int64_t position = seekByte - remainder;
    if (position < 0 || position > INT32_MAX)
        return CODEC_READ_FAILED;
    return m_reader->Reload(static_cast<int32_t>(position), static_cast<uint32_t>(remainder * 8));
}

// Decodes into the ring until `wanted` blocks are ready or the ring is full.
// Only the blocks of the current frame are decoded in one step, so a short
// final frame ends where it ends. Frames are decoded only as they are asked
// for: a caller that seeks to each frame and reads a few blocks of it pays
// for that frame alone, not for a ring full of frames after it.
int CFrameDecoder::FillRing(int32_t wanted) {
    int result = CODEC_OK;
    int32_t room = m_ring.FreeBytes() / m_blockAlign;
    while (room > 0 && m_currentFrame < m_totalFrames && m_blocksReady < wanted) {
        int64_t frameBlocks = m_info->GetInfo(FrameBlocks, m_currentFrame);
        if (frameBlocks < 0)
            break;
        int64_t position = m_blocksDecoded - int64_t(m_currentFrame) * m_blocksPerFrame;
        int32_t n = static_cast<int32_t>(std::clamp<int64_t>(frameBlocks - position, 0, room));
        if (position == 0 && m_extent->FrameMissing(m_currentFrame)) {
            // Nothing of it is read: what lies beyond the file's end would
            // decode to whatever the reader happened to hold before.
            m_frameFailed = 1;
            m_frameMissing = true;
            m_frameBytesWritten = 0;
        } else if (position == 0) {
            BeginFrame();
        }
        DecodeBlocks(n);
        if (position + n >= frameBlocks) {
            CompleteFrame(static_cast<int32_t>(frameBlocks));
            if (m_frameFailed)
                result = m_readySpans.back().result;
        }
        room -= n;
    }
    return result;
}

void CFrameDecoder::BeginFrame() {
    m_crc = frame_crc::kInitial;
    m_storedCheck = m_reader->ReadCodedValue(0);
    m_frameFailed = 0;
    m_frameMissing = false;
    m_frameFlags = 0;
    if (m_version > 3820 && (m_storedCheck & 0x80000000u)) {
        m_frameFlags = m_reader->ReadCodedValue(0);
        m_storedCheck &= 0x7FFFFFFFu;
    }
    m_frameBytesWritten = 0;
    m_predictorX->Reset();
    m_predictorY->Reset();
    m_reader->ResetModelState(m_stateX);
    m_reader->ResetModelState(m_stateY);
    m_reader->StartRange();
    m_lastX = 0;
}

void CFrameDecoder::FinishFrame() {
    m_reader->FinishRange();
    if (frame_crc::CheckValue(m_crc) != m_storedCheck)
        m_frameFailed = 1;
}

// A failed frame is replaced whole, also the part of it that earlier calls
// wrote while the ring was short of room, and decoding picks up again at
// the next frame's seek position.
// A last frame that the file holds only in part fails as cut, not as damaged.
void CFrameDecoder::CompleteFrame(int32_t frameBlocks) {
    const bool cut = m_frameMissing || (m_extent->lastFrameShort && m_currentFrame == m_extent->cutFrame);
    m_blocksReady += frameBlocks;
    m_currentFrame += 1;
    if (!m_frameMissing)
        FinishFrame();
    if (m_frameFailed) {
        m_ring.RemoveFromTail(m_frameBytesWritten);
        WriteFill(frameBlocks);
        if (m_currentFrame < m_totalFrames)
            Reposition(m_currentFrame);
    }
    m_readySpans.push_back({frameBlocks, !m_frameFailed ? CODEC_OK : cut ? CODEC_TRUNCATED : CODEC_BAD_CHECKSUM});
    m_frameBytesWritten = 0;
    m_frameMissing = false;
}

void CFrameDecoder::WriteFill(int32_t blocks) {
    const uint8_t fill = failed_frame_fill::ByteFor(m_version, m_bitsPerSample);
    for (int32_t i = 0; i < blocks; ++i) {
        std::memset(m_ring.TailPointer(), fill, static_cast<size_t>(m_blockAlign));
        m_ring.CommitBlock(m_blockAlign);
    }
    m_frameBytesWritten += blocks * m_blockAlign;
}

}  // namespace zem
