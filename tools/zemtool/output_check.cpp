// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/output_check.h"

#include "encode/md5.h"
#include "tools/zemtool/durable_file.h"
#include "tools/zemtool/file_command.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/tool_failure.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>
#include <sstream>
#include <streambuf>

namespace zemtool {
namespace {

// A stream buffer that keeps only the digest and the count of what passes.
class DigestBuffer : public std::streambuf {
public:
    void Finish(uint8_t digest[16]) { m_md5.Finish(digest); }
    int64_t Bytes() const { return m_bytes; }

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        m_md5.Update(bytes, static_cast<size_t>(count));
        m_bytes += count;
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

private:
    CMd5 m_md5;
    int64_t m_bytes = 0;
};

// Reads the file in pieces, so that a long recording needs no more memory.
bool DigestOfFile(const std::string& path, CMd5* md5, int64_t* size) {
#ifdef _WIN32
    std::ifstream file(std::filesystem::path(LibraryPath(path).c_str()), std::ios::binary);
#else
    std::ifstream file(path, std::ios::binary);
#endif
    std::vector<char> piece(1 << 20);
    while (file) {
        file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const std::streamsize got = file.gcount();
        md5->Update(piece.data(), static_cast<size_t>(got));
        *size += got;
    }
    return file.eof() && !file.bad();
}

}  // namespace

bool StreamGivesWave(const std::string& stream, const std::string& wave, int threads, std::string* why) {
    DigestBuffer decoded;
    std::ostream sink(&decoded);
    std::istringstream none;
    std::ostringstream err;
    if (RunOneFileCommand({"decode", "-q", "--threads", std::to_string(threads), "--", stream, "-"}, none, sink, err) !=
        0) {
        const std::string text = err.str();
        *why = text.empty() ? Quoted(stream) + " does not decode" : text.substr(0, text.find('\n'));
        return false;
    }
    CMd5 read;
    int64_t size = 0;
    if (!DigestOfFile(wave, &read, &size)) {
        *why = "cannot read " + Quoted(wave) + " back";
        return false;
    }
    uint8_t a[16], b[16];
    decoded.Finish(a);
    read.Finish(b);
    if (decoded.Bytes() != size || std::memcmp(a, b, sizeof a) != 0) {
        *why = Quoted(stream) + " does not decode to the bytes of " + Quoted(wave);
        return false;
    }
    return true;
}

bool DeleteInputAfterCheck(const std::string& input, const std::string& output, bool encoded, int threads,
                           std::string* why) {
    std::string reason;
    if (!SyncFile(output, &reason)) {
        *why = "cannot sync " + Quoted(output) + ": " + reason;
        return false;
    }
    const bool same =
        encoded ? StreamGivesWave(output, input, threads, &reason) : StreamGivesWave(input, output, threads, &reason);
    if (!same) {
        *why = reason;
        return false;
    }
    if (!RemoveFile(input)) {
        *why = "cannot delete " + Quoted(input);
        return false;
    }
    return true;
}

}  // namespace zemtool
