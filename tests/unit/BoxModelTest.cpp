// The box control's line model, driven without a window: what it keeps and
// what it asks its window to do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "memory/List.h"
#include "platform/PlatformTesting.h"
#include "support/BoxRecording.h"
#include "ui/BoxModel.h"

namespace {

using Texts = std::vector<std::string>;
using Indexes = std::vector<int32_t>;

Texts Numbered(int count) {
  Texts texts;
  for (int i = 0; i < count; i++) texts.push_back("line " + std::to_string(i));
  return texts;
}

TEST(BoxLines, SortedFillAndAddIgnoreCaseAndKeepEqualTextsInOrder) {
  TestBox t(BOX_SORTED);
  EXPECT_EQ(t.Fill({"b", "A", "a"}), 1);
  EXPECT_EQ(t.Texts(), (Texts{"A", "a", "b"}));
  EXPECT_EQ(BoxLineAt(t.box, 0)->colorIndex, 1);  // colours travel with their texts
  ASSERT_EQ(BoxAddLine(t.box, 0, "B"), 1);
  EXPECT_EQ(t.Texts(), (Texts{"A", "a", "b", "B"}));
  EXPECT_EQ(t.Fill({"b", "a", "A"}), 1);
  EXPECT_EQ(t.Texts(), (Texts{"a", "A", "b"}));  // not byte order
  BoxSelectIndex(t.box, 2);
  BoxAddLine(t.box, 0, "a");  // the selection stays on "b"
  EXPECT_EQ(t.Text(t.box->selected), "b");
  BoxAddLine(t.box, 0, std::string(300, 'z').c_str());
  EXPECT_EQ(t.Text(4), std::string(254, 'z'));
}

TEST(BoxLines, TenThousandLinesAtMostWithAWarningOnTheFirstAndFortyFirstOverflow) {
  PlatformEchoMessages(false);
  PlatformClearShownMessages();
  TestBox t(0);
  List* tooMany = BoxLineList(Numbered(kBoxMaxLines + 1));
  std::vector<size_t> shownAfter;
  for (int fill = 1; fill <= 41; fill++) {
    ASSERT_EQ(BoxSetLines(t.box, tooMany), 0) << "fill " << fill;
    shownAfter.push_back(PlatformShownMessages().size());
    if (fill == 20) {
      ASSERT_EQ(t.Fill({"x"}), 1);  // a fill that fits does not count
    }
  }
  ListDestroy(tooMany);
  EXPECT_EQ(t.box->lineCount, kBoxMaxLines);
  EXPECT_EQ(t.Text(kBoxMaxLines - 1), "line 9999");
  EXPECT_EQ(shownAfter[0], 1u);
  EXPECT_EQ(shownAfter[39], 1u);
  EXPECT_EQ(shownAfter[40], 2u);
  ASSERT_FALSE(PlatformShownMessages().empty());
  EXPECT_EQ(PlatformShownMessages()[0].text, "Exceeded allowed line limit per box");
  EXPECT_EQ(PlatformShownMessages()[0].caption, "Warning");
  EXPECT_EQ(BoxAddLine(t.box, 0, "one more"), 0);  // adding to a full box warns every time
  EXPECT_EQ(PlatformShownMessages().size(), 3u);
}

TEST(BoxLines, FillResetsTheViewAndRefusesWhatIsNotALineList) {
  TestBox t(0);
  t.Fill(Numbered(20));
  BoxSetTopLine(t.box, 10);
  BoxSelectIndex(t.box, 12);
  EXPECT_EQ(t.Fill({}), 1);
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_EQ(t.box->selected, -1);
  EXPECT_EQ(t.recording.verticalMaximum, 0);
  t.Fill({"kept"});
  List* strings = ListCreate(kListStrings);
  ListAdd(strings, "not a line");
  EXPECT_EQ(BoxSetLines(t.box, strings), 0);
  EXPECT_EQ(BoxSetLines(t.box, nullptr), 0);
  EXPECT_EQ(t.Texts(), (Texts{"kept"}));
  ListDestroy(strings);
}

TEST(BoxLines, DeletionKeepsTheSelectionAndTheViewInStep) {
  TestBox t(0);  // 4 lines a page
  t.Fill(Numbered(10));
  BoxSelectIndex(t.box, 2);
  BoxDeleteLine(t.box, 2);  // mid view: the line below takes the selection
  EXPECT_EQ(t.Text(t.box->selected), "line 3");
  BoxDeleteLine(t.box, 0);  // above it: the selection follows its line
  EXPECT_EQ(t.Text(t.box->selected), "line 3");
  EXPECT_EQ(t.box->topLine, 0);
  ASSERT_EQ(BoxSetTopLine(t.box, 4), 1);  // 8 lines: the view at the end
  BoxSelectIndex(t.box, 7);
  BoxDeleteLine(t.box, 7);
  EXPECT_EQ(t.box->selected, 6);
  EXPECT_EQ(t.box->previousSelected, -1);
  EXPECT_EQ(t.box->topLine, 3);
  EXPECT_EQ(t.recording.verticalPosition, 3);
  EXPECT_EQ(BoxDeleteLine(t.box, 7), 0);
  EXPECT_EQ(BoxDeleteLine(t.box, -1), 1);
  EXPECT_EQ(t.box->selected, -1);
  EXPECT_EQ(t.box->lineCount, 0);
}

TEST(BoxLines, SetTopLineRefusesAViewPastTheEnd) {
  TestBox t(0);
  t.Fill(Numbered(10));
  EXPECT_EQ(BoxSetTopLine(t.box, 7), 0);  // 7 + 4 > 10
  EXPECT_EQ(BoxSetTopLine(t.box, 10), 0);
  EXPECT_EQ(BoxSetTopLine(t.box, -1), 0);
  EXPECT_EQ(BoxSetTopLine(t.box, 6), 1);
  EXPECT_EQ(t.recording.verticalPosition, 6);
  t.box->pageLines = 20;
  EXPECT_EQ(BoxSetTopLine(t.box, 6), 1);  // the same top line is taken at once
}

TEST(BoxLayout, HeightIsFittedToTheNearestWholeLineOnce) {
  EXPECT_EQ(BoxFitLines(26, 10), 3);
  EXPECT_EQ(BoxFitLines(24, 10), 2);
  EXPECT_EQ(BoxFitLines(25, 10), 2);
  TestBox t(BOX_HSCROLL, 6);
  t.Fill(Numbered(2));  // fewer lines than the page: the box widens by a bar
  int depth = 0;
  t.recording.duringResize = [&] {
    if (depth++ == 0) BoxFitHeight(t.box, 100, 58, 17, 16);  // the size message of its own resize
  };
  BoxFitHeight(t.box, 100, 17 + 26, 17, 16);
  ASSERT_EQ(t.recording.resizes.size(), 1u);
  EXPECT_EQ(t.recording.resizes[0], std::make_pair(116, 17 + 30));
  EXPECT_EQ(t.box->pageLines, 3);
  EXPECT_EQ(t.box->hScrollLimit, 100);
}

TEST(BoxInput, ArrowKeysSelectNotifyAndScrollLineByLine) {
  TestBox t(0);
  t.Fill(Numbered(10));
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyUp), 1);  // no selection: line 0
  EXPECT_EQ(t.box->selected, 0);
  BoxSelectIndex(t.box, 8);
  BoxKeyDown(t.box, kBoxKeyDown);  // 9 is three lines below the view
  EXPECT_EQ(t.box->topLine, 6);
  EXPECT_EQ(t.recording.scrolled, (Indexes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(t.recording.contentMoves.size(), 6u);
  EXPECT_EQ(t.recording.contentMoves[0], std::make_pair(0, -10));
  t.recording.redrawn.clear();
  BoxKeyDown(t.box, kBoxKeyDown);  // on the last line: kept, and still told
  EXPECT_EQ(t.box->selected, 9);
  EXPECT_EQ(t.recording.selected, (Indexes{0, 9, 9}));
  EXPECT_TRUE(t.recording.redrawn.empty());
  BoxKeyDown(t.box, kBoxKeyPageUp);
  EXPECT_EQ(t.box->topLine, 2);
  EXPECT_EQ(t.recording.contentMoves.size(), 6u);  // a page is repainted, not moved
}

TEST(BoxInput, DeleteKeyAsksTheOwnerOnRelease) {
  TestBox t(0);
  t.Fill(Numbered(5));
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 0);  // nothing selected: nothing asked
  BoxSelectIndex(t.box, 2);
  t.recording.deleteAnswer = 0;
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 0);
  EXPECT_EQ(t.box->lineCount, 5);
  t.recording.deleteAnswer = 1;
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyDelete), 0);
  EXPECT_EQ(BoxKeyUp(t.box, kBoxKeyDelete), 1);
  EXPECT_EQ(t.recording.deleteAsked, (Indexes{2, 2}));
  EXPECT_EQ(t.Text(2), "line 3");
}

