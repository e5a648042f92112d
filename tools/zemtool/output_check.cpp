// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/output_check.h"

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

// A stream buffer that compares what passes with a file's bytes, read in
// pieces as they are needed, so that a long recording needs no more memory.
class CompareBuffer : public std::streambuf {
public:
#ifdef _WIN32
    explicit CompareBuffer(const std::string& path)
        : m_file(SystemPath(path), std::ios::binary) {}
#else
    explicit CompareBuffer(const std::string& path) : m_file(path, std::ios::binary) {}
#endif
    bool Opened() const { return m_file.is_open(); }
    // True when every byte matched and the file has no more.
    bool Same() {
        char extra;
        return m_same && !m_file.read(&extra, 1) && m_file.eof() && !m_file.bad();
    }

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        if (!m_same || count <= 0)
            return count;
        m_piece.resize(static_cast<size_t>(count));
        m_file.read(m_piece.data(), count);
        m_same = m_file.gcount() == count && std::memcmp(m_piece.data(), bytes, static_cast<size_t>(count)) == 0;
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

private:
    std::ifstream m_file;
    std::vector<char> m_piece;
    bool m_same = true;
};

}  // namespace

bool StreamGivesWave(const std::string& stream, const std::string& wave, int threads, std::string* why) {
    CompareBuffer decoded(wave);
    if (!decoded.Opened()) {
        *why = "cannot read " + Quoted(wave) + " back";
        return false;
    }
    std::ostream sink(&decoded);
    std::istringstream none;
    std::ostringstream err;
    if (RunOneFileCommand({"decode", "-q", "--threads", std::to_string(threads), "--", stream, "-"}, none, sink, err) !=
        0) {
        const std::string text = err.str();
        *why = text.empty() ? Quoted(stream) + " does not decode" : text.substr(0, text.find('\n'));
        return false;
    }
    if (!decoded.Same()) {
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
