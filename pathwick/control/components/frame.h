// SPDX-License-Identifier: BSD-3-Clause
// Frame1: a plain child window that serves as the splitter bar. It shows the
// west-east sizing pointer and reports its mouse events with the button and
// the position in twips, as a form's frame does.
#pragma once

#include <windows.h>

#include <functional>

namespace pathwick {

constexpr int LeftButton = 1;

class Frame {
public:
    // button: 1 left, 2 right, 4 middle (for moves, the buttons held); x and y in twips.
    using MouseHandler = std::function<void(int button, int xTwips, int yTwips)>;

    bool Create(HWND parent, int id);
    HWND hWnd() const { return m_window; }
    void Move(int left, int top, int width, int height) const;
    int Left() const;
    int Width() const;

    MouseHandler OnMouseDown, OnMouseMove, OnMouseUp;

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Report(const MouseHandler& handler, int button, LPARAM lParam) const;

    HWND m_window = nullptr;
};

// Twips per pixel of the screen, horizontally.
double TwipsPerPixelX();

}  // namespace pathwick
