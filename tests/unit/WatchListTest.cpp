// The watch list over two window-less boxes: adding, refreshing, colours, and
// the boxes kept in step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory/List.h"
#include "support/BoxRecording.h"
#include "tests/support/WatchScript.h"
#include "ui/WatchList.h"
#include "util/Text.h"

namespace {

using Texts = std::vector<std::string>;

class WatchListTest : public ::testing::Test {
 protected:
  TestBox names{BOX_HSCROLL | BOX_NOBORDER | BOX_NOVSCROLL};
  TestBox values{BOX_HSCROLL | BOX_NOBORDER};
  WatchScript script;
  WatchRecord* watch = nullptr;

  void SetUp() override {
    watch = WatchRecordTake(WatchScriptEvaluator, &script, 403);
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(WatchAttachBoxes(watch, names.box, values.box), 1);
  }
  void TearDown() override { WatchRecordRelease(watch); }

  Texts Watched() {
    Texts watched;
    for (auto* item = static_cast<WatchItem*>(ListFirst(watch->watches)); item;
         item = static_cast<WatchItem*>(ListNext(watch->watches)))
      watched.push_back(item->name);
    return watched;
  }
  const char* StoredValue() { return static_cast<WatchItem*>(ListFirst(watch->watches))->value; }
  int32_t ValueColor(int32_t index) { return BoxLineAt(values.box, index)->colorIndex; }
};

TEST_F(WatchListTest, AddedWatchGoesOnTopOfBothBoxesAndClearsTheirSelection) {
  script.globals = {{"SRCDIR", "C:\\SRC"}};
  WatchAdd(watch, 2, 1, "SRCDIR");
  WatchAdd(watch, 2, 1, "TARGETDIR");
  EXPECT_EQ(names.Texts(), (Texts{"TARGETDIR", "SRCDIR"}));
  EXPECT_EQ(values.Texts(), (Texts{"<variable not found>", "C:\\SRC"}));
  EXPECT_EQ(ValueColor(0), kWatchFailedColor);
  EXPECT_EQ(ValueColor(1), 0);
  EXPECT_EQ(names.box->textColors[0], 0u);  // black, not the box's default blue
  BoxSelectIndex(names.box, 1);
  BoxSelectIndex(values.box, 1);
  WatchAdd(watch, 1, 1, std::string(100, 'N').c_str());
  EXPECT_EQ(names.Text(0), std::string(79, 'N'));
  EXPECT_EQ(names.box->selected, -1);
  EXPECT_EQ(values.box->selected, -1);
  for (int i = 0; i < 30; i++) WatchAdd(watch, 1, 1, ("V" + std::to_string(i)).c_str());
  EXPECT_EQ(Watched().size(), 33u);  // more than 25 are kept
  EXPECT_EQ(Watched().back(), "SRCDIR");
}

TEST_F(WatchListTest, RefreshRedrawsOnlyTheValuesThatChanged) {
  for (int i = 0; i < 10; i++) {
    script.globals["G" + std::to_string(i)] = std::to_string(i);
    WatchAdd(watch, 1, 1, ("G" + std::to_string(i)).c_str());
  }
  values.recording.Clear();
  WatchRefresh(watch);
  EXPECT_TRUE(values.recording.redrawn.empty());
  script.globals["G2"] = "twenty";  // line 7: the list starts with G9
  script.globals["G7"] = "7";       // the same text
  script.globals["G8"] = "ABC";     // line 1
  WatchRefresh(watch);
  EXPECT_EQ(values.recording.redrawn, (std::vector<int32_t>{1, 7}));
  EXPECT_TRUE(names.recording.redrawn.empty());
  EXPECT_EQ(values.Text(7), "twenty");
  script.globals["G8"] = "abc";  // a change of case is a change
  WatchRefresh(watch);
  EXPECT_EQ(values.recording.redrawn, (std::vector<int32_t>{1, 7, 1}));
}

TEST_F(WatchListTest, ValueThatCannotBeHadIsRedWithTheEvaluatorsText) {
  script.globals = {{"PATH", "C:\\"}};
  WatchAdd(watch, 2, 1, "PATH");
  script.globals.clear();
  WatchRefresh(watch);
  EXPECT_EQ(values.Text(0), "<variable not found>");
  EXPECT_EQ(ValueColor(0), kWatchFailedColor);
  script.globals = {{"PATH", "D:\\"}};
  WatchRefresh(watch);
  EXPECT_EQ(ValueColor(0), 0);
  watch->evaluator = [](void*, const char*, int32_t*, int32_t*, char* buffer) {
    TextCopy(buffer, kWatchValueSize, "host refused");
    return int32_t{1};
  };
  WatchRefresh(watch);
  EXPECT_EQ(values.Text(0), "host refused");
  EXPECT_EQ(ValueColor(0), kWatchFailedColor);
  watch->evaluator = nullptr;  // no evaluator finds nothing
  WatchRefresh(watch);
  EXPECT_EQ(values.Text(0), "<variable not found>");
}

TEST_F(WatchListTest, LocalWatchOutsideItsFunctionIsNotFound) {
  script.locals = {{"i", "3"}};
  script.insideFunction = true;
  WatchAdd(watch, 1, 0, "i");
  EXPECT_EQ(values.Text(0), "3");
  script.insideFunction = false;
  WatchRefresh(watch);
  EXPECT_EQ(values.Text(0), "<variable not found>");
  EXPECT_EQ(ValueColor(0), kWatchFailedColor);
}

TEST_F(WatchListTest, LongValueIsShownCutButComparedWhole) {
  std::string value(300, 'v');
  script.globals = {{"BIG", value}};
  WatchAdd(watch, 2, 1, "BIG");
  EXPECT_EQ(values.Text(0), std::string(255, 'v'));
  EXPECT_EQ(StoredValue(), value);
  value[290] = 'w';  // a change beyond what the line shows
  script.globals["BIG"] = value;
  values.recording.Clear();
  WatchRefresh(watch);
  EXPECT_EQ(values.recording.redrawn, (std::vector<int32_t>{0}));
  EXPECT_EQ(StoredValue(), value);
}

TEST_F(WatchListTest, BoxesSelectScrollAndDeleteInStep) {
  for (int i = 9; i >= 0; i--) WatchAdd(watch, 1, 1, ("W" + std::to_string(i)).c_str());
  BoxClick(names.box, 35);
  EXPECT_EQ(values.box->selected, 3);
  BoxKeyDown(values.box, kBoxKeyDown);
  EXPECT_EQ(names.box->selected, 4);
  EXPECT_EQ(names.box->topLine, 1);  // the values box scrolled to show line 4
  BoxScrollVertical(names.box, kBoxScrollThumbPosition, 5);
  EXPECT_EQ(values.box->topLine, 5);
  BoxKeyUp(values.box, kBoxKeyDelete);  // W4
  EXPECT_EQ(Watched().size(), 9u);
  EXPECT_EQ(names.box->lineCount, 9);
  EXPECT_EQ(names.Text(4), "W5");
  EXPECT_EQ(Watched()[4], "W5");
  EXPECT_EQ(names.box->selected, values.box->selected);
}

}  // namespace
