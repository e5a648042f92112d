// SPDX-License-Identifier: BSD-3-Clause
// Tessarine: turns a cue sheet into one ZLK link file per track.
#include "tessarine/app/win32/tessarine_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    CTessarineApp app;
    return app.Run();
}
