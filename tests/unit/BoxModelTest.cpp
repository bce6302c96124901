// The box control's line model, driven without a window: what it keeps and
// what it asks its window to do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "support/BoxRecording.h"
#include "memory/List.h"
#include "memory/MemPoolDebug.h"
#include "platform/PlatformTesting.h"
#include "ui/BoxModel.h"

namespace {

using Texts = std::vector<std::string>;

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; i++) texts.push_back("line " + std::to_string(i));
  return texts;
}

struct Notifications {
  std::vector<int32_t> selected;
  std::vector<int32_t> scrolled;
  std::vector<int32_t> deleteAsked;
  int32_t deleteAnswer = 1;
};
Notifications* gNotifications = nullptr;

void ListenTo(BoxRecord* box, Notifications* notifications) {
  gNotifications = notifications;
  BoxSetCallback(box, kBoxCallbackSelect, reinterpret_cast<BoxCallback>(+[](BoxRecord*, int32_t index, BoxLine*) {
                   gNotifications->selected.push_back(index);
                   return int32_t{0};
                 }));
  BoxSetCallback(box, kBoxCallbackScroll, reinterpret_cast<BoxCallback>(+[](BoxRecord*, int32_t top) {
                   gNotifications->scrolled.push_back(top);
                   return int32_t{0};
                 }));
  BoxSetCallback(box, kBoxCallbackDelete, reinterpret_cast<BoxCallback>(+[](BoxRecord*, int32_t index, BoxLine*) {
                   gNotifications->deleteAsked.push_back(index);
                   return gNotifications->deleteAnswer;
                 }));
}

// ---------------------------------------------------------------------------

TEST(BoxSorted, FillSortsIgnoringCaseAndKeepsEqualTextsInOrder) {
  TestBox t(BOX_SORTED);
  EXPECT_EQ(t.Fill({"b", "A", "a"}), 1);
  EXPECT_EQ(t.Texts(), (Texts{"A", "a", "b"}));
  EXPECT_EQ(t.Fill({"b", "a", "A"}), 1);
  EXPECT_EQ(t.Texts(), (Texts{"a", "A", "b"}));  // not byte order: equal texts keep their order
  EXPECT_EQ(t.Fill({"delta", "Charlie", "alpha", "Bravo"}), 1);
  EXPECT_EQ(t.Texts(), (Texts{"alpha", "Bravo", "Charlie", "delta"}));
  // Colour indices travel with their texts: "alpha" was item 2.
  EXPECT_EQ(BoxLineAt(t.box, 0)->colorIndex, 2);
}

TEST(BoxSorted, AddedLineGoesAfterItsEqualsAndTheSelectionStaysOnItsLine) {
  TestBox t(BOX_SORTED);
  t.Fill({"b", "A", "a"});
  ASSERT_EQ(BoxAddLine(t.box, 0, "B"), 1);
  EXPECT_EQ(t.Texts(), (Texts{"A", "a", "b", "B"}));
  BoxSelectIndex(t.box, 2);  // "b"
  ASSERT_EQ(BoxAddLine(t.box, 1, "a"), 1);
  EXPECT_EQ(t.Texts(), (Texts{"A", "a", "a", "b", "B"}));
  EXPECT_EQ(BoxLineAt(t.box, 2)->colorIndex, 1);
  EXPECT_EQ(t.Text(t.box->selected), "b");
}

TEST(BoxSorted, UnsortedBoxAppends) {
  TestBox t(0);
  t.Fill({"b", "A"});
  BoxAddLine(t.box, 0, "a");
  EXPECT_EQ(t.Texts(), (Texts{"b", "A", "a"}));
}

// ---------------------------------------------------------------------------

TEST(BoxLimit, FillBeyondTenThousandKeepsTenThousandAndWarnsOnFirstAndFortyFirstOverflow) {
  PlatformEchoMessages(false);
  PlatformClearShownMessages();
  TestBox t(0);
  List* tooMany = BoxLineList(Numbered(kBoxMaxLines + 1));
  std::vector<size_t> shownAfter;
  for (int fill = 1; fill <= 41; fill++) {
    ASSERT_EQ(BoxSetLines(t.box, tooMany), 0) << "fill " << fill;
    shownAfter.push_back(PlatformShownMessages().size());
    if (fill == 20) {
      EXPECT_EQ(t.Fill({"x"}), 1);  // a fill that fits does not count
    }
  }
  ListDestroy(tooMany);
  EXPECT_EQ(t.box->lineCount, kBoxMaxLines);
  EXPECT_EQ(t.Text(kBoxMaxLines - 1), "line 9999");
  EXPECT_EQ(shownAfter[0], 1u);
  EXPECT_EQ(shownAfter[39], 1u);  // fills 2 to 40 are silent
  EXPECT_EQ(shownAfter[40], 2u);  // the 41st warns again
  ASSERT_FALSE(PlatformShownMessages().empty());
  EXPECT_EQ(PlatformShownMessages()[0].text, "Exceeded allowed line limit per box");
  EXPECT_EQ(PlatformShownMessages()[0].caption, "Warning");

  // Adding to a full box warns every time and keeps what is there.
  PlatformClearShownMessages();
  EXPECT_EQ(BoxAddLine(t.box, 0, "one more"), 0);
  EXPECT_EQ(BoxAddLine(t.box, 0, "one more"), 0);
  EXPECT_EQ(PlatformShownMessages().size(), 2u);
  EXPECT_EQ(t.box->lineCount, kBoxMaxLines);
  EXPECT_EQ(t.Text(kBoxMaxLines - 1), "line 9999");
}