TEST(BoxInput, ClicksSelectButNotBelowTheLastLineNorInAReadOnlyBox) {
  TestBox t(0);
  t.Fill(Numbered(6));
  BoxSetTopLine(t.box, 2);
  EXPECT_EQ(BoxClick(t.box, 25), 1);
  EXPECT_EQ(t.box->selected, 4);
  t.Fill(Numbered(2));
  BoxSelectIndex(t.box, 1);
  EXPECT_EQ(BoxClick(t.box, 35), 0);
  EXPECT_EQ(t.box->selected, 1);

  TestBox readOnly(BOX_READONLY);
  readOnly.Fill(Numbered(10));
  EXPECT_EQ(BoxClick(readOnly.box, 25), 0);
  EXPECT_EQ(BoxKeyDown(readOnly.box, kBoxKeyDown), 0);
  EXPECT_EQ(BoxKeyDown(readOnly.box, kBoxKeyPageDown), 0);
  BoxSelectIndex(readOnly.box, 1);
  EXPECT_EQ(BoxKeyUp(readOnly.box, kBoxKeyDelete), 0);
  EXPECT_EQ(readOnly.box->lineCount, 10);
  EXPECT_TRUE(readOnly.recording.selected.empty() && readOnly.recording.deleteAsked.empty());
}

