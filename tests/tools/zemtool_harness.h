// SPDX-License-Identifier: BSD-3-Clause
// Running zemtool in-process on files in a temporary folder.
#pragma once

#include "tests/support/test_files.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tool_tests {

struct RunResult {
    int exitCode;
    std::string out;
    std::string err;
};

RunResult RunTool(const std::vector<std::string>& args);

#ifndef _WIN32
// zemtool run as a process of its own, for what an in-process run cannot
// show: closed or failing standard streams, and signals. Standard error is
// captured unless closed, in files of the folder that are gone after Wait().
enum class Stream { Captured, Closed, DevFull };
struct ProcessSetup {
    std::vector<std::string> args;
    Stream out = Stream::Captured;
    Stream err = Stream::Captured;
};
struct ProcessResult {
    int exitCode = -1;  // -1 when a signal ended it
    int signal = 0;
    std::string err;
};
// Starts zemtool; Wait() collects it.
class ToolProcess {
public:
    ToolProcess(const testing_support::TempDir& dir, const ProcessSetup& setup);
    void Signal(int signal) const;
    bool HasEnded();
    ProcessResult Wait();

private:
    int m_pid = -1;
    std::string m_errPath;
    std::string m_outPath;
    bool m_ended = false;
    int m_status = 0;
};
ProcessResult RunToolProcess(const testing_support::TempDir& dir, const ProcessSetup& setup);
#endif

// The UTF-8 name of a file in `dir`, as a user would type it.
std::string PathIn(const testing_support::TempDir& dir, const std::string& name);
// Writes `bytes` as `name` in `dir` and returns its UTF-8 path.
std::string WriteIn(const testing_support::TempDir& dir, const std::string& name,
                    const testing_support::Bytes& bytes);

// A link file's text lines (CR LF) and its marker line, without a tag.
testing_support::Bytes LinkText(const std::string& imagePath, int64_t start, int64_t finish);

// A strict reader for the flat JSON objects zemtool prints: fails the test on
// anything that is not valid JSON. Strings come back decoded, as UTF-8.
struct JsonValue {
    bool isString = false;
    std::string text;
    int64_t number = 0;
};
bool ParseFlatJson(const std::string& json, std::map<std::string, JsonValue>& members,
                   std::vector<std::string>& order);

}  // namespace tool_tests

namespace tool_tests {

// A ZEM tag built byte by byte (items, then the footer), for reading tests.
struct RawItem {
    std::string name;
    testing_support::Bytes value;
    uint32_t flags = 0;
};
testing_support::Bytes RawZemTag(const std::vector<RawItem>& items, uint32_t version = 2000);

// A 128-byte ID3v1 record.
struct Id3v1Fields {
    std::string title, artist, album, year, comment;
    uint8_t track = 0;
    uint8_t genre = 255;
};
testing_support::Bytes Id3v1Bytes(const Id3v1Fields& fields);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace tool_tests
