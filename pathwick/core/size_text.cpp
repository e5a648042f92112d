// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/size_text.h"

namespace pathwick {

std::wstring FormatKilobytes(uint32_t sizeHigh, uint32_t sizeLow, const std::wstring& separator) {
    uint64_t bytes = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
    uint64_t kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    std::wstring digits = std::to_wstring(kilobytes);
    std::wstring grouped;
    for (size_t index = 0; index < digits.size(); ++index) {
        if (index > 0 && (digits.size() - index) % 3 == 0) grouped += separator;
        grouped += digits[index];
    }
    return grouped + L"KB";
}

}  // namespace pathwick
