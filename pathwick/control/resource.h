// SPDX-License-Identifier: BSD-3-Clause
// Resource identifiers of the library.
#pragma once

#define IDB_TOOLBOX 101
