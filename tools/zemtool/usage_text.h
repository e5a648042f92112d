// SPDX-License-Identifier: BSD-3-Clause
// The help texts of zemtool and its commands.
#pragma once

namespace zemtool {

extern const char* const kToolUsage;
extern const char* const kInfoUsage;
extern const char* const kTagUsage;
extern const char* const kLinksUsage;
extern const char* const kEncodeUsage;
extern const char* const kDecodeUsage;
extern const char* const kVerifyUsage;
extern const char* const kRipcheckUsage;
extern const char* const kConvertUsage;
extern const char* const kGainUsage;
extern const char* const kBatchUsage;

}  // namespace zemtool