TEST(BoxFill, ResetsSelectionAndViewAndRejectsWhatIsNotALineList) {
  TestBox t(0);
  t.Fill(Numbered(20));
  BoxSetTopLine(t.box, 10);
  BoxSelectIndex(t.box, 12);
  BoxSelectIndex(t.box, 13);
  t.recording.Clear();
  EXPECT_EQ(t.Fill({"only"}), 1);
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_EQ(t.box->selected, -1);
  EXPECT_EQ(t.box->previousSelected, -1);
  EXPECT_EQ(t.recording.erasingInvalidations, 1);

  EXPECT_EQ(t.Fill({}), 1);
  EXPECT_EQ(t.box->lineCount, 0);
  EXPECT_EQ(t.recording.verticalMaximum, 0);
  EXPECT_EQ(t.recording.verticalPosition, 0);

  t.Fill({"kept"});
  List* strings = ListCreate(kListStrings);
  ListAdd(strings, "not a line");
  EXPECT_EQ(BoxSetLines(t.box, strings), 0);
  EXPECT_EQ(BoxSetLines(t.box, nullptr), 0);
  EXPECT_EQ(t.Texts(), (Texts{"kept"}));
  ListDestroy(strings);
}

TEST(BoxFill, OverLongTextsAreCut) {
  TestBox t(0);
  const std::string exact(255, 'e'), over(300, 'o');
  BoxAddLine(t.box, 0, exact.c_str());
  BoxAddLine(t.box, 0, over.c_str());
  EXPECT_EQ(t.Text(0), exact);
  EXPECT_EQ(t.Text(1), std::string(254, 'o'));
  BoxReplaceLine(t.box, 0, 3, over.c_str());
  EXPECT_EQ(t.Text(0), std::string(255, 'o'));
  EXPECT_EQ(BoxLineAt(t.box, 0)->colorIndex, 3);
}

// ---------------------------------------------------------------------------

TEST(BoxDelete, SelectedLineInMidViewPassesTheSelectionToTheLineBelow) {
  TestBox t(0);
  t.Fill(Numbered(10));
  BoxSelectIndex(t.box, 2);
  ASSERT_EQ(BoxDeleteLine(t.box, 2), 1);
  EXPECT_EQ(t.box->lineCount, 9);
  EXPECT_EQ(t.box->selected, 2);
  EXPECT_EQ(t.Text(2), "line 3");
  EXPECT_EQ(t.box->topLine, 0);
}

TEST(BoxDelete, SelectedLastLineWithTheViewAtTheEndMovesSelectionAndViewUp) {
  TestBox t(0);  // 4 lines a page
  t.Fill(Numbered(10));
  ASSERT_EQ(BoxSetTopLine(t.box, 6), 1);
  BoxSelectIndex(t.box, 9);
  ASSERT_EQ(BoxDeleteLine(t.box, 9), 1);
  EXPECT_EQ(t.box->selected, 8);
  EXPECT_EQ(t.box->previousSelected, -1);
  EXPECT_EQ(t.box->topLine, 5);
  EXPECT_EQ(t.recording.verticalMaximum, 5);
  EXPECT_EQ(t.recording.verticalPosition, 5);
}

TEST(BoxDelete, LineBeforeTheSelectionKeepsTheSelectedLineSelected) {
  TestBox t(0);
  t.Fill(Numbered(10));
  BoxSelectIndex(t.box, 5);
  ASSERT_EQ(BoxDeleteLine(t.box, 1), 1);
  EXPECT_EQ(t.box->selected, 4);
  EXPECT_EQ(t.Text(4), "line 5");
  EXPECT_EQ(t.box->topLine, 0);  // the view did not stand at the end

  BoxSetTopLine(t.box, 5);  // 9 lines, page 4: the end
  ASSERT_EQ(BoxDeleteLine(t.box, 6), 1);
  EXPECT_EQ(t.box->topLine, 4);
  EXPECT_EQ(t.Text(t.box->selected), "line 5");
}

