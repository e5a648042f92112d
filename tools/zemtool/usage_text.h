// The help texts of zemtool and its commands.
#pragma once

namespace zemtool {

extern const char* const kToolUsage;
extern const char* const kInfoUsage;
extern const char* const kTagUsage;
extern const char* const kLinksUsage;

}  // namespace zemtool
