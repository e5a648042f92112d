// SPDX-License-Identifier: BSD-3-Clause
// The genre numbers of ID3v1 records: the position in the list is the number.
#pragma once

namespace zem {

constexpr int kGenreCount = 148;
// The byte that an ID3v1 record carries when it names no genre.
constexpr int kNoGenre = 255;

extern const char* const GenreNames[kGenreCount];

// The name of genre `number`, or "Undefined" for 255 and anything outside the list.
const char* GenreNameOf(int number);
// The number of the first genre whose name equals `name` without regard to
// (ASCII) case, or kNoGenre.
int GenreNumberOf(const char* name);

}  // namespace zem