TEST(BoxDelete, ClearingOutOfRangeAndTheLastLine) {
  TestBox t(0);
  t.Fill(Numbered(3));
  EXPECT_EQ(BoxDeleteLine(t.box, 3), 0);
  EXPECT_EQ(BoxDeleteLine(t.box, -2), 0);
  BoxSelectIndex(t.box, 1);
  EXPECT_EQ(BoxDeleteLine(t.box, -1), 1);
  EXPECT_EQ(t.box->lineCount, 0);
  EXPECT_EQ(t.box->selected, -1);
  t.Fill({"solo"});
  BoxSelectIndex(t.box, 0);
  EXPECT_EQ(BoxDeleteLine(t.box, 0), 1);
  EXPECT_EQ(t.box->selected, -1);
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_EQ(BoxDeleteText(t.box, "solo"), 0);
}

TEST(BoxDelete, ByTextIgnoresCaseAndTakesTheFirst) {
  TestBox t(0);
  t.Fill({"one", "Two", "two"});
  EXPECT_EQ(BoxDeleteText(t.box, "TWO"), 1);
  EXPECT_EQ(t.Texts(), (Texts{"one", "two"}));
}

// ---------------------------------------------------------------------------

TEST(BoxTopLine, SetTopLineRefusesAViewPastTheEnd) {
  TestBox t(0);  // page 4
  t.Fill(Numbered(10));
  EXPECT_EQ(BoxSetTopLine(t.box, 7), 0);   // 7 + 4 > 10
  EXPECT_EQ(BoxSetTopLine(t.box, 10), 0);  // not a line
  EXPECT_EQ(BoxSetTopLine(t.box, -1), 0);
  EXPECT_EQ(t.box->topLine, 0);
  t.recording.Clear();
  EXPECT_EQ(BoxSetTopLine(t.box, 6), 1);
  EXPECT_EQ(t.box->topLine, 6);
  EXPECT_EQ(t.recording.verticalPosition, 6);
  EXPECT_EQ(t.recording.invalidations, 0);  // the caller repaints
  // The same top line is taken at once, whatever the page.
  t.box->pageLines = 20;
  EXPECT_EQ(BoxSetTopLine(t.box, 6), 1);
  EXPECT_EQ(BoxSetTopLine(t.box, 5), 0);
}

TEST(BoxTopLine, GetTopLineCopiesItsText) {
  TestBox t(0);
  t.Fill(Numbered(10));
  BoxSetTopLine(t.box, 3);
  char text[kBoxTextSize] = "junk";
  EXPECT_EQ(BoxGetTopLine(t.box, text), 3);
  EXPECT_STREQ(text, "line 3");
  t.Fill({});
  EXPECT_EQ(BoxGetTopLine(t.box, text), 0);
  EXPECT_STREQ(text, "");
}

// ---------------------------------------------------------------------------

TEST(BoxFitting, HeightIsRoundedToTheNearestWholeLine) {
  EXPECT_EQ(BoxFitLines(26, 10), 3);
  EXPECT_EQ(BoxFitLines(24, 10), 2);
  EXPECT_EQ(BoxFitLines(25, 10), 2);
  EXPECT_EQ(BoxFitLines(30, 10), 3);
  EXPECT_EQ(BoxFitLines(0, 10), 0);
  EXPECT_EQ(BoxFitLines(30, 0), 0);

  TestBox t(0);
  t.Fill(Numbered(10));
  t.recording.Clear();
  BoxFitHeight(t.box, 100, 26, 17, 16);
  ASSERT_EQ(t.recording.resizes.size(), 1u);
  EXPECT_EQ(t.recording.resizes[0], std::make_pair(100, 30));
  EXPECT_EQ(t.box->pageLines, 3);
  EXPECT_EQ(t.recording.verticalMaximum, 7);
  BoxFitHeight(t.box, 100, 24, 17, 16);
  EXPECT_EQ(t.recording.resizes.back(), std::make_pair(100, 20));
  EXPECT_EQ(t.box->pageLines, 2);
  t.recording.Clear();
  BoxFitHeight(t.box, 120, 40, 17, 16);
  EXPECT_TRUE(t.recording.resizes.empty());
  EXPECT_EQ(t.box->hScrollLimit, 120);
}

TEST(BoxFitting, HorizontalBarIsLeftOutAndAShortListWidensTheBox) {
  TestBox t(BOX_HSCROLL, 6);
  t.Fill(Numbered(2));  // fewer lines than the page of 6
  t.recording.Clear();
  BoxFitHeight(t.box, 100, 17 + 26, 17, 16);
  ASSERT_EQ(t.recording.resizes.size(), 1u);
  EXPECT_EQ(t.recording.resizes[0], std::make_pair(116, 17 + 30));
  EXPECT_EQ(t.box->pageLines, 3);
  EXPECT_EQ(t.recording.horizontalMaximum, 100);
}

