// SPDX-License-Identifier: BSD-3-Clause
// The class identifier of the Media Foundation byte-stream handler, and the
// extended event type by which the source reports a damaged frame.
#pragma once

#include <windows.h>

// {EC198A89-9887-48A0-AA63-A306634411D0}
extern const CLSID CLSID_ZemByteStreamHandler;
// {4D1C6E0B-5E4A-4C55-9E0E-7A2B5C8F3D61}: an MEExtendedType event on the
// stream, queued when a frame failed its check and its blocks were delivered
// as silence; its value (VT_UI8) is the first such block, its attribute
// MF_ZEM_SILENT_BLOCKS (UINT64) the number of blocks.
extern const GUID MEZemDamagedFrame;
// {7A9B0C2D-3E4F-4A5B-8C6D-7E8F9A0B1C2D}
extern const GUID MF_ZEM_SILENT_BLOCKS;
