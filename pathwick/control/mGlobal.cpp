// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/mGlobal.h"

namespace pathwick {

ExplorerControl* gExplorer = nullptr;
TreeView* gTreeView = nullptr;
ListView* gListView = nullptr;
ImageList* gImageList = nullptr;
bool gInitializing = false;

}  // namespace pathwick