TEST(BoxFitting, TheNestedSizeMessageOfItsOwnResizeIsIgnored) {
  TestBox t(0);
  t.Fill(Numbered(10));
  int depth = 0;
  t.recording.duringResize = [&] {
    EXPECT_EQ(t.box->resizing, 1);
    if (depth++ == 0) BoxFitHeight(t.box, 100, 58, 0, 0);  // a size message arriving meanwhile
  };
  BoxFitHeight(t.box, 100, 26, 0, 0);
  EXPECT_EQ(t.recording.resizes.size(), 1u);
  EXPECT_EQ(t.box->resizing, 0);
  EXPECT_EQ(t.box->pageLines, 3);
}

// ---------------------------------------------------------------------------

TEST(BoxKeys, UpWithNoSelectionSelectsTheFirstLine) {
  TestBox t(0);
  Notifications n;
  ListenTo(t.box, &n);
  t.Fill(Numbered(10));
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyUp), 1);
  EXPECT_EQ(t.box->selected, 0);
  EXPECT_EQ(n.selected, (std::vector<int32_t>{0}));
}

TEST(BoxKeys, DownOnTheLastLineKeepsItAndStillNotifies) {
  TestBox t(0);
  Notifications n;
  ListenTo(t.box, &n);
  t.Fill(Numbered(10));
  BoxSetTopLine(t.box, 6);
  BoxSelectIndex(t.box, 9);
  t.recording.Clear();
  BoxKeyDown(t.box, kBoxKeyDown);
  EXPECT_EQ(t.box->selected, 9);
  EXPECT_EQ(n.selected, (std::vector<int32_t>{9}));
  EXPECT_TRUE(t.recording.redrawn.empty());  // nothing changed on screen
}

TEST(BoxKeys, ArrowOutOfTheViewScrollsOneLineAtATime) {
  TestBox t(0);  // page 4
  Notifications n;
  ListenTo(t.box, &n);
  t.Fill(Numbered(10));
  BoxSelectIndex(t.box, 3);
  t.recording.Clear();
  BoxKeyDown(t.box, kBoxKeyDown);
  EXPECT_EQ(t.box->selected, 4);
  EXPECT_EQ(t.box->topLine, 1);
  ASSERT_EQ(t.recording.contentMoves.size(), 1u);
  EXPECT_EQ(t.recording.contentMoves[0], std::make_pair(0, -10));
  EXPECT_EQ(n.scrolled, (std::vector<int32_t>{1}));
  // A selection far below the view is reached line by line.
  BoxSelectIndex(t.box, 8);
  BoxSetTopLine(t.box, 0);
  t.recording.Clear();
  n.scrolled.clear();
  BoxKeyDown(t.box, kBoxKeyDown);
  EXPECT_EQ(t.box->topLine, 6);
  EXPECT_EQ(n.scrolled, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(t.recording.contentMoves.size(), 6u);
  BoxKeyDown(t.box, kBoxKeyPageUp);
  EXPECT_EQ(t.box->topLine, 2);
  EXPECT_EQ(t.recording.contentMoves.size(), 6u);  // a page is repainted, not moved
}

TEST(BoxKeys, DeleteAsksTheOwnerAndHonoursItsVeto) {
  TestBox t(0);
  Notifications n;
  ListenTo(t.box, &n);
  t.Fill(Numbered(5));
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 0);  // nothing selected: nothing asked
  EXPECT_TRUE(n.deleteAsked.empty());
  BoxSelectIndex(t.box, 2);
  n.deleteAnswer = 0;
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 0);
  EXPECT_EQ(t.box->lineCount, 5);
  n.deleteAnswer = 1;
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 1);
  EXPECT_EQ(n.deleteAsked, (std::vector<int32_t>{2, 2}));
  EXPECT_EQ(t.Text(2), "line 3");
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyDelete), 0);  // only on the key's release
  EXPECT_EQ(t.box->lineCount, 4);
  BoxSetCallback(t.box, kBoxCallbackDelete, nullptr);
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 1);  // without a callback the line goes
  EXPECT_EQ(t.box->lineCount, 3);
}

TEST(BoxKeys, ReadOnlyBoxIgnoresKeysAndClicks) {
  TestBox t(BOX_READONLY);
  Notifications n;
  ListenTo(t.box, &n);
  t.Fill(Numbered(10));
  BoxSelectIndex(t.box, 1);
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyDown), 0);
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyPageDown), 0);
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 0);
  EXPECT_EQ(BoxClick(t.box, 25), 0);
  EXPECT_EQ(t.box->selected, 1);
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_EQ(t.box->lineCount, 10);
  EXPECT_TRUE(n.selected.empty() && n.scrolled.empty() && n.deleteAsked.empty());
}

