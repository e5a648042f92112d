// SPDX-License-Identifier: BSD-3-Clause
// Stands for the header of com_base.idl: the system's own declarations of the
// base interfaces.
#pragma once

#include <oaidl.h>
