// SPDX-License-Identifier: BSD-3-Clause
// The class identifier of the ZEM source filter, and the subtypes under which
// its files' byte patterns are registered (MEDIATYPE_Stream): ZEM streams and ZLK link files.
#pragma once

#include <windows.h>

// {3928FA40-0CAB-4C6B-B59B-698780E68154}
extern const CLSID CLSID_ZemSource;
// {5B55AD19-C8EE-4ABB-B45A-8E9AF4BAEC74}
extern const GUID MEDIASUBTYPE_ZemStream;
// {E54F3F05-6A6D-4599-8E3B-C92DD55D4D92}
extern const GUID MEDIASUBTYPE_ZemLink;
