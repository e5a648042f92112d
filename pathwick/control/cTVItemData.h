// SPDX-License-Identifier: BSD-3-Clause
// The data of one tree node: owned copies of its folder's absolute identifier
// and of its identifier relative to the parent folder. Freed when the node goes.
#pragma once

#include "pathwick/core/pidl_ops.h"

namespace pathwick {

struct cTVItemData {
    Pidl pidlFQ = nullptr;
    Pidl pidlRel = nullptr;
};

}  // namespace pathwick
