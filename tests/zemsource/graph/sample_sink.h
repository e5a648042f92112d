// SPDX-License-Identifier: BSD-3-Clause
// The tests' own renderer: a filter with one input pin that takes any PCM
// type, accepts every sample at once (no clock) and records what it gets.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>
#include <vector>

namespace zemsource_tests {

struct RecordedSample {
    REFERENCE_TIME start = 0, stop = 0;
    bool hasTime = false;
    bool discontinuity = false;
    size_t offset = 0;  // where its bytes begin in Recording::bytes
    size_t length = 0;
};

struct Recording {
    std::vector<uint8_t> bytes;
    std::vector<RecordedSample> samples;
    std::vector<REFERENCE_TIME> segmentStarts;
    int endsOfStream = 0;
    int flushes = 0;
};

// Creates the sink with a reference for the caller.
IBaseFilter* NewSampleSink();
// What the sink got since it was made or last cleared.
Recording TakeRecording(IBaseFilter* sink);
// Waits for the end of the stream; false after `milliseconds`.
bool WaitEndOfStream(IBaseFilter* sink, DWORD milliseconds);
IPin* SinkPin(IBaseFilter* sink);  // not counted

}  // namespace zemsource_tests
