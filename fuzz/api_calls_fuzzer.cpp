// SPDX-License-Identifier: BSD-3-Clause
// Random call sequences on the C API, as a player or a file system would make
// them: a file opened as a stream or through a link file, then reads of odd
// sizes, seeks, frame queries, header and trailer copies, tag lookups and
// error details, in any order. Each answer is held against the others: a
// read never crosses its frame and moves the position by what it returns, an
// error moves it to its frame's end (a cut file to the end), a part's size
// and its copy agree, and a detail fits its buffer.
//
// Input: the file's bytes, then N four-byte calls, then the byte N.
#include <zem/zem.h>

#include "fuzz/fuzz_input.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A read's buffer, and the blocks a whole run may decode: beyond these an
// input only costs time.
constexpr size_t kMaxReadBytes = size_t(1) << 20;
constexpr int64_t kMaxBlocksPerRun = int64_t(1) << 17;

struct Call {
    uint8_t kind, a, b, c;
    uint32_t Value() const { return uint32_t(a) | uint32_t(b) << 8 | uint32_t(c) << 16; }
};

std::string Folder() {
    static const std::string folder = [] {
        std::string path = "/tmp/zem-api-calls-" + std::to_string(getpid());
        mkdir(path.c_str(), 0700);
        return path;
    }();
    return folder;
}

void WriteFile(const std::string& path, const uint8_t* bytes, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_REQUIRE(file != nullptr);
    FUZZ_REQUIRE(std::fwrite(bytes, 1, size, file) == size);
    std::fclose(file);
}

bool KnownError(long result) { return result < 0 && result >= ZEM_ERROR_PATH_REFUSED; }

class Session {
public:
    explicit Session(zem_decoder* d) : m_d(d) {
        FUZZ_REQUIRE(zem_get_info(d, &m_info) == ZEM_OK);
        FUZZ_REQUIRE(zem_tell(d) == 0);
    }

    void Run(const Call& call) {
        switch (call.kind % 8) {
        case 0: Read(1 + call.Value() % 20000); break;
        case 1: Read(1 + call.a % 7); break;
        case 2: Seek(call.Value()); break;
        case 3: Frame(call.Value()); break;
        case 4: Part(true, call.a); break;
        case 5: Part(false, call.a); break;
        case 6: Tag(call); break;
        default: Detail(call.a % 40); break;
        }
    }

    bool Spent() const { return m_decoded > kMaxBlocksPerRun; }

private:
    uint64_t Total() const { return m_info.total_blocks; }

    void Read(long wanted) {
        const size_t align = m_info.block_align ? m_info.block_align : 1;
        wanted = static_cast<long>(std::min<size_t>(size_t(wanted), std::max<size_t>(kMaxReadBytes / align, 1)));
        std::vector<uint8_t> pcm(size_t(wanted) * align);
        const int64_t before = zem_tell(m_d);
        uint64_t frameEnd = Total();
        if (uint64_t(before) < Total())
            FUZZ_REQUIRE(zem_get_frame(m_d, uint64_t(before), nullptr, &frameEnd) == ZEM_OK);
        const long got = zem_read(m_d, pcm.data(), wanted);
        const int64_t after = zem_tell(m_d);
        m_decoded += wanted;
        if (got > 0) {
            FUZZ_REQUIRE(got <= wanted && after == before + got && uint64_t(after) <= frameEnd);
        } else if (got == 0) {
            FUZZ_REQUIRE(uint64_t(before) == Total() && after == before);
        } else {
            FUZZ_REQUIRE(KnownError(got));
            // The frame is skipped; a cut file ends at the cut.
            FUZZ_REQUIRE(uint64_t(after) == (got == ZEM_ERROR_TRUNCATED ? Total() : frameEnd));
            FUZZ_REQUIRE(zem_get_error_detail(m_d, nullptr, 0) > 0);
        }
    }

    void Seek(uint32_t value) {
        const uint64_t block = Total() ? value % (Total() + 2) : value % 2;
        const int64_t before = zem_tell(m_d);
        const int result = zem_seek(m_d, block);
        if (block <= Total())
            FUZZ_REQUIRE(result == ZEM_OK && zem_tell(m_d) == int64_t(block));
        else
            FUZZ_REQUIRE(result == ZEM_ERROR_INVALID_ARGUMENT && zem_tell(m_d) == before);
    }

