// SPDX-License-Identifier: BSD-3-Clause
#include "encode/stream_writer.h"

#include "container/codec_error.h"
#include "container/format_magic.h"
#include "io/stream_io.h"

#include <cstring>
#include <iterator>

namespace zem {

namespace {

constexpr uint64_t kMaxStreamBytes = 0x7FFFFFFFu;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

CStreamWriter::CStreamWriter(CStreamIo& out, const StreamLayout& layout, const std::vector<uint8_t>& waveHeader)
    : m_out(out), m_layout(layout), m_waveHeader(waveHeader) {
    uint32_t bpf = layout.blocksPerFrame;
    m_totalFrames = bpf ? (layout.totalBlocks + bpf - 1) / bpf : 0;
    m_framesStart = kDescriptorBytes + kHeaderBytes + 4 * m_totalFrames + static_cast<uint32_t>(waveHeader.size());
}

uint32_t CStreamWriter::FrameBlocks(uint32_t frame) const {
    if (frame + 1 < m_totalFrames)
        return m_layout.blocksPerFrame;
    return m_layout.totalBlocks - (m_totalFrames - 1) * m_layout.blocksPerFrame;
}

std::vector<uint8_t> CStreamWriter::Front(const uint8_t digest[16]) const {
    std::vector<uint8_t> out(std::begin(kStreamMagic), std::end(kStreamMagic));
    const WAVEFORMATEX& f = m_layout.format;
    Put16(out, kVersion);
    Put16(out, 0);
    Put32(out, kDescriptorBytes);
    Put32(out, kHeaderBytes);
    Put32(out, 4 * m_totalFrames);
    Put32(out, static_cast<uint32_t>(m_waveHeader.size()));
    Put32(out, static_cast<uint32_t>((m_frameBytes + 3) & ~uint64_t(3)));
    Put32(out, 0);
    Put32(out, m_terminatingBytes);
    out.insert(out.end(), digest, digest + 16);
    Put16(out, m_layout.level);
    Put16(out, 0);
    Put32(out, m_layout.blocksPerFrame);
    Put32(out, m_totalFrames ? FrameBlocks(m_totalFrames - 1) : 0);
    Put32(out, m_totalFrames);
    Put16(out, f.wBitsPerSample);
    Put16(out, f.nChannels);
    Put32(out, f.nSamplesPerSec);
    for (uint32_t i = 0; i < m_totalFrames; ++i)
        Put32(out, i < m_seekTable.size() ? m_seekTable[i] : 0);
    out.insert(out.end(), m_waveHeader.begin(), m_waveHeader.end());
    return out;
}

int CStreamWriter::Put(const void* bytes, size_t count) {
    m_written += count;
    if (m_written > kMaxStreamBytes)
        return CODEC_BAD_INPUT;
    int32_t done = 0;
    if (count == 0)
        return CODEC_OK;
    if (m_out.Write(bytes, static_cast<int32_t>(count), &done) != 0 || size_t(done) != count)
        return CODEC_WRITE_FAILED;
    return CODEC_OK;
}

int CStreamWriter::Begin() {
    uint8_t zero[16] = {};
    std::vector<uint8_t> front = Front(zero);
    return Put(front.data(), front.size());
}

// Whole groups of four go out reversed; the rest waits for the next frame
// (or, at the end, is padded with zero bytes to a whole group).
int CStreamWriter::PutGroups(bool flushAll) {
    if (flushAll)
        m_pending.resize((m_pending.size() + 3) & ~size_t(3), 0);
    size_t whole = m_pending.size() & ~size_t(3);
    for (size_t i = 0; i < whole; i += 4) {
        std::swap(m_pending[i], m_pending[i + 3]);
        std::swap(m_pending[i + 1], m_pending[i + 2]);
    }
    int result = Put(m_pending.data(), whole);
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(whole));
    return result;
}

int CStreamWriter::AddFrame(const uint8_t* frame, size_t bytes) {
    if (m_framesStart + m_frameBytes > kMaxStreamBytes)
        return CODEC_BAD_INPUT;
    m_seekTable.push_back(static_cast<uint32_t>(m_framesStart + m_frameBytes));
    m_frameBytes += bytes;
    m_pending.insert(m_pending.end(), frame, frame + bytes);
    return m_pending.size() < kWriteRun ? CODEC_OK : PutGroups(false);
}

int CStreamWriter::Finish(const std::vector<uint8_t>& terminating, const uint8_t digest[16]) {
    m_terminatingBytes = static_cast<uint32_t>(terminating.size());
    int result = PutGroups(true);
    if (result == CODEC_OK)
        result = Put(terminating.data(), terminating.size());
    if (result != CODEC_OK)
        return result;
    std::vector<uint8_t> front = Front(digest);
    int32_t done = 0;
    if (m_out.Seek(0, 0) != 0 || m_out.Write(front.data(), static_cast<int32_t>(front.size()), &done) != 0 ||
        size_t(done) != front.size())
        return CODEC_WRITE_FAILED;
    return CODEC_OK;
}

}  // namespace zem
