// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_text.h"

namespace zem {

bool IsStorableFieldName(const WCHAR* name) {
    if (!name)
        return false;
    for (; *name; ++name) {
        if (*name < 0x20 || *name > 0x7E)
            return false;
    }
    return true;
}

}  // namespace zem