// ---------------------------------------------------------------------------

TEST(BoxScroll, OnlyAThumbReleaseMovesTheView) {
  TestBox t(0);
  Notifications n;
  ListenTo(t.box, &n);
  t.Fill(Numbered(10));
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollThumbTrack, 5), 0);
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_EQ(BoxScrollVertical(t.box, 6 /* top */, 0), 0);
  EXPECT_EQ(BoxScrollVertical(t.box, 7 /* bottom */, 0), 0);
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollThumbPosition, 5), 1);
  EXPECT_EQ(t.box->topLine, 5);
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollThumbPosition, 50), 1);
  EXPECT_EQ(t.box->topLine, 6);  // clamped to the last page
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollPageDown, 0), 0);
  EXPECT_EQ(n.scrolled, (std::vector<int32_t>{5, 6}));
}

TEST(BoxScroll, OneLineMovesTheContentsAndRedrawsTheSelectedLine) {
  TestBox t(0);
  t.Fill(Numbered(10));
  BoxSelectIndex(t.box, 2);
  t.recording.Clear();
  BoxScrollVertical(t.box, kBoxScrollLineDown, 0);
  EXPECT_EQ(t.recording.contentMoves, (std::vector<std::pair<int32_t, int32_t>>{{0, -10}}));
  EXPECT_EQ(t.recording.redrawn, (std::vector<int32_t>{2}));
  EXPECT_EQ(t.recording.invalidations, 0);
  EXPECT_EQ(t.recording.verticalPosition, 1);
}

TEST(BoxScroll, NothingWhenAllLinesFitAndNoBarWithoutVerticalScroll) {
  TestBox t(BOX_NOVSCROLL);
  t.Fill(Numbered(3));
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollLineDown, 0), 0);
  t.Fill(Numbered(10));
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollLineDown, 0), 1);
  EXPECT_EQ(t.recording.verticalSets, 0);
}

TEST(BoxScroll, AViewLeftBelowLineZeroByDeletionsCanComeBack) {
  TestBox t(0);  // page 4
  t.Fill(Numbered(10));
  BoxSetTopLine(t.box, 2);
  for (int i = 0; i < 7; i++) BoxDeleteLine(t.box, 0);  // the view never stood at the end
  ASSERT_EQ(t.box->lineCount, 3);
  ASSERT_EQ(t.box->topLine, 2);
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyUp), 1);
  EXPECT_EQ(t.box->selected, 0);
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollLineUp, 0), 0);
}

TEST(BoxScroll, HorizontalStepsAreClampedToTheLimit) {
  TestBox t(BOX_HSCROLL);
  t.Fill(Numbered(3));
  BoxSelectIndex(t.box, 1);
  t.recording.Clear();
  EXPECT_EQ(BoxScrollHorizontal(t.box, kBoxScrollLineUp, 0, 80), 0);
  EXPECT_EQ(BoxScrollHorizontal(t.box, kBoxScrollLineDown, 0, 80), 1);
  EXPECT_EQ(t.box->hScrollPos, 4);
  EXPECT_EQ(t.recording.contentMoves.back(), std::make_pair(-4, 0));
  EXPECT_EQ(t.recording.redrawn, (std::vector<int32_t>{1}));
  EXPECT_EQ(BoxScrollHorizontal(t.box, kBoxScrollPageDown, 0, 80), 1);
  EXPECT_EQ(t.box->hScrollPos, 14);
  EXPECT_EQ(BoxScrollHorizontal(t.box, kBoxScrollThumbPosition, 500, 80), 1);
  EXPECT_EQ(t.box->hScrollPos, 100);  // the outer width
  EXPECT_EQ(t.recording.invalidations, 1);
  EXPECT_EQ(t.recording.horizontalPosition, 100);
  EXPECT_EQ(BoxScrollHorizontal(t.box, kBoxScrollThumbTrack, 10, 80), 0);
}

// ---------------------------------------------------------------------------

TEST(BoxMouse, ClickSelectsTheLineUnderItAndNotABlankBelowTheLast) {
  TestBox t(0);
  Notifications n;
  ListenTo(t.box, &n);
  t.Fill(Numbered(6));
  BoxSetTopLine(t.box, 2);
  EXPECT_EQ(BoxClick(t.box, 25), 1);
  EXPECT_EQ(t.box->selected, 4);
  EXPECT_EQ(BoxClick(t.box, 25), 1);  // the same line again still notifies
  EXPECT_EQ(n.selected, (std::vector<int32_t>{4, 4}));
  t.Fill(Numbered(2));
  BoxSelectIndex(t.box, 1);
  EXPECT_EQ(BoxClick(t.box, 35), 0);
  EXPECT_EQ(t.box->selected, 1);
}

