// SPDX-License-Identifier: BSD-3-Clause
// Resource and control ids of Tessarine.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_TESSARINE_DIALOG 102
#define IDC_BUILD_LINK_FILES 1001
#define IDC_FILENAME_HELP 1003
#define IDC_NAMING_TEMPLATE 1004
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
