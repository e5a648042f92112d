// SPDX-License-Identifier: BSD-3-Clause
// The class identifiers of the property handler: one for streams, which the
// shell hands a stream, and one for link files, which it must hand a path
// (see property_handler.h).
#pragma once

#include <windows.h>

// {F6D8DD8C-86F3-4CBE-A95C-11B1C5232A70}
extern const CLSID CLSID_ZemPropertyHandler;
// {9F72F973-4572-47FA-B53B-21B3BE3E32B3}
extern const CLSID CLSID_ZemLinkPropertyHandler;
