// SPDX-License-Identifier: BSD-3-Clause
// The application object: runs the one dialog and ends when it closes.
#pragma once

#include "tessarine/app/win32/dialog_layer.h"

class CTessarineApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
