// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/run_summary.h"

#include <zem/zem.h>

#include <cstdio>

namespace zemtool {
namespace {

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

double AudioSecondsOf(const std::string& path) {
    int error = 0;
    zem_decoder* decoder = zem_open(path.c_str(), &error);
    if (!decoder)
        return 0;
    zem_stream_info info{};
    const bool known = zem_get_info(decoder, &info) == ZEM_OK && info.sample_rate > 0;
    zem_close(decoder);
    return known ? double(info.total_blocks) / double(info.sample_rate) : 0;
}

RunSummary::RunSummary(std::ostream& err, size_t files, bool progress, std::string noun)
    : m_err(err),
      m_files(files),
      m_progress(progress),
      m_noun(std::move(noun)),
      m_start(std::chrono::steady_clock::now()) {}

void RunSummary::ClearLine() {
    if (m_drawn)
        m_err << "\r" << std::string(72, ' ') << "\r";
    m_drawn = false;
}

void RunSummary::DrawLine() {
    if (!m_progress)
        return;
    const size_t finished = m_done + m_failures.size() + m_skipped;
    m_err << "\r" << finished << "/" << m_files << " " << m_noun << "s, " << m_failures.size() << " failed, "
          << m_skipped << " skipped" << std::flush;
    m_drawn = true;
}

void RunSummary::Finished(std::ostream& out, const std::string& outText, const std::string& errText) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!outText.empty())
        out << outText << std::flush;
    if (!errText.empty()) {
        ClearLine();
        m_err << errText;
    }
    DrawLine();
}

void RunSummary::Done(double audioSeconds, int64_t bytes) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_done;
    m_audioSeconds += audioSeconds;
    m_bytes += bytes;
}

void RunSummary::Failed(const std::string& file, const std::string& reason) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_failures.push_back(file + ": " + reason);
}

void RunSummary::Skipped() {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_skipped;
}

void RunSummary::Print() {
    std::lock_guard<std::mutex> hold(m_lock);
    ClearLine();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    for (const std::string& failure : m_failures)
        m_err << "zemtool: failed: " << failure << "\n";
    m_err << "zemtool: " << m_files << " " << m_noun << (m_files == 1 ? ": " : "s: ") << m_done << " done, "
          << m_failures.size() << " failed, " << m_skipped << " skipped; " << Fixed(m_audioSeconds / 3600, 3)
          << " hours of audio in " << Fixed(seconds, 1) << " s";
    if (seconds > 0)
        m_err << " (" << Fixed(m_audioSeconds / seconds, 0) << "x real time, "
              << Fixed(double(m_bytes) / 1048576.0 / seconds, 1) << " MiB/s)";
    m_err << "\n" << std::flush;
}

}  // namespace zemtool
