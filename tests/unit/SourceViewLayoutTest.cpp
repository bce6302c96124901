// The source view's window arithmetic: which lines a paint draws, how far
// each scroll request moves, which line a click hits, and the page keys'
// walk with the cursor they drag along.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sourceview/SourceViewLayout.h"
#include "support/SourceTextTesting.h"

namespace {

// A view of `lines` lines, 13-pixel lines, 8-pixel spaces, 30 lines and 400
// pixels in view, unless a case changes them.
class Layout : public ::testing::Test {
 protected:
  ViewHolder holder;
  SourceView* view = holder.get();

  void Fill(int lines) {
    std::vector<std::string> texts;
    for (int i = 0; i < lines; i++) texts.push_back("line " + std::to_string(i));
    holder.Append(texts);
    view->lineHeight = 13;
    view->charWidth = 8;
    view->descent = 2;
    view->visibleLines = 30;
    view->clientWidth = 400;
    view->hRange = 1004 * 8 / 3;
  }
  // One page key as the window carries it out: the page, then the move that
  // brings the cursor back when it is out of view. The first lines after
  // each move.
  std::vector<int> Page(bool down, int32_t firstCharWidth = 8) {
    std::vector<int> moves;
    SourcePageMove move = SourceViewPageMove(view, down);
    view->firstVisibleLine = move.firstLine;
    view->hScroll = move.hScroll;
    moves.push_back(move.firstLine);
    if (SourceViewCursorHidden(view, firstCharWidth)) {
      move = SourceViewCursorMove(view, down, firstCharWidth);
      view->firstVisibleLine = move.firstLine;
      view->hScroll = move.hScroll;
      moves.push_back(move.firstLine);
    }
    return moves;
  }
};

TEST_F(Layout, APaintDrawsTheLinesItsRowsTouchAndNoneBeyondTheFile) {
  Fill(100);
  view->firstVisibleLine = 5;
  SourceLineRange range = SourceViewPaintRange(view, 0, 390);
  EXPECT_EQ(range.first, 5);
  EXPECT_EQ(range.last, 36);  // 390 / 13 + 1 below the first
  range = SourceViewPaintRange(view, 26, 39);
  EXPECT_EQ(range.first, 7);
  EXPECT_EQ(range.last, 9);
  view->firstVisibleLine = 90;
  EXPECT_EQ(SourceViewPaintRange(view, 0, 390).last, 99);

  // After a mark change only lines in view are drawn.
  range = SourceViewVisibleRange(view, 0, 200);
  EXPECT_EQ(range.first, 90);
  EXPECT_EQ(range.last, 99);
  view->firstVisibleLine = 10;
  range = SourceViewVisibleRange(view, 0, 200);
  EXPECT_EQ(range.last, 41);  // visibleLines + 1 below the first
  range = SourceViewVisibleRange(view, 5, 5);
  EXPECT_LT(range.last, range.first);
  range = SourceViewVisibleRange(view, 41, 41);
  EXPECT_EQ(range.first, 41);
  EXPECT_EQ(range.last, 41);

  EXPECT_EQ(SourceViewLineTop(view, 12), 2 * 13 - view->descent) << "the descent raises the text";
  view->lineHeight = 0;  // a font that measured nothing
  EXPECT_EQ(SourceViewPaintRange(view, 3, 4).first, 13);
}

TEST_F(Layout, VerticalRequestsStayInsideTheFile) {
  Fill(10);  // shorter than the window
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollLineDown, 0), 0);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollPageDown, 0), 0);
  EXPECT_EQ(SourceViewScrollMax(view), 0);

  holder.Append(std::vector<std::string>(90, "x"));  // 100 lines
  EXPECT_EQ(SourceViewScrollMax(view), 70);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollLineDown, 0), 1);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollLineUp, 0), 0);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollPageDown, 0), 30);
  view->firstVisibleLine = 60;
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollPageDown, 0), 70);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollPageUp, 0), 30);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollThumbPosition, 42), 42);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollThumbPosition, 60), 60);
  EXPECT_EQ(SourceViewVerticalTarget(view, kScrollThumbPosition, 500), 70);
  EXPECT_EQ(SourceViewVerticalTarget(view, 5, 42), -1);  // thumb tracking is not followed
  EXPECT_EQ(SourceViewVerticalTarget(view, 8, 0), -1);
}

TEST_F(Layout, HorizontalStepsAreEightAndSixteenSpaceWidths) {
  Fill(3);
  view->charWidth = 7;
  view->hRange = 1004 * 7 / 3;
  EXPECT_EQ(view->hRange, 2342);
  EXPECT_EQ(SourceViewHorizontalTarget(view, kScrollLineDown, 0), 56);
  EXPECT_EQ(SourceViewHorizontalTarget(view, kScrollPageDown, 0), 112);
  EXPECT_EQ(SourceViewHorizontalTarget(view, kScrollLineUp, 0), 0);
  view->hScroll = 2300;
  EXPECT_EQ(SourceViewHorizontalTarget(view, kScrollPageDown, 0), 2342);
  EXPECT_EQ(SourceViewHorizontalTarget(view, kScrollPageUp, 0), 2300 - 112);
  view->hScroll = 0;
  EXPECT_EQ(SourceViewHorizontalTarget(view, kScrollThumbPosition, 100), 98) << "whole space widths";
  EXPECT_EQ(SourceViewHorizontalTarget(view, kScrollThumbPosition, 6), 0);
  EXPECT_EQ(SourceViewHorizontalTarget(view, 5, 100), -1);
}

