// SPDX-License-Identifier: BSD-3-Clause
// What a run over many files tells as it goes and at its end: one progress
// line on a terminal, and a summary of files done, failed and skipped, hours
// of audio and speed.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

// The seconds of audio in the stream or link file `path` (a link: its track);
// 0 when it cannot be told.
double AudioSecondsOf(const std::string& path);

class RunSummary {
public:
    // `noun` names what is counted ("file", "job").
    RunSummary(std::ostream& err, size_t files, bool progress, std::string noun = "file");

    // Records one finished file and passes its messages on, whole, to the
    // error stream (and `out` text to `out`), under one lock so that files
    // finishing together do not mix their lines.
    void Finished(std::ostream& out, const std::string& outText, const std::string& errText);
    void Done(double audioSeconds, int64_t bytes);
    void Failed(const std::string& file, const std::string& reason);
    void Skipped();

    // Prints the failures, one a line, and the summary line.
    void Print();
    bool AnyFailed() const { return !m_failures.empty(); }

private:
    void ClearLine();
    void DrawLine();

    std::ostream& m_err;
    size_t m_files;
    bool m_progress;
    std::string m_noun;
    std::mutex m_lock;
    size_t m_done = 0;
    size_t m_skipped = 0;
    double m_audioSeconds = 0;
    int64_t m_bytes = 0;
    std::vector<std::string> m_failures;
    std::chrono::steady_clock::time_point m_start;
    bool m_drawn = false;
};

}  // namespace zemtool