    void Frame(uint32_t value) {
        const uint64_t block = value % (Total() + 1);
        uint64_t first = 0, end = 0;
        const int result = zem_get_frame(m_d, block, &first, &end);
        if (block >= Total()) {
            FUZZ_REQUIRE(result == ZEM_ERROR_INVALID_ARGUMENT);
            return;
        }
        FUZZ_REQUIRE(result == ZEM_OK && first <= block && block < end && end <= Total());
        uint64_t again = 0;
        FUZZ_REQUIRE(zem_get_frame(m_d, first, &again, nullptr) == ZEM_OK && again == first);
    }

    // The size asked for and the copy agree, and a buffer one byte short is
    // left alone.
    void Part(bool header, uint8_t slack) {
        auto part = header ? zem_get_wav_header : zem_get_wav_trailer;
        const long size = part(m_d, nullptr, 0);
        if (size < 0) {
            FUZZ_REQUIRE(KnownError(size));
            return;
        }
        if (size_t(size) > (size_t(1) << 26))
            return;
        std::vector<uint8_t> buffer(size_t(size) + slack % 3, 0xA5);
        FUZZ_REQUIRE(part(m_d, buffer.data(), buffer.size()) == size);
        if (size > 0) {
            std::vector<uint8_t> shorter(size_t(size) - 1, 0x5A);
            FUZZ_REQUIRE(part(m_d, shorter.data(), shorter.size()) == size);
            for (uint8_t byte : shorter)
                FUZZ_REQUIRE(byte == 0x5A);
        }
    }

    void Tag(const Call& call) {
        static const char* const kNames[] = {"Title", "ARTIST", "album", "Year", "Comment", "Track", "Genre",
                                             "Cuesheet", "", "Cover Art (front)"};
        std::string name = kNames[call.a % 10];
        if (call.b & 1)
            name += static_cast<char>(call.c);
        const char* value = zem_get_tag(m_d, name.c_str());
        const char* again = zem_get_tag(m_d, name.c_str());
        FUZZ_REQUIRE((value == nullptr) == (again == nullptr));
        if (value)
            FUZZ_REQUIRE(std::strcmp(value, again) == 0);
    }

    void Detail(size_t size) {
        char text[48];
        std::memset(text, 'x', sizeof text);
        const long length = zem_get_error_detail(m_d, size ? text : nullptr, size);
        FUZZ_REQUIRE(length >= 0);
        if (size == 0)
            return;
        const size_t copied = std::strlen(text);
        FUZZ_REQUIRE(copied < size && copied <= size_t(length));
    }

    zem_decoder* m_d;
    zem_stream_info m_info = {};
    int64_t m_decoded = 0;
};

zem_decoder* OpenInput(const uint8_t* file, size_t size, const Call& how) {
    const std::string folder = Folder();
    const std::string image = folder + (how.a & 1 ? "/f.bin" : "/f.zem");
    WriteFile(image, file, size);
    int error = 1;
    char detail[64];
    zem_decoder* d = nullptr;
    if (how.kind % 3 == 0) {
        const std::string link = "[Quillon Image Link File]\r\nImage File=" + image.substr(folder.size() + 1) +
                                 "\r\nStart Block=" + std::to_string(int(how.b) * 97 - 500) +
                                 "\r\nFinish Block=" + std::to_string(int(how.c) * 389 - 1000) + "\r\n";
        WriteFile(folder + "/l.txt", reinterpret_cast<const uint8_t*>(link.data()), link.size());
        d = zem_open_ex((folder + "/l.txt").c_str(), 0, &error, detail, sizeof detail);
    } else if (how.kind % 3 == 1) {
        d = zem_open_range(image.c_str(), int32_t(how.b) * 211 - 300, int32_t(how.c) * 1409 - 1000, &error);
    } else {
        d = zem_open_ex(image.c_str(), 0, &error, detail, sizeof detail);
    }
    FUZZ_REQUIRE((d == nullptr) == (error != ZEM_OK));
    FUZZ_REQUIRE(d != nullptr || KnownError(error));
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > fuzzing::kMaxInputBytes)
        return 0;
    const std::vector<uint8_t> input = fuzzing::CopyInput(data, size);
    const size_t calls = input.back();
    if (size < 1 + 4 * (calls + 1))
        return 0;
    const size_t fileBytes = size - 1 - 4 * (calls + 1);
    auto callAt = [&](size_t i) {
        const uint8_t* p = input.data() + fileBytes + 4 * i;
        return Call{p[0], p[1], p[2], p[3]};
    };
    zem_decoder* d = OpenInput(input.data(), fileBytes, callAt(0));
    if (!d)
        return 0;
    Session session(d);
    for (size_t i = 1; i <= calls && !session.Spent(); ++i)
        session.Run(callAt(i));
    zem_close(d);
    return 0;
}