TEST(BoxSelection, SelectRedrawsTheOldAndTheNewLine) {
  TestBox t(0);
  t.Fill(Numbered(6));
  BoxSelectIndex(t.box, 1);
  t.recording.Clear();
  BoxSelectIndex(t.box, 3);
  EXPECT_EQ(t.recording.redrawn, (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(t.box->previousSelected, 1);
  t.recording.Clear();
  BoxSelectIndex(t.box, 3);
  EXPECT_TRUE(t.recording.redrawn.empty());
  EXPECT_EQ(t.box->previousSelected, 1);
  BoxSelectIndex(t.box, -1);
  EXPECT_EQ(t.recording.redrawn, (std::vector<int32_t>{3}));
  EXPECT_EQ(t.box->selected, -1);
  EXPECT_EQ(t.box->previousSelected, -1);
  EXPECT_EQ(BoxSelectText(t.box, "LINE 4"), 1);
  EXPECT_EQ(t.box->selected, 4);
  EXPECT_EQ(BoxSelectText(t.box, "line 9"), 0);
  EXPECT_EQ(BoxSelectText(t.box, nullptr), 1);
  EXPECT_EQ(t.box->selected, -1);
}

TEST(BoxSelection, ColourByTextRedrawsOnlyOnAChange) {
  TestBox t(0);
  t.Fill({"a", "b"});  // colours 0 and 1
  t.recording.Clear();
  EXPECT_EQ(BoxSetLineColorByText(t.box, "B", 1), 1);
  EXPECT_TRUE(t.recording.redrawn.empty());
  EXPECT_EQ(BoxSetLineColorByText(t.box, "B", 3), 1);
  EXPECT_EQ(t.recording.redrawn, (std::vector<int32_t>{1}));
  EXPECT_EQ(BoxLineColor(t.box, BoxLineAt(t.box, 1)), 0x0000FFu);  // red
  EXPECT_EQ(BoxSetLineColorByText(t.box, "c", 3), 0);
}

TEST(BoxAdd, AddedLineIsBroughtIntoView) {
  TestBox t(0);  // page 4
  Notifications n;
  ListenTo(t.box, &n);
  for (const std::string& text : Numbered(4)) BoxAddLine(t.box, 0, text.c_str());
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_TRUE(n.scrolled.empty());
  BoxAddLine(t.box, 0, "line 4");  // just below the view: one line down
  EXPECT_EQ(t.box->topLine, 1);
  EXPECT_EQ(n.scrolled, (std::vector<int32_t>{1}));

  TestBox s(BOX_SORTED);
  ListenTo(s.box, &n);
  n.scrolled.clear();
  s.Fill(Numbered(20));  // line 0, line 1, line 10, ... in text order
  BoxSetTopLine(s.box, 16);
  BoxAddLine(s.box, 0, "a");  // far above the view: centred, but not before line 0
  EXPECT_EQ(s.box->topLine, 0);
  EXPECT_EQ(n.scrolled, (std::vector<int32_t>{0}));
  BoxAddLine(s.box, 0, "z");  // at the end
  EXPECT_GE(21, s.box->topLine);
  EXPECT_LT(21, s.box->topLine + s.box->pageLines);
}

// ---------------------------------------------------------------------------

TEST(BoxRecords, DestroyedBoxesAreReusedWithTheirLinesAndNeedNoNewPool) {
  BoxRecord* first = BoxRecordTake(0);
  ASSERT_NE(first, nullptr);
  BoxAddLine(first, 2, "kept slot");
  BoxLine* slot = BoxLineAt(first, 0);
  BoxSelectIndex(first, 0);
  BoxRecordRelease(first);
  const int freeSlots = MemPoolFreeSlots();
  const MemPoolHandle pool = BoxMemoryPool();
  BoxRecord* again = BoxRecordTake(BOX_SORTED);
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->lineCount, 0);
  EXPECT_EQ(again->selected, -1);
  EXPECT_EQ(again->flags, BOX_SORTED);
  EXPECT_EQ(again->textColors[3], 0x0000FFu);
  BoxAddLine(again, 0, "new text");
  EXPECT_EQ(BoxLineAt(again, 0), slot);  // the slot's record is reused
  BoxRecordRelease(again);
  auto makeTwoBoxesAndDestroyThem = [] {
    BoxRecord* a = BoxRecordTake(0);
    BoxRecord* b = BoxRecordTake(0);
    BoxAddLine(a, 0, "a");
    BoxAddLine(b, 0, "b");
    BoxRecordRelease(a);
    BoxRecordRelease(b);
  };
  makeTwoBoxesAndDestroyThem();
  const int segments = MemPoolSegmentCount(pool);
  for (int i = 0; i < 200; i++) makeTwoBoxesAndDestroyThem();
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);
  EXPECT_EQ(BoxMemoryPool(), pool);
  EXPECT_EQ(MemPoolSegmentCount(pool), segments);
  EXPECT_EQ(MemPoolCheck(pool), 1);
}

