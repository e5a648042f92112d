// SPDX-License-Identifier: BSD-3-Clause
// Turns what the shell's folder chooser wrote into the folder path a run uses.
#pragma once

#include <cstddef>
#include <string>

namespace extorra {

// The chooser's path buffer: one more than the longest ANSI path, so that any
// path the shell can write fits with its terminating zero.
constexpr std::size_t Chooser_Buffer_Size = 261;

// `has_path` is false when the chooser was cancelled or the chosen item has
// no file-system path; the result is then empty. Otherwise the buffer is cut
// before its first zero character and a backslash appended unless it already
// ends in one (a drive root does). An empty path counts as none.
std::string Folder_From_Chooser(bool has_path, const char* buffer, std::size_t buffer_size);

}  // namespace extorra
