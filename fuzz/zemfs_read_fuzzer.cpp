// SPDX-License-Identifier: BSD-3-Clause
// zemfs's reads over random WAV layouts and frame grids, against a file whose
// every byte is known, and its checks of the image paths links and sheets
// name: every read gives exactly the file's bytes, decodes only the frames
// that hold them, and a path normalised stays inside SOURCE only as its text says.
#include "fuzz/fuzz_input.h"
#include "tools/zemfs/source_access.h"
#include "tools/zemfs/wave_file.h"

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    uint64_t Take(int bytes) {
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | (at < size ? data[at++] : 0);
        return value;
    }
};

uint8_t ByteAt(uint64_t offset) { return static_cast<uint8_t>(offset * 131 % 251); }

std::shared_ptr<std::vector<uint8_t>> Bytes(uint64_t start, uint64_t count) {
    auto bytes = std::make_shared<std::vector<uint8_t>>(count);
    for (uint64_t i = 0; i < count; ++i)
        (*bytes)[i] = ByteAt(start + i);
    return bytes;
}

void CheckReads(Reader& in) {
    using namespace zemfs;
    WaveLayout layout;
    const uint64_t headerBytes = in.Take(1) * 3;
    const uint64_t trailerBytes = in.Take(1);
    layout.blockAlign = static_cast<uint32_t>(in.Take(1) % 24 + 1);
    layout.blocks = in.Take(2) % 3000;
    // A grid as a decoder reports it: a first frame (a track may begin inside
    // its image's frame), whole frames, and a last one to the end.
    FrameGrid& grid = layout.grid;
    if (layout.blocks > 0) {
        const uint64_t perFrame = in.Take(1) % 200 + 1;
        grid.firstEnd = std::min<uint64_t>(in.Take(1) % perFrame + 1, layout.blocks);
        if (grid.firstEnd < layout.blocks) {
            grid.lastFirst = grid.firstEnd + (layout.blocks - grid.firstEnd - 1) / perFrame * perFrame;
            grid.perFrame = grid.lastFirst > grid.firstEnd ? perFrame : 0;
        }
    }
    const uint64_t audioStart = headerBytes;
    const uint64_t audioEnd = audioStart + layout.AudioBytes();
    layout.header = WavePart::Held(Bytes(0, headerBytes));
    layout.trailer = WavePart::Held(Bytes(audioEnd, trailerBytes));
    const uint64_t failing = in.Take(1) % 2 ? in.Take(2) % (layout.blocks + 1) : UINT64_MAX;
    for (int read = 0; read < 8 && in.at < in.size; ++read) {
        const uint64_t offset = in.Take(3) % (layout.Size() + 16);
        const size_t length = static_cast<size_t>(in.Take(2) % 9000);
        std::vector<uint8_t> out(length);
        bool failed = false;
        uint64_t lastEnd = 0;
        const long got = ReadWave(layout, offset, length, out.data(), [&](uint64_t block, DecodedFrame* frame) {
            FUZZ_REQUIRE(block < layout.blocks && block >= lastEnd);
            const FrameSpan span = FrameOf(layout.grid, layout.blocks, block);
            FUZZ_REQUIRE(span.first <= block && block < span.end && span.end <= layout.blocks);
            lastEnd = span.end;
            if (failing >= span.first && failing < span.end) {
                failed = true;
                return -EIO;
            }
            frame->first = span.first;
            frame->end = span.end;
            const uint64_t align = layout.blockAlign;
            frame->bytes = Bytes(audioStart + span.first * align, (span.end - span.first) * align);
            return 0;
        });
        if (failed) {
            FUZZ_REQUIRE(got == -EIO);
            continue;
        }
        const uint64_t expected = offset >= layout.Size() ? 0 : std::min<uint64_t>(length, layout.Size() - offset);
        FUZZ_REQUIRE(got == static_cast<long>(expected));
        for (long i = 0; i < got; ++i)
            FUZZ_REQUIRE(out[size_t(i)] == ByteAt(offset + uint64_t(i)));
    }
}

void CheckPaths(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t split = text.find('\n');
    const std::string root = "/" + text.substr(0, std::min<size_t>(split, 40));
    const std::string path = split == std::string::npos ? "/" : "/" + text.substr(split + 1);
    const std::string normal = zemfs::NormalPath(path);
    FUZZ_REQUIRE(!normal.empty() && normal[0] == '/');
    FUZZ_REQUIRE(normal.find("//") == std::string::npos && normal.find("/./") == std::string::npos);
    FUZZ_REQUIRE(normal.find("/../") == std::string::npos);
    FUZZ_REQUIRE(normal.size() < 3 || normal.substr(normal.size() - 3) != "/..");
    FUZZ_REQUIRE(zemfs::NormalPath(normal) == normal);
    if (zemfs::LiesInside(root, path)) {
        const std::string base = zemfs::NormalPath(root);
        FUZZ_REQUIRE(base == "/" || normal == base || normal.compare(0, base.size() + 1, base + "/") == 0);
    }
    FUZZ_REQUIRE(zemfs::IsRemotePath(path) == (path.size() > 1 && (path[1] == '/' || path[1] == '\\')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    Reader in{data, size};
    CheckReads(in);
    CheckPaths(data, size);
    return 0;
}
