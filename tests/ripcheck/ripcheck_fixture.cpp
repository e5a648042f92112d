// SPDX-License-Identifier: BSD-3-Clause
#include "tests/ripcheck/ripcheck_fixture.h"

#include "tests/support/wave_fixture.h"
#include "tests/support/zem_fixture.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <sstream>

namespace ripcheck_tests {

RunResult RunTool(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int exitCode = RunZemtool(args, out, err);
    return {exitCode, out.str(), err.str()};
}

std::string WriteImage(const testing_support::TempDir& dir, const std::string& name,
                       const std::vector<uint32_t>& words, const std::vector<uint32_t>& startSectors,
                       uint16_t channels, uint32_t rate) {
    testing_support::Bytes pcm;
    for (uint32_t word : words) {
        if (channels == 2)
            testing_support::PutU32(pcm, word);
        else
            testing_support::PutU16(pcm, static_cast<uint16_t>(word));
    }
    testing_support::Bytes wave = testing_support::CanonicalWaveHeader(
        channels, 16, rate, static_cast<uint32_t>(pcm.size()), 0);
    wave.insert(wave.end(), pcm.begin(), pcm.end());
    int result = -1;
    const testing_support::Bytes stream = testing_support::EncodeWaveBytes(wave, 2000, 4096, &result);
    EXPECT_EQ(result, 0);
    testing_support::WriteFileBytes(dir.File(name + ".zem"), stream);
    std::string sheet = "PERFORMER \"Nobody\"\r\nTITLE \"Test\"\r\nFILE \"" + name + ".zem\" WAVE\r\n";
    for (size_t i = 0; i < startSectors.size(); ++i) {
        char line[96];
        const uint32_t s = startSectors[i];
        std::snprintf(line, sizeof line, "  TRACK %02u AUDIO\r\n    INDEX 01 %02u:%02u:%02u\r\n",
                      static_cast<unsigned>(i + 1), s / 75 / 60, s / 75 % 60, s % 75);
        sheet += line;
    }
    testing_support::WriteFileBytes(dir.File(name + ".cue"), testing_support::BytesOf(sheet));
    return dir.File(name + ".cue").u8string();
}

std::vector<std::string> JsonValues(const std::string& json, const std::string& key) {
    std::vector<std::string> values;
    const std::regex pattern("\"" + key + "\": \"?([^\",}]*)\"?");
    for (std::sregex_iterator it(json.begin(), json.end(), pattern), end; it != end; ++it)
        values.push_back((*it)[1]);
    return values;
}

std::string Hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

}  // namespace ripcheck_tests
