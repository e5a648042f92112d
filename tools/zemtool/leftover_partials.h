// SPDX-License-Identifier: BSD-3-Clause
// Temporary files that a killed run left beside its outputs: the next run
// over the same outputs removes them before it starts, so that a run
// stopped by SIGKILL (which no handler sees) leaves nothing behind once it
// is resumed.
#pragma once

#include <string>
#include <vector>

namespace zemtool {

// Removes "OUTPUT.xxxxxxxx.partial" (eight hex digits, as encode and decode
// name their temporary files), "OUTPUT.partial" (convert's) and the
// temporary files of those ("OUTPUT.partial.pcm.partial", the encoder's PCM)
// beside each of `outputs`, listing each folder once. Returns how many were
// removed.
int RemoveLeftoverPartials(const std::vector<std::string>& outputs);

// The output whose temporary file `name` (no folder) is in the forms above,
// or "" when it is none.
std::string PartialTarget(const std::string& name);

}  // namespace zemtool
