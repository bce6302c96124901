// The watch list over two window-less boxes: adding, refreshing, colours, and
// the boxes kept in step.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/BoxRecording.h"
#include "memory/List.h"
#include "memory/MemPoolDebug.h"
#include "platform/Platform.h"
#include "resources/resource.h"
#include "ui/WatchList.h"
#include "util/Text.h"

namespace {

constexpr uint32_t kNamesFlags = BOX_HSCROLL | BOX_NOBORDER | BOX_NOVSCROLL;
constexpr uint32_t kValuesFlags = BOX_HSCROLL | BOX_NOBORDER;

// The script's variables as the main window's evaluator sees them: globals,
// and the locals of the function the script stands in (none outside one).
struct Script {
  std::map<std::string, std::string> globals;
  std::map<std::string, std::string> locals;
  bool insideFunction = false;
  int calls = 0;
};

// Behaves like the main window's evaluator: "<variable not found>" first, then
// the value when the name is among the globals or the current locals.
int32_t ScriptEvaluator(void* context, const char* name, int32_t* global, int32_t*, char* buffer) {
  auto* script = static_cast<Script*>(context);
  script->calls++;
  PlatformLoadString(IDS_VARIABLE_NOT_FOUND, buffer, kWatchValueSize);
  const auto& table = *global ? script->globals : script->locals;
  if (!*global && !script->insideFunction) return -1;
  auto found = table.find(name);
  if (found == table.end()) return -1;
  TextCopy(buffer, kWatchValueSize, found->second.c_str());
  return 0;
}

class WatchListTest : public ::testing::Test {
 protected:
  TestBox names{kNamesFlags};
  TestBox values{kValuesFlags};
  Script script;
  WatchRecord* watch = nullptr;

  void SetUp() override {
    watch = WatchRecordTake(ScriptEvaluator, &script, 403);
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(WatchAttachBoxes(watch, names.box, values.box), 1);
  }
  void TearDown() override { WatchRecordRelease(watch); }

