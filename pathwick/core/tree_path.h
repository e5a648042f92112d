// SPDX-License-Identifier: BSD-3-Clause
// Select-by-path walks the tree one component at a time: first the node whose
// full path is the first component, then the one whose path adds the second...
#pragma once

#include <string>
#include <vector>

namespace pathwick {

// The paths sought in turn: "A", "A\B", "A\B\C" for "A\B\C" and separator "\".
// An empty separator gives the whole path as the one step.
std::vector<std::wstring> PathSteps(const std::wstring& path, const std::wstring& separator);

}  // namespace pathwick
