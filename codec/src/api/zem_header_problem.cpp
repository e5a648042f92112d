// SPDX-License-Identifier: BSD-3-Clause
// Why a stream header is refused, for a caller whose open failed.
#include "api/decoder_handle.h"

#include "container/header_reader.h"
#include "container/stream_info_record.h"
#include "io/memory_stream.h"
#include "io/win32_file.h"

#include <climits>

using namespace zem;

namespace {

// The reader's reason for the stream in `io`, empty when it takes the header.
std::string ProblemOf(CStreamIo* io) {
    StreamInfoRecord record;
    CHeaderReader reader(io);
    return reader.Read(&record) == 0 ? std::string() : std::string(reader.Problem());
}

long Hand(const std::string& problem, char* buffer, size_t size) {
    zem::api::CopyDetail(problem, buffer, size);
    return static_cast<long>(std::min<size_t>(problem.size(), LONG_MAX));
}

}  // namespace

extern "C" long zem_header_problem(const char* path_utf8, char* buffer, size_t size) {
    WString path;
    if (!zem::api::LibraryPathFromUtf8(path_utf8, &path) || (!buffer && size > 0))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&]() -> long {
        CWin32File file;
        if (file.OpenForReading(path.c_str()) != 0)
            return Hand(std::string(), buffer, size);
        return Hand(ProblemOf(&file), buffer, size);
    });
}

extern "C" long zem_header_problem_memory(const void* data, size_t data_size, char* buffer, size_t size) {
    if (!data || (!buffer && size > 0))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&]() -> long {
        const auto* bytes = static_cast<const uint8_t*>(data);
        CMemoryStream io(std::vector<uint8_t>(bytes, bytes + data_size), true);
        return Hand(ProblemOf(&io), buffer, size);
    });
}