  std::vector<std::string> Watched() {
    std::vector<std::string> watched;
    for (auto* item = static_cast<WatchItem*>(ListFirst(watch->watches)); item;
         item = static_cast<WatchItem*>(ListNext(watch->watches)))
      watched.push_back(item->name);
    return watched;
  }
  WatchItem* Item(int index) {
    auto* item = static_cast<WatchItem*>(ListFirst(watch->watches));
    while (item && index-- > 0) item = static_cast<WatchItem*>(ListNext(watch->watches));
    return item;
  }
  int32_t ValueColor(int32_t index) { return BoxLineAt(values.box, index)->colorIndex; }
  void ClearRecordings() {
    names.recording.Clear();
    values.recording.Clear();
  }
};

using Texts = std::vector<std::string>;

// ---------------------------------------------------------------------------

TEST_F(WatchListTest, AddedWatchGoesOnTopOfBothBoxesAndClearsTheirSelection) {
  script.globals = {{"SRCDIR", "C:\\SRC"}};
  WatchAdd(watch, 2, 1, "SRCDIR");
  WatchAdd(watch, 2, 1, "TARGETDIR");
  EXPECT_EQ(names.Texts(), (Texts{"TARGETDIR", "SRCDIR"}));
  EXPECT_EQ(values.Texts(), (Texts{"<variable not found>", "C:\\SRC"}));
  EXPECT_EQ(ValueColor(0), kWatchFailedColor);
  EXPECT_EQ(ValueColor(1), 0);
  EXPECT_EQ(BoxLineAt(names.box, 0)->colorIndex, 0);
  EXPECT_EQ(names.box->textColors[0], 0u);  // black, not the box's default blue
  EXPECT_EQ(values.box->textColors[kWatchFailedColor], 0x0000FFu);

  BoxSelectIndex(names.box, 1);
  BoxSelectIndex(values.box, 1);
  ClearRecordings();
  WatchAdd(watch, 1, 1, "COUNT");
  EXPECT_EQ(names.Text(0), "COUNT");
  EXPECT_EQ(names.box->selected, -1);
  EXPECT_EQ(values.box->selected, -1);
  EXPECT_GE(names.recording.erasingInvalidations, 1);
  EXPECT_GE(values.recording.erasingInvalidations, 1);
}

TEST_F(WatchListTest, NamesAreCutAt79AndTheKindAndFlagReachTheEvaluator) {
  const std::string longName(100, 'N');
  script.insideFunction = true;
  script.locals = {{std::string(79, 'N'), "local value"}};
  ASSERT_EQ(WatchAdd(watch, 1, 0, longName.c_str()), 1);
  EXPECT_EQ(std::string(Item(0)->name), std::string(79, 'N'));
  EXPECT_EQ(Item(0)->kind, 1);
  EXPECT_EQ(Item(0)->global, 0);
  EXPECT_EQ(values.Text(0), "local value");
  EXPECT_EQ(WatchAdd(watch, 1, 0, nullptr), 0);
  EXPECT_EQ(WatchAdd(nullptr, 1, 0, "X"), 0);
}

TEST_F(WatchListTest, MoreThanTwentyFiveWatchesAreAllKept) {
  for (int i = 0; i < 30; i++) WatchAdd(watch, 1, 1, ("V" + std::to_string(i)).c_str());
  ASSERT_EQ(ListCount(watch->watches), 30u);
  EXPECT_EQ(Watched().front(), "V29");
  EXPECT_EQ(Watched().back(), "V0");
  EXPECT_EQ(names.box->lineCount, 30);
  EXPECT_EQ(names.Text(4), "V25");
}

// ---------------------------------------------------------------------------

TEST_F(WatchListTest, RefreshRedrawsOnlyTheValuesThatChanged) {
  for (int i = 0; i < 10; i++) {
    script.globals["G" + std::to_string(i)] = std::to_string(i);
    WatchAdd(watch, 1, 1, ("G" + std::to_string(i)).c_str());
  }
  ClearRecordings();
  script.calls = 0;
  WatchRefresh(watch);
  EXPECT_EQ(script.calls, 10);  // every watch is asked ...
  EXPECT_TRUE(values.recording.redrawn.empty());  // ... and nothing changed
  script.globals["G2"] = "twenty";
  script.globals["G7"] = "7";    // the same text
  script.globals["G8"] = "ABC";  // G8 is line 1 (the list starts with G9)
  WatchRefresh(watch);
  EXPECT_EQ(values.recording.redrawn, (std::vector<int32_t>{1, 7}));
  EXPECT_TRUE(names.recording.redrawn.empty());
  EXPECT_EQ(values.Text(7), "twenty");
  EXPECT_EQ(values.Text(1), "ABC");
  values.recording.Clear();
  script.globals["G8"] = "abc";  // a change of case is a change
  WatchRefresh(watch);
  EXPECT_EQ(values.recording.redrawn, (std::vector<int32_t>{1}));
}

TEST_F(WatchListTest, FailingEvaluatorTurnsTheLineRedWithItsText) {
  script.globals = {{"PATH", "C:\\"}};
  WatchAdd(watch, 2, 1, "PATH");
  ASSERT_EQ(ValueColor(0), 0);
  script.globals.clear();
  WatchRefresh(watch);
  EXPECT_EQ(values.Text(0), "<variable not found>");
  EXPECT_EQ(ValueColor(0), kWatchFailedColor);
  EXPECT_STREQ(Item(0)->value, "<variable not found>");
  script.globals = {{"PATH", "D:\\"}};
  WatchRefresh(watch);
  EXPECT_EQ(ValueColor(0), 0);
}

// The first value line and its colour for one watch under another evaluator.
std::pair<std::string, int32_t> ValueUnder(WatchEvaluator evaluator, TestBox& names, TestBox& values) {
  WatchRecord* other = WatchRecordTake(evaluator, nullptr, 1);
  WatchAttachBoxes(other, names.box, values.box);
  WatchAdd(other, 2, 1, "ANY");
  WatchRecordRelease(other);
  return {values.Text(0), BoxLineAt(values.box, 0)->colorIndex};
}

TEST_F(WatchListTest, EvaluatorsOwnFailureTextIsShownRedAndNoEvaluatorFindsNothing) {
  auto refusing = [](void*, const char*, int32_t*, int32_t*, char* buffer) {
    TextCopy(buffer, kWatchValueSize, "host refused");
    return int32_t{1};
  };
  EXPECT_EQ(ValueUnder(refusing, names, values), std::make_pair(std::string("host refused"), kWatchFailedColor));
  EXPECT_EQ(ValueUnder(nullptr, names, values),
            std::make_pair(std::string("<variable not found>"), kWatchFailedColor));
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
  // A global of the same name is a different watch.
  script.globals = {{"i", "global i"}};
  WatchAdd(watch, 1, 1, "i");
  EXPECT_EQ(values.Texts(), (Texts{"global i", "<variable not found>"}));
}

TEST_F(WatchListTest, LongValueIsShownCutButComparedWhole) {
  std::string value(300, 'v');
  script.globals = {{"BIG", value}};
  WatchAdd(watch, 2, 1, "BIG");
  EXPECT_EQ(values.Text(0), std::string(255, 'v'));
  EXPECT_EQ(std::string(Item(0)->value), value);
  values.recording.Clear();
  WatchRefresh(watch);
  EXPECT_TRUE(values.recording.redrawn.empty());
  value[290] = 'w';  // a change beyond what the line shows
  script.globals["BIG"] = value;
  WatchRefresh(watch);
  EXPECT_EQ(values.recording.redrawn, (std::vector<int32_t>{0}));
  EXPECT_EQ(std::string(Item(0)->value), value);
  // The whole buffer is kept: 1023 characters.
  script.globals["BIG"] = std::string(2000, 'x');
  WatchRefresh(watch);
  EXPECT_EQ(std::string(Item(0)->value).size(), 1023u);
}

// ---------------------------------------------------------------------------

TEST_F(WatchListTest, SelectingAndScrollingEitherBoxDoesTheSameInTheOther) {
  for (int i = 0; i < 10; i++) WatchAdd(watch, 1, 1, ("W" + std::to_string(i)).c_str());
  EXPECT_EQ(BoxClick(names.box, 35), 1);  // line 3
  EXPECT_EQ(values.box->selected, 3);
  BoxKeyDown(values.box, kBoxKeyDown);
  EXPECT_EQ(names.box->selected, 4);
  ClearRecordings();
  BoxScrollVertical(values.box, kBoxScrollThumbPosition, 5);
  EXPECT_EQ(names.box->topLine, 5);
  EXPECT_GE(names.recording.erasingInvalidations, 1);
  BoxScrollVertical(names.box, kBoxScrollLineUp, 0);
  EXPECT_EQ(values.box->topLine, 4);
  BoxKeyDown(values.box, kBoxKeyPageDown);
  EXPECT_EQ(names.box->topLine, 6);  // the last page
}

TEST_F(WatchListTest, DeleteKeyInEitherBoxRemovesTheWatchFromBoth) {
  for (const char* name : {"C", "B", "A"}) WatchAdd(watch, 1, 1, name);
  BoxClick(values.box, 15);  // "B"
  ASSERT_EQ(BoxKeyUp(values.box, kBoxKeyDelete), 1);
  EXPECT_EQ(Watched(), (Texts{"A", "C"}));
  EXPECT_EQ(names.Texts(), (Texts{"A", "C"}));
  EXPECT_EQ(values.box->lineCount, 2);
  EXPECT_EQ(names.box->selected, values.box->selected);

  BoxClick(names.box, 0);  // "A", from the names box
  ASSERT_EQ(BoxKeyUp(names.box, kBoxKeyDelete), 1);
  EXPECT_EQ(Watched(), (Texts{"C"}));
  EXPECT_EQ(names.Texts(), (Texts{"C"}));
  EXPECT_EQ(values.box->lineCount, 1);

  // A box that is not one of the watch list's two is refused.
  TestBox stranger(0);
  BoxSetOwner(stranger.box, watch);
  EXPECT_EQ(WatchDeleteSync(stranger.box, 0, nullptr), 0);
  EXPECT_EQ(ListCount(watch->watches), 1u);
}

TEST_F(WatchListTest, DestroyedWatchRecordsAreReusedFromOnePool) {
  WatchRecord* first = WatchRecordTake(ScriptEvaluator, &script, 1);
  WatchRecordRelease(first);
  const int freeSlots = MemPoolFreeSlots();
  const MemPoolHandle pool = WatchMemoryPool();
  for (int i = 0; i < 100; i++) {
    WatchRecord* again = WatchRecordTake(ScriptEvaluator, &script, 1);
    EXPECT_EQ(again, first);
    EXPECT_EQ(ListCount(again->watches), 0u);
    WatchRecordRelease(again);
  }
  EXPECT_EQ(MemPoolFreeSlots(), freeSlots);
  EXPECT_EQ(WatchMemoryPool(), pool);
  EXPECT_EQ(WatchRefresh(nullptr), 0);
  EXPECT_EQ(WatchAttachBoxes(nullptr, names.box, values.box), 0);
}

}  // namespace