TEST_F(Layout, AClickHitsItsLineOrTheLastOne) {
  Fill(50);
  view->firstVisibleLine = 20;
  EXPECT_EQ(SourceViewHitLine(view, 0), 20);
  EXPECT_EQ(SourceViewHitLine(view, 12), 20);
  EXPECT_EQ(SourceViewHitLine(view, 13), 21);
  EXPECT_EQ(SourceViewHitLine(view, 0x10000 + 27), 22) << "the row is a 16-bit value";
  EXPECT_EQ(SourceViewHitLine(view, 390), 49) << "below the last line";
  ViewHolder empty;
  empty->lineHeight = 13;
  EXPECT_EQ(SourceViewHitLine(empty.get(), 100), 0);
}

TEST_F(Layout, ScrollToGoesToTheLineOrClampsOnRequest) {
  Fill(100);
  EXPECT_EQ(SourceViewScrollTarget(view, 99, 0), 99);
  EXPECT_EQ(SourceViewScrollTarget(view, 100, 0), -1);
  EXPECT_EQ(SourceViewScrollTarget(view, -1, 0), -1);
  EXPECT_EQ(SourceViewScrollTarget(view, -1, 1), 0);
  EXPECT_EQ(SourceViewScrollTarget(view, 100, 1), 70);
  ViewHolder shortView;
  shortView.Append({"a", "b"});
  shortView->visibleLines = 30;
  EXPECT_EQ(SourceViewScrollTarget(shortView.get(), 5, 1), 0);
}

// 100 lines, 30 in view: from the page at 60 Page Down shows 90..99 and the
// empty rest; the next scrolls to 99 and back to the cursor at 90.
TEST_F(Layout, PageDownWalksToTheEndAndBackToTheCursor) {
  Fill(100);
  view->firstVisibleLine = 60;
  view->cursorLine = 60;
  EXPECT_EQ(Page(true), std::vector<int>{90});
  EXPECT_EQ(view->cursorLine, 90);
  EXPECT_EQ(Page(true), (std::vector<int>{99, 90})) << "the cursor cannot go 30 lines further";
  EXPECT_EQ(view->cursorLine, 90);
  EXPECT_EQ(Page(false), std::vector<int>{60});
  EXPECT_EQ(view->cursorLine, 60);

  // The last page with the cursor on its first line: to the end and back.
  view->firstVisibleLine = 70;
  view->cursorLine = 70;
  EXPECT_EQ(Page(true), (std::vector<int>{99, 70}));
}

TEST_F(Layout, TheScrollBarLeavesTheCursorBehind) {
  Fill(100);
  view->firstVisibleLine = 50;  // moved by the bar; the cursor stayed on line 0
  EXPECT_EQ(Page(true), (std::vector<int>{80, 30}));
  EXPECT_EQ(view->cursorLine, 30);
  EXPECT_EQ(Page(false), std::vector<int>{0});
  EXPECT_EQ(view->cursorLine, 0);

  // A cursor below the view ends on the last visible line.
  view->firstVisibleLine = 0;
  view->cursorLine = 35;
  EXPECT_TRUE(SourceViewCursorHidden(view, 8));
  EXPECT_EQ(SourceViewCursorMove(view, false, 8).firstLine, 6);
  view->cursorLine = 31;
  EXPECT_EQ(SourceViewCursorMove(view, true, 8).firstLine, 2);
}

TEST_F(Layout, ACursorHiddenSidewaysComesBackEightSpacesAtLeast) {
  Fill(100);
  view->cursorLine = 29;  // on the last visible line
  EXPECT_FALSE(SourceViewCursorHidden(view, 8));
  EXPECT_TRUE(SourceViewCursorHidden(view, 401)) << "a first character wider than the view";
  view->hScroll = 16;
  ASSERT_TRUE(SourceViewCursorHidden(view, 8));
  SourcePageMove down = SourceViewCursorMove(view, true, 8);
  EXPECT_EQ(down.firstLine, 1) << "Page Down takes the last visible line one up";
  EXPECT_EQ(down.hScroll, 0);
  EXPECT_EQ(SourceViewCursorMove(view, false, 8).firstLine, 0) << "Page Up leaves it";
  view->cursorLine = 10;  // the upper half: no vertical move
  EXPECT_EQ(SourceViewCursorMove(view, true, 8).firstLine, 0);

  view->hScroll = 400;  // far right: back by (x - 7) / 8 spaces
  EXPECT_EQ(SourceViewCursorMove(view, true, 8).hScroll, 400 - 8 * 49);
  view->hScroll = 4;  // the first character half out: 8 spaces
  EXPECT_EQ(SourceViewCursorMove(view, true, 8).hScroll, 0);

  view->hScroll = 0;
  EXPECT_EQ(SourceViewCursorMove(view, true, 1000).hScroll, 8 * 76) << "1 + 600 / 8 spaces to the right";
  EXPECT_EQ(SourceViewCursorMove(view, true, 410).hScroll, 8 * 8) << "at least 8";
}

}  // namespace
