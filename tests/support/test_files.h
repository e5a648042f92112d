// SPDX-License-Identifier: BSD-3-Clause
// Small helpers for tests that work on real files in a private temporary folder.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<uint8_t>;

// A fresh folder that is removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Full path of `name` inside the folder, as a filesystem path and as wide text.
    std::filesystem::path File(const std::string& name) const;
    WString WideFile(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

WString ToWide(const std::filesystem::path& path);
// A path as UTF-8 text, as the C API takes it.
std::string Utf8(const std::filesystem::path& path);
// UTF-8 text to wide text (test-side conversion, independent of the library's).
WString WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const WString& wide);

// Creates the file's folder when it does not exist yet.
void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::filesystem::path& path);
Bytes BytesOf(const std::string& text);
Bytes Concat(Bytes front, const Bytes& back);

// Little-endian appenders for building binary fixtures.
void PutU16(Bytes& out, uint16_t value);
void PutU32(Bytes& out, uint32_t value);
void PutText(Bytes& out, const std::string& text);

}  // namespace testing_support
