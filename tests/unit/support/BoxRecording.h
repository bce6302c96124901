// A box whose view records what the line model asks of its window (lines to
// redraw, invalidations, content moves, scroll bar settings, resizes), so the
// model can be checked without one. One TestBox per box; it gives its record
// back when it goes.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/BoxModel.h"

struct BoxRecording {
  std::vector<int32_t> redrawn;                 // lines redrawn, in order
  int invalidations = 0;
  int erasingInvalidations = 0;
  std::vector<std::pair<int32_t, int32_t>> contentMoves;  // (dx, dy)
  int verticalSets = 0;
  int32_t verticalMaximum = -1, verticalPosition = -1;
  int32_t horizontalMaximum = -1, horizontalPosition = -1;
  std::vector<std::pair<int32_t, int32_t>> resizes;       // (width, height)
  std::function<void()> duringResize;                      // stands for the nested size message

  void Clear();
};

struct TestBox {
  BoxRecord* box;
  BoxRecording recording;

  // A box of `pageLines` lines of 10 pixels, 100 pixels wide.
  explicit TestBox(uint32_t flags, int32_t pageLines = 4);
  ~TestBox();
  TestBox(const TestBox&) = delete;
  TestBox& operator=(const TestBox&) = delete;

  // Fills the box through BoxSetLines; the result of BoxSetLines.
  int Fill(const std::vector<std::string>& texts);
  std::vector<std::string> Texts() const;
  std::string Text(int32_t index) const;
};

// A List of BoxLine items with these texts (colour index = position % 4).
struct List* BoxLineList(const std::vector<std::string>& texts);