TEST(BoxInput, OnlyAThumbReleaseMovesTheView) {
  TestBox t(0);
  t.Fill(Numbered(10));
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollThumbTrack, 5), 0);
  EXPECT_EQ(BoxScrollVertical(t.box, 7 /* bottom */, 0), 0);
  EXPECT_EQ(t.box->topLine, 0);
  EXPECT_EQ(BoxScrollVertical(t.box, kBoxScrollThumbPosition, 50), 1);
  EXPECT_EQ(t.box->topLine, 6);  // clamped to the last page
  EXPECT_EQ(t.recording.scrolled, (Indexes{6}));
  // Deletions that leave the view below line 0 with every line fitting do not
  // strand the lines above it.
  for (int i = 0; i < 7; i++) BoxDeleteLine(t.box, 0);
  EXPECT_EQ(BoxKeyDown(t.box, kBoxKeyUp), 1);
  EXPECT_EQ(t.box->topLine, 0);
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
    if (sorted) at = 0;
    while (sorted && at < lines.size() && Compare(lines[at].first, text) <= 0) at++;
    lines.insert(lines.begin() + static_cast<long>(at), {text, color});
    if (selected >= static_cast<int32_t>(at) && at + 1 < lines.size()) selected++;
  }
  // With the view at the end a deleted selected line passes the selection to
  // the line above (which takes its place on screen), else to the line below.
  void Delete(int32_t index, bool viewAtEnd) {
    lines.erase(lines.begin() + index);
    if (index < selected || (index == selected && viewAtEnd)) selected--;
    selected = std::min(selected, static_cast<int32_t>(lines.size()) - 1);
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
    ReferenceBox reference;
    reference.sorted = flags & BOX_SORTED;
    for (int step = 0; step < 400; step++) {
      const int32_t count = static_cast<int32_t>(reference.lines.size());
      const int op = pick(0, 8);
      const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step) + " op ";
      if (op <= 1) {
        const std::string text = word();
        const int32_t color = pick(0, 3);
        ASSERT_EQ(BoxAddLine(t.box, color, text.c_str()), 1);
        reference.Add(text, color);
        if (!reference.sorted) {  // the appended line is in view
          ASSERT_GE(count, t.box->topLine) << where << op;
          ASSERT_LT(count, t.box->topLine + t.box->pageLines) << where << op;
        }
      } else if (op == 2) {
        const int32_t index = pick(-1, count);
        const bool atEnd = index >= t.box->topLine && t.box->topLine == count - t.box->pageLines &&
                           t.box->pageLines < count;
        ASSERT_EQ(BoxDeleteLine(t.box, index), index < count ? 1 : 0);
        if (index == -1) reference.lines.clear(), reference.selected = -1;
        else if (index < count) reference.Delete(index, atEnd);
      } else if (op == 3) {
        const int32_t index = pick(-1, count - 1);
        BoxSelectIndex(t.box, index);
        reference.selected = index;
      } else if (op == 4 && pick(0, 4) == 0) {
        Texts texts;
        for (int i = pick(0, 12); i > 0; i--) texts.push_back(word());
        ASSERT_EQ(t.Fill(texts), 1);
        reference.lines.clear();
        for (size_t i = 0; i < texts.size(); i++) reference.Add(texts[i], static_cast<int32_t>(i % 4));
        reference.selected = -1;
      } else if (op == 5 && count > 0) {
        const bool up = pick(0, 1);
        BoxKeyDown(t.box, up ? kBoxKeyUp : kBoxKeyDown);
        const int32_t target = reference.selected < 0 ? 0 : reference.selected + (up ? -1 : 1);
        reference.selected = std::max(0, std::min(count - 1, target));
        ASSERT_GE(reference.selected, t.box->topLine) << where << op;  // the selection is in view
        ASSERT_LT(reference.selected, t.box->topLine + t.box->pageLines) << where << op;
      } else if (op == 6) {
        const int32_t y = pick(0, 80), index = t.box->topLine + y / 10;
        BoxClick(t.box, y);
        if (index < count) reference.selected = index;
      } else if (op == 7) {
        BoxScrollVertical(t.box, pick(0, 5), pick(0, 20));
        BoxSetTopLine(t.box, pick(-1, count));
      } else if (count > 0) {
        const int32_t index = pick(0, count - 1);
        const std::string text = word();
        BoxReplaceLine(t.box, index, 1, text.c_str());
        reference.lines[static_cast<size_t>(index)] = {text, 1};
      }
      // The model agrees with the plain one ...
      const int32_t lineCount = static_cast<int32_t>(reference.lines.size());
      ASSERT_EQ(t.box->lineCount, lineCount) << where << op;
      for (int32_t i = 0; i < lineCount; i++) {
        ASSERT_EQ(t.Text(i), reference.lines[static_cast<size_t>(i)].first) << where << op;
        ASSERT_EQ(BoxLineAt(t.box, i)->colorIndex, reference.lines[static_cast<size_t>(i)].second);
      }
      ASSERT_EQ(t.box->selected, reference.selected) << where << op;
      // ... keeps its invariants, and its scroll bar shows the view.
      ASSERT_GE(t.box->topLine, 0) << where << op;
      ASSERT_LE(t.box->topLine, std::max(0, lineCount - 1)) << where << op;
      if (flags & BOX_NOVSCROLL) {
        ASSERT_EQ(t.recording.verticalSets, 0);
      } else if (lineCount <= t.box->pageLines) {
        ASSERT_EQ(t.recording.verticalMaximum, 0) << where << op;
      } else {
        ASSERT_EQ(t.recording.verticalPosition, t.box->topLine) << where << op;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Flags, BoxRandom, ::testing::Values(0u, BOX_SORTED, BOX_NOVSCROLL));

}  // namespace
