// An output must not be one of the command's inputs: writing it would destroy
// what is being read. The comparison is by file identity, so that another
// spelling, a symbolic link or a hard link to the input is refused as well.
#pragma once

#include <string>

namespace zemtool {

// Empty when `target` may be written; otherwise the message that refuses it.
// A link file's image counts as an input too. "-" is neither.
std::string RefuseInputAsOutput(const std::string& source, const std::string& target);

}  // namespace zemtool
