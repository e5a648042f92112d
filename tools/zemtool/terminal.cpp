// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/terminal.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zemtool {

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void UseBinaryStandardStreams() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

ProgressBar::ProgressBar(std::ostream& err, bool enabled, std::string label)
    : m_err(err), m_enabled(enabled), m_label(std::move(label)) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(int64_t done, int64_t total) {
    if (!m_enabled)
        return;
    int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    const int kWidth = 40;
    int filled = percent * kWidth / 100;
    m_err << "\r" << m_label << " [" << std::string(size_t(filled), '#') << std::string(size_t(kWidth - filled), ' ')
          << "] " << percent << "%" << std::flush;
    m_drawn = true;
}

void ProgressBar::Finish() {
    if (m_drawn)
        m_err << "\r" << std::string(m_label.size() + 50, ' ') << "\r" << std::flush;
    m_drawn = false;
}

}  // namespace zemtool
