// SPDX-License-Identifier: BSD-3-Clause
// The list's size cell: bytes shown as whole kilobytes, rounded up.
#pragma once

#include <cstdint>
#include <string>

namespace pathwick {

// high * 2^32 + low bytes, as "#,##0KB" with `separator` between groups of three digits.
std::wstring FormatKilobytes(uint32_t sizeHigh, uint32_t sizeLow, const std::wstring& separator);

}  // namespace pathwick
