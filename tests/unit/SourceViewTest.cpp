// What painting gets from a view: the runs of a line (marks, whole-line
// comments, tokens, the 128-run limit), the line marks, and a record whose
// pool goes away with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory/HashTable.h"
#include "memory/MemPoolDebug.h"
#include "support/SourceTextTesting.h"

namespace {

struct PaintRun {
  std::string text;
  int element;
  bool operator==(const PaintRun& other) const { return text == other.text && element == other.element; }
};
std::ostream& operator<<(std::ostream& out, const PaintRun& run) {
  return out << "{\"" << run.text << "\"," << run.element << "}";
}
using PaintRuns = std::vector<PaintRun>;

PaintRuns RunsOf(SourceView* view, int32_t line) {
  PaintRuns runs;
  int32_t count = SourceViewLineRuns(view, line);
  EXPECT_EQ(count, view->runCount);
  for (int32_t i = 0; i < count; i++)
    runs.push_back({std::string(view->runs[i].text, static_cast<size_t>(view->runs[i].length)), view->runs[i].element});
  return runs;
}

TEST(ViewRuns, TokensOfOneElementShareARun) {
  ViewHolder view;
  view.Append({"a = 0x1F; // note", "", "if (StrLength(s) > 0) then"});
  EXPECT_EQ(RunsOf(view.get(), 0), (PaintRuns{{"a = ", 7}, {"0x1F", 9}, {"; ", 7}, {"// note", 1}}));
  EXPECT_EQ(RunsOf(view.get(), 1), PaintRuns{});
  EXPECT_EQ(RunsOf(view.get(), 2),
            (PaintRuns{{"if", 4}, {" (", 7}, {"StrLength", 2}, {"(s) > ", 7}, {"0", 9}, {") ", 7}, {"then", 4}}));
  EXPECT_EQ(RunsOf(view.get(), 3), PaintRuns{});
  EXPECT_EQ(SourceViewLineRuns(nullptr, 0), 0);
}

TEST(ViewRuns, BlockCommentsColourTheirLines) {
  ViewHolder view;
  view.Append({"x = 1; /* begins", "if inside", "ends */ y"});
  EXPECT_EQ(RunsOf(view.get(), 0), (PaintRuns{{"x = ", 7}, {"1", 9}, {"; ", 7}, {"/* begins", 1}}));
  EXPECT_EQ(RunsOf(view.get(), 1), (PaintRuns{{"if inside", 1}}));
  EXPECT_EQ(RunsOf(view.get(), 2), (PaintRuns{{"ends */", 1}, {" y", 7}}));
}

TEST(ViewMarks, MarkedLineIsOneRunAndTheCurrentLineWins) {
  ViewHolder view;
  view.Append({"x = 1; /* begins", "if inside", "ends */ y"});
  EXPECT_EQ(SourceViewSetLineMark(view.get(), 1, kColorBreakpoint, kMarkBreakpoint), 1);
  EXPECT_EQ(SourceViewSetLineMark(view.get(), 2, kColorBreakpoint, kMarkBreakpoint), 1);
  EXPECT_EQ(SourceViewSetLineMark(view.get(), 2, kColorCurrentLine, kMarkCurrentLine), 1);
  EXPECT_EQ(SourceViewLineMark(view.get(), 0), 0);
  EXPECT_EQ(SourceViewLineMark(view.get(), 1), kColorBreakpoint);
  EXPECT_EQ(SourceViewLineMark(view.get(), 2), kColorCurrentLine);
  EXPECT_EQ(RunsOf(view.get(), 1), (PaintRuns{{"if inside", 10}}));
  EXPECT_EQ(RunsOf(view.get(), 2), (PaintRuns{{"ends */ y", 11}}));

  EXPECT_EQ(SourceViewClearLineMark(view.get(), 2, kMarkCurrentLine), 1);
  EXPECT_EQ(SourceViewClearLineMark(view.get(), 2, kMarkCurrentLine), 0);
  EXPECT_EQ(RunsOf(view.get(), 2), (PaintRuns{{"ends */ y", 10}}));
  EXPECT_EQ(SourceViewClearLineMark(view.get(), 2, kMarkBreakpoint), 1);
  EXPECT_EQ(RunsOf(view.get(), 2), (PaintRuns{{"ends */", 1}, {" y", 7}}));

  // Marking again replaces the element; the key is the decimal line number.
  EXPECT_EQ(SourceViewSetLineMark(view.get(), 12345, 5, kMarkBreakpoint), 1);
  EXPECT_EQ(SourceViewSetLineMark(view.get(), 12345, 6, kMarkBreakpoint), 1);
  intptr_t value = 0;
  ASSERT_EQ(HashLookup(view->breakpointMarks, "12345", &value), 1);
  EXPECT_EQ(value, 6);
  EXPECT_EQ(SourceViewSetLineMark(nullptr, 1, 10, kMarkBreakpoint), 0);
}

// 600 tokens that change colour every time: the first 127 runs are the
// tokens, the 128th is the rest of the line as other text.
TEST(ViewRuns, LineWithMoreColourChangesThanRunsStillPaintsAllItsText) {
  std::string line;
  for (int i = 0; i < 150; i++) line += "if 1;";
  ViewHolder view;
  view.Append({line});
  PaintRuns runs = RunsOf(view.get(), 0);
  ASSERT_EQ(runs.size(), static_cast<size_t>(kSourceMaxRuns));
  EXPECT_EQ(runs[0], (PaintRun{"if", 4}));
  EXPECT_EQ(runs[1], (PaintRun{" ", 7}));
  EXPECT_EQ(runs[2], (PaintRun{"1", 9}));
  EXPECT_EQ(runs[126], (PaintRun{"1", 9}));
  EXPECT_EQ(runs[127].element, kColorOther);
  std::string painted;
  for (const PaintRun& run : runs) painted += run.text;
  EXPECT_EQ(painted, line);
}

TEST(ViewLife, EveryViewGivesBackItsPool) {
  int freeSlots = MemPoolFreeSlots();
  for (int i = 0; i < 60; i++) {
    ViewHolder view;
    ASSERT_NE(view.get(), nullptr);
    EXPECT_EQ(view->maxLines, kSourceMaxLines);
    EXPECT_EQ(view->parent, ViewHolder::kParent);
    EXPECT_EQ(view->styleFlags, kSourceViewReadOnly);
    view.Append({"a", "/* b"});
    EXPECT_EQ(MemPoolFreeSlots(), freeSlots - 1);  // the view's one pool holds its tables too
  }
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);
  SourceViewFree(nullptr);
}

}  // namespace

TEST(ViewColors, SlotsOutsideTheElementsAreRefused) {
  SourceView* view = SourceViewNew(nullptr, 401, nullptr, kSourceViewReadOnly);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(SourceViewSetColors(view, 13, 0x11, 0x22), 1);
  EXPECT_EQ(view->foreground[13], 0x11u);
  EXPECT_EQ(view->background[13], 0x22u);
  EXPECT_EQ(SourceViewSetColors(view, 14, 0x33, 0x44), 0);
  EXPECT_EQ(SourceViewSetColors(view, -1, 0x33, 0x44), 0);
  EXPECT_EQ(SourceViewSetColors(nullptr, 1, 0, 0), 0);
  SourceViewFree(view);
}
