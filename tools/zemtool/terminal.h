// SPDX-License-Identifier: BSD-3-Clause
// The console around zemtool: whether standard error is a terminal (for the
// progress bar), binary standard streams, and the progress bar itself.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace zemtool {

bool StandardErrorIsTerminal();
// Standard input and output carry raw bytes (no line-end translation).
void UseBinaryStandardStreams();

// A one-line progress bar redrawn in place; silent when not enabled.
class ProgressBar {
public:
    ProgressBar(std::ostream& err, bool enabled, std::string label);
    ~ProgressBar();
    void Update(int64_t done, int64_t total);
    // Clears the line so that a message can follow.
    void Finish();

private:
    std::ostream& m_err;
    bool m_enabled;
    std::string m_label;
    int m_lastPercent = -1;
    bool m_drawn = false;
};

}  // namespace zemtool
