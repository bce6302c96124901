// The watch window: class QN20WATCHCLASS, window procedure WatchWndProc. Two
// boxes side by side, the watched names on the left and their values on the
// right, over the watch list of ui/WatchList.h (WatchAdd, WatchRefresh).
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/WatchList.h"

constexpr char kWatchClassName[] = "QN20WATCHCLASS";
constexpr char kWatchWindowName[] = "QN20WATCHWINDOW";

// A hidden watch window at (10,10), 100 x 100, child `controlId` of the parent,
// with its two boxes (child ids controlId * 10 + 1 and + 2) shown. Null when
// the class, the record, the window or a box cannot be made.
WatchRecord* WatchCreate(HWND parent, int32_t controlId, INT_PTR ignored, WatchEvaluator evaluator,
                         void* context);
// The watch window; null for a null record and once the window is destroyed.
HWND WatchGetWindow(const WatchRecord* watch);

extern "C" LRESULT CALLBACK WatchWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
