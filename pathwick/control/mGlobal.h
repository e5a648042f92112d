// SPDX-License-Identifier: BSD-3-Clause
// Module-wide references shared with the window procedures, the notification
// handlers and the sort callbacks, which have no other way to reach the control.
#pragma once

namespace pathwick {

class ExplorerControl;
class TreeView;
class ListView;
class ImageList;

extern ExplorerControl* gExplorer;
extern TreeView* gTreeView;
extern ListView* gListView;
extern ImageList* gImageList;
extern bool gInitializing;

}  // namespace pathwick
