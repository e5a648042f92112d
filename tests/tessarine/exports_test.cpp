// SPDX-License-Identifier: BSD-3-Clause
// Tessarine.exe exports FillWaveFormatEx and FillWaveHeader by name: load the
// program as a module and call both through its export table.
#include "tests/support/test_files.h"

#include <windows.h>
#include <mmreg.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace testing_support;

namespace {

using FillFormat = int (*)(WAVEFORMATEX*, int, int, int);
using FillHeader = int (*)(uint8_t*, int, const WAVEFORMATEX*, int);

class TessarineExports : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryW(WideFromUtf8(TESSARINE_EXE).c_str());
        ASSERT_NE(nullptr, m_module) << TESSARINE_EXE << " error " << GetLastError();
    }
    void TearDown() override {
        if (m_module)
            FreeLibrary(m_module);
    }
    template <class Function>
    Function Export(const char* name) {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    }
    HMODULE m_module = nullptr;
};

TEST_F(TessarineExports, BothFunctionsByName) {
    auto fillFormat = Export<FillFormat>("FillWaveFormatEx");
    auto fillHeader = Export<FillHeader>("FillWaveHeader");
    ASSERT_NE(nullptr, fillFormat);
    ASSERT_NE(nullptr, fillHeader);
    EXPECT_EQ(nullptr, Export<FillFormat>("ReadCueSheet"));  // nothing else is exported

    WAVEFORMATEX format{};
    ASSERT_EQ(0, fillFormat(&format, 44100, 16, 2));
    EXPECT_EQ(WAVE_FORMAT_PCM, format.wFormatTag);
    EXPECT_EQ(2, format.nChannels);
    EXPECT_EQ(44100u, format.nSamplesPerSec);
    EXPECT_EQ(176400u, format.nAvgBytesPerSec);
    EXPECT_EQ(4, format.nBlockAlign);
    EXPECT_EQ(16, format.wBitsPerSample);
    EXPECT_EQ(-1, fillFormat(nullptr, 44100, 16, 2));

    uint8_t header[44] = {};
    ASSERT_EQ(0, fillHeader(header, 1000, &format, 8));
    Bytes expected = BytesOf("RIFF");
    PutU32(expected, 1000 + 8 + 36);
    PutText(expected, "WAVEfmt ");
    PutU32(expected, 16);
    PutU16(expected, 1);
    PutU16(expected, 2);
    PutU32(expected, 44100);
    PutU32(expected, 176400);
    PutU16(expected, 4);
    PutU16(expected, 16);
    PutText(expected, "data");
    PutU32(expected, 1000);
    EXPECT_EQ(expected, Bytes(header, header + 44));
    EXPECT_EQ(-1, fillHeader(nullptr, 0, &format, 0));
}

}  // namespace
