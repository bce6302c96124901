// A box without a window whose view and callbacks record what the line model
// asks of its window (lines redrawn, invalidations, content moves, scroll bar
// settings, resizes) and tells its owner. It gives its record back when it goes.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/BoxModel.h"

struct BoxRecording {
  std::vector<int32_t> redrawn;
  int erasingInvalidations = 0;
  std::vector<std::pair<int32_t, int32_t>> contentMoves;  // (dx, dy)
  int verticalSets = 0;
  int32_t verticalMaximum = -1, verticalPosition = -1;
  std::vector<std::pair<int32_t, int32_t>> resizes;       // (width, height)
  std::function<void()> duringResize;                      // stands for the nested size message
  std::vector<int32_t> selected, scrolled, deleteAsked;    // the owner's notifications
  int32_t deleteAnswer = 1;

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

  // Fills the box through BoxSetLines (colour index = position % 4); its result.
  int Fill(const std::vector<std::string>& texts);
  std::vector<std::string> Texts() const;
  std::string Text(int32_t index) const;
};

// A List of BoxLine items with these texts (colour index = position % 4).
struct List* BoxLineList(const std::vector<std::string>& texts);
