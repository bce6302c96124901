// The box control's window: class QN20BOXCLASS, window procedure BoxWndProc.
// Painting, messages and scroll bars over the line model of ui/BoxModel.h,
// whose operations the owner calls on the record BoxCreate returns.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/BoxModel.h"

constexpr char kBoxClassName[] = "QN20BOXCLASS";
constexpr char kBoxWindowName[] = "QN20BOXWINDOW";

// A hidden box at (1,1), 1 x 1, child `controlId` of the parent; the owner
// places and shows it. Null when the class, the record or the window cannot
// be made.
BoxRecord* BoxCreate(HWND parent, int32_t controlId, uint32_t flags, INT_PTR ignored);
// The box's window; null for a null record and once the window is destroyed.
HWND BoxGetWindow(const BoxRecord* box);

extern "C" LRESULT CALLBACK BoxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