TEST(BoxRecords, NullRecordDoesNothing) {
  EXPECT_EQ(BoxSetLines(nullptr, nullptr), 0);
  EXPECT_EQ(BoxAddLine(nullptr, 0, "x"), 0);
  EXPECT_EQ(BoxSelectIndex(nullptr, 0), 0);
  EXPECT_EQ(BoxSelectText(nullptr, "x"), 0);
  EXPECT_EQ(BoxSetLineColorByText(nullptr, "x", 1), 0);
  EXPECT_EQ(BoxSetCallback(nullptr, kBoxCallbackSelect, nullptr), 0);
  EXPECT_EQ(BoxDeleteLine(nullptr, -1), 0);
  EXPECT_EQ(BoxDeleteText(nullptr, "x"), 0);
  EXPECT_EQ(BoxGetPageLines(nullptr), 0);
  EXPECT_EQ(BoxGetTopLine(nullptr, nullptr), 0);
  EXPECT_EQ(BoxSetTopLine(nullptr, 0), 0);
  EXPECT_EQ(BoxSetAttribute(nullptr, kBoxAttributeBackground, 0), 0);
  EXPECT_EQ(BoxSetTextColor(nullptr, 0, 0), 0);
  EXPECT_EQ(BoxSetOwner(nullptr, nullptr), 0);
  EXPECT_EQ(BoxGetOwner(nullptr), nullptr);
  EXPECT_EQ(BoxReplaceLine(nullptr, 0, 0, "x"), 0);
  EXPECT_EQ(BoxReplaceLine2(nullptr, 0, 0, "x", "y"), 0);
  EXPECT_EQ(BoxKeyDown(nullptr, kBoxKeyUp), 0);
  EXPECT_EQ(BoxClick(nullptr, 0), 0);
  EXPECT_EQ(BoxScrollVertical(nullptr, kBoxScrollLineDown, 0), 0);
  TestBox t(0);
  EXPECT_EQ(BoxSetCallback(t.box, 4, nullptr), 0);
  EXPECT_EQ(BoxSetAttribute(t.box, 3, 0), 0);
  EXPECT_EQ(BoxSetTextColor(t.box, 4, 0), 0);
}

// ---------------------------------------------------------------------------
// Random operations against a plain model: a vector of lines and a selection.

struct ReferenceBox {
  std::vector<std::pair<std::string, int32_t>> lines;  // text, colour index
  int32_t selected = -1;
  bool sorted = false;

  static int Compare(const std::string& a, const std::string& b) {
    for (size_t i = 0;; i++) {
      int ca = i < a.size() ? std::tolower(static_cast<unsigned char>(a[i])) : 0;
      int cb = i < b.size() ? std::tolower(static_cast<unsigned char>(b[i])) : 0;
      if (ca != cb || !ca) return ca - cb;
    }
  }
  void Add(const std::string& text, int32_t color) {
    size_t at = lines.size();
    if (sorted) {
      at = 0;
      while (at < lines.size() && Compare(lines[at].first, text) <= 0) at++;
    }
    lines.insert(lines.begin() + static_cast<long>(at), {text, color});
    if (selected >= static_cast<int32_t>(at) && at < lines.size() - 1) selected++;
  }
  void Fill(const std::vector<std::string>& texts) {
    lines.clear();
    for (size_t i = 0; i < texts.size(); i++) Add(texts[i], static_cast<int32_t>(i % 4));
    selected = -1;
  }
  // With the view at the end, a deleted selected line passes the selection to
  // the line above (which takes its place on screen); else to the line below.
  void Delete(int32_t index, bool viewAtEnd) {
    lines.erase(lines.begin() + index);
    if (index < selected || (index == selected && viewAtEnd)) selected--;
    if (selected >= static_cast<int32_t>(lines.size())) selected = static_cast<int32_t>(lines.size()) - 1;
  }
};

class BoxRandom : public ::testing::TestWithParam<uint32_t> {};

