// SPDX-License-Identifier: BSD-3-Clause
// The identifiers of the type library, defined once for the whole library.
#include <initguid.h>

#include "pathwick/control/PathwickControl.h"
