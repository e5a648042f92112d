// SPDX-License-Identifier: BSD-3-Clause
// The two forms in which `zemtool info` prints a stream report.
#pragma once

#include "tools/zemtool/stream_report.h"

#include <ostream>

namespace zemtool {

// Labelled lines for a person to read.
void PrintReportText(const StreamReport& report, std::ostream& out);

// One JSON object: "File", then every fact of ReportedFacts() under its name, then
// for a link file "ImagePath", "StartBlock" and "FinishBlock".
void PrintReportJson(const StreamReport& report, std::ostream& out);

}  // namespace zemtool
