// SPDX-License-Identifier: BSD-3-Clause
#include "tests/support/test_files.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() /
                             ("zemtest-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Files made read-only by a test must not keep the folder alive.
    for (auto& entry : fs::recursive_directory_iterator(m_path, ec))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

fs::path TempDir::File(const std::string& name) const { return m_path / fs::u8path(name); }

WString TempDir::WideFile(const std::string& name) const { return ToWide(File(name)); }

WString ToWide(const fs::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return path.u16string();
#endif
}

WString WideFromUtf8(const std::string& utf8) {
    fs::path p = fs::u8path(utf8);
    return ToWide(p);
}

std::string Utf8FromWide(const WString& wide) {
    fs::path p(wide);
    return p.u8string();
}

void WriteFileBytes(const fs::path& path, const Bytes& bytes) {
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.u8string());
}

Bytes ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(Bytes front, const Bytes& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

std::string Utf8(const std::filesystem::path& path) { return Utf8FromWide(ToWide(path)); }

void PutU16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(Bytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace testing_support