TEST_P(BoxRandom, AgreesWithAPlainModelAfterEveryOperation) {
  const uint32_t flags = GetParam();
  for (uint32_t seed = 1; seed <= 20; seed++) {
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto word = [&] {
      static const char* const kWords[] = {"a", "A", "b", "B", "ab", "Ab", "c", "watch", "Watch", "z"};
      return std::string(kWords[pick(0, 9)]);
    };
    TestBox t(flags, pick(1, 6));
    Notifications n;
    ListenTo(t.box, &n);
    ReferenceBox reference;
    reference.sorted = flags & BOX_SORTED;
    for (int step = 0; step < 400; step++) {
      const int32_t count = static_cast<int32_t>(reference.lines.size());
      const int op = pick(0, 9);
      std::string what;
      if (op == 0 || op == 1) {
        std::string text = word();
        int32_t color = pick(0, 3);
        what = "add " + text;
        ASSERT_EQ(BoxAddLine(t.box, color, text.c_str()), 1);
        reference.Add(text, color);
        if (!reference.sorted) {  // the appended line is in view
          ASSERT_GE(count, t.box->topLine) << what;
          ASSERT_LT(count, t.box->topLine + t.box->pageLines) << what;
        }
      } else if (op == 2) {
        int32_t index = pick(-1, count);
        what = "delete " + std::to_string(index);
        const bool atEnd = index >= t.box->topLine && t.box->topLine == count - t.box->pageLines &&
                           t.box->pageLines < count;
        int result = BoxDeleteLine(t.box, index);
        if (index == -1) reference.lines.clear(), reference.selected = -1;
        else if (index < count) reference.Delete(index, atEnd);
        ASSERT_EQ(result, index < count ? 1 : 0) << what;
      } else if (op == 3) {
        int32_t index = pick(-1, count - 1);
        what = "select " + std::to_string(index);
        BoxSelectIndex(t.box, index);
        reference.selected = index;
      } else if (op == 4 && pick(0, 4) == 0) {
        std::vector<std::string> texts;
        for (int i = pick(0, 12); i > 0; i--) texts.push_back(word());
        what = "fill";
        ASSERT_EQ(t.Fill(texts), 1);
        reference.Fill(texts);
      } else if (op == 5) {
        int32_t key = pick(0, 1) ? kBoxKeyUp : kBoxKeyDown;
        what = key == kBoxKeyUp ? "up" : "down";
        BoxKeyDown(t.box, key);
        if (count > 0) {
          int32_t target = reference.selected < 0 ? 0 : reference.selected + (key == kBoxKeyUp ? -1 : 1);
          reference.selected = std::max(0, std::min(count - 1, target));
          ASSERT_GE(reference.selected, t.box->topLine) << what;
          ASSERT_LT(reference.selected, t.box->topLine + t.box->pageLines) << what;
        }
      } else if (op == 6) {
        int32_t y = pick(0, 80);
        what = "click " + std::to_string(y);
        int32_t index = t.box->topLine + y / 10;
        BoxClick(t.box, y);
        if (index < count) reference.selected = index;
      } else if (op == 7) {
        int32_t code = pick(0, 5);
        what = "scroll " + std::to_string(code);
        BoxScrollVertical(t.box, code, pick(0, 20));
      } else if (op == 8) {
        what = "top line";
        BoxSetTopLine(t.box, pick(-1, count));
      } else if (count > 0) {
        int32_t index = pick(0, count - 1);
        std::string text = word();
        what = "replace";
        BoxReplaceLine(t.box, index, 1, text.c_str());
        reference.lines[static_cast<size_t>(index)] = {text, 1};
      }
      // The model agrees with the plain one ...
      const int32_t lineCount = static_cast<int32_t>(reference.lines.size());
      ASSERT_EQ(t.box->lineCount, lineCount) << "seed " << seed << " step " << step << " " << what;
      for (int32_t i = 0; i < lineCount; i++) {
        ASSERT_EQ(t.Text(i), reference.lines[static_cast<size_t>(i)].first) << "seed " << seed << " " << what;
        ASSERT_EQ(BoxLineAt(t.box, i)->colorIndex, reference.lines[static_cast<size_t>(i)].second);
      }
      ASSERT_EQ(t.box->selected, reference.selected) << "seed " << seed << " step " << step << " " << what;
      // ... and keeps its invariants.
      ASSERT_GE(t.box->topLine, 0) << what;
      ASSERT_LE(t.box->topLine, lineCount > 0 ? lineCount - 1 : 0) << what;
      ASSERT_TRUE(t.box->selected == -1 || (t.box->selected >= 0 && t.box->selected < lineCount)) << what;
      // The scroll bar shows the view (a box without one is never told).
      if (flags & BOX_NOVSCROLL) {
        ASSERT_EQ(t.recording.verticalSets, 0);
      } else if (lineCount > t.box->pageLines) {
        ASSERT_EQ(t.recording.verticalMaximum, lineCount - t.box->pageLines) << what;
        ASSERT_EQ(t.recording.verticalPosition, t.box->topLine) << what;
      } else {
        ASSERT_EQ(t.recording.verticalMaximum, 0) << what;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Flags, BoxRandom, ::testing::Values(0u, BOX_SORTED, BOX_NOVSCROLL));

}  // namespace
