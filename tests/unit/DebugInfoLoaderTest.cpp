// The debug information loader: what each part of the file puts into the
// tables, how damaged and cut files end, and a round trip through the writer.
//
// The tables are compared as text (one line per entry, in each table's own
// order), so that a failure shows the whole difference.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "DebugInfoWriter/DebugInfoWriter.h"
#include "debuginfo/DebugInfoLoader.h"
#include "platform/Platform.h"
#include "platform/PlatformTesting.h"
#include "support/TempFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Strings = std::vector<std::string>;

void AppendWord(Bytes* bytes, int word) {
  bytes->push_back(static_cast<uint8_t>(word & 0xFF));
  bytes->push_back(static_cast<uint8_t>((word >> 8) & 0xFF));
}

void AppendString(Bytes* bytes, const std::string& text) {
  AppendWord(bytes, static_cast<int>(text.size()));
  bytes->insert(bytes->end(), text.begin(), text.end());
}

// The four tables QNdbgInit makes, loaded from one file and destroyed at the end.
struct Loaded {
  FunctionTable* functions = FunctionTableCreate();
  VariableTable* globals = VariableTableCreate();
  LineTable* lines = LineTableCreate();
  SourceFileList* files = SourceFileListCreate();
  char script[kDebugFileNameSize] = "(not read)";
  int result = -1;

  explicit Loaded(const std::string& path) {
    result = LoadDebugInfo(functions, globals, lines, files, path.c_str(), script);
  }
  ~Loaded() {
    LineTableDestroy(lines);
    VariableTableDestroy(globals);
    FunctionTableDestroy(functions);
    SourceFileListDestroy(files);
  }

  std::string Variables(VariableTable* table, const char* label) const {
    std::string text;
    for (auto* name = static_cast<const char*>(ListFirst(table->names)); name;
         name = static_cast<const char*>(ListNext(table->names))) {
      int32_t index = 0, kind = 0;
      VariableTableFind(table, name, &index, &kind);
      text += std::string(label) + " " + name + " " + std::to_string(index) + " " + std::to_string(kind) + "\n";
    }
    return text;
  }

  // Everything the tables hold, in the tables' own orders.
  std::string Text() const {
    std::string text = std::string("script ") + script + "\n" + Variables(globals, "global");
    for (auto* line = static_cast<const LineRecord*>(ListFirst(lines->records)); line;
         line = static_cast<const LineRecord*>(ListNext(lines->records)))
      text += "line " + std::to_string(line->line) + " file " + std::to_string(line->fileIndex) + " at " +
              std::to_string(line->block) + "," + std::to_string(line->offset) + "\n";
    std::vector<const FunctionRecord*> made;
    for (const FunctionRecord* record = functions->lastMade; record; record = record->nextMade)
      made.insert(made.begin(), record);
    for (const FunctionRecord* record : made)
      text += std::string("function ") + record->name + " block " + std::to_string(record->block) + "\n" +
              Variables(record->locals, " local");
    for (auto* extent = static_cast<const FunctionExtent*>(ListFirst(functions->extents)); extent;
         extent = static_cast<const FunctionExtent*>(ListNext(functions->extents)))
      text += "extent " + std::to_string(extent->block) + " " + std::to_string(extent->firstLine) + " " +
              std::to_string(extent->fileIndex) + "\n";
    for (auto* entry = static_cast<const SourceFileEntry*>(ListFirst(files->files)); entry;
         entry = static_cast<const SourceFileEntry*>(ListNext(files->files)))
      text += std::string("file ") + entry->name + " at " + std::to_string(entry->block) + "," +
              std::to_string(entry->offset) + " #" + std::to_string(entry->fileIndex) + "\n";
    return text;
  }
};

// A script "MAIN.Q" whose first statement, line 1, is the main program's (0, 0).
DebugInfoDescription MainScript() {
  DebugInfoDescription info;
  info.mainScript = "MAIN.Q";
  DebugInfoAddLine(&info, 1, 0, 0);
  return info;
}

std::string WriteDescription(const std::string& name, const DebugInfoDescription& info) {
  Bytes bytes;
  std::string error;
  EXPECT_EQ(DebugInfoWrite(info, &bytes, &error), 1) << error;
  return WriteTempFile(name, bytes);
}

// The minimal file, byte for byte.
Bytes MinimalFile() {
  return {0x0E, 0x00, 0x00, 0x00, 0x3A, 0xF9, 0x06, 0x00, 'M',  'A',  'I',  'N',  '.',  'Q',
          0x01, 0x00, 0x01, 0x00, 'S',  0x00, 0x00,                                            // globals
          0x05, 0x80, 0x00, 0x00, 0x00, 0x00,                                                  // line 5 at (0, 0)
          0x00, 0x00, 0x01, 0x00, 'F',  0x00, 0x00, 0x00, 0x00,                                // function F
          0x09, 0x80, 0x01, 0x00, 0x00, 0x00,                                                  // line 9 at (1, 0)
          0x00, 0x00};                                                                         // spare word
}

struct LoaderTest : testing::Test {
  void SetUp() override {
    PlatformEchoMessages(false);
    PlatformClearShownMessages();
  }
};

TEST_F(LoaderTest, MinimalFileLoadsExactlyItsTables) {
  Loaded loaded(WriteTempFile("minimal.dbg", MinimalFile()));
  EXPECT_EQ(loaded.result, 1);
  EXPECT_EQ(loaded.Text(),
            "script MAIN.Q\n"
            "global S 0 2\n"
            "line 5 file 0 at 0,0\n"
            "line 9 file 0 at 1,0\n"
            "function F block 1\n"
            "extent 1 9 0\n"
            "file MAIN.Q at 0,0 #0\n");
  EXPECT_TRUE(PlatformShownMessages().empty());
}

TEST_F(LoaderTest, FillerBeforeTheGlobalListsIsIgnored) {
  DebugInfoDescription plain;
  plain.mainScript = "MAIN.Q";
  plain.globalStrings = {"SRCDIR"};
  plain.globalNumbers = {"COUNT"};
  DebugInfoAddLine(&plain, 3, 0, 0);
  DebugInfoDescription filled = plain;
  filled.filler = {0x05, 0x80, 0x01, 0x00, 0x3A, 0xF9, 0xFF};
  Loaded withFiller(WriteDescription("filled.dbg", filled));
  Loaded without(WriteDescription("plain.dbg", plain));
  EXPECT_EQ(withFiller.result, 1);
  EXPECT_EQ(withFiller.Text(), without.Text());
  EXPECT_NE(without.Text().find("global COUNT 0 1\n"), std::string::npos);
}

// A swapped magic word, and an offset of the global lists before the file's
// start (a damaged header: that place cannot be reached).
TEST_F(LoaderTest, DamagedHeaderIsRejectedWithoutAMessage) {
  for (size_t at : {4, 0}) {
    Bytes damaged = MinimalFile();
    damaged[at] = 0xF9;
    damaged[at + 1] = at == 4 ? 0x3A : 0xFF;
    Loaded loaded(WriteTempFile("damaged.dbg", damaged));
    EXPECT_EQ(loaded.result, 0) << "damage at " << at;
    EXPECT_TRUE(PlatformShownMessages().empty());
    if (at == 4) EXPECT_EQ(loaded.Text(), "script (not read)\n");
  }
}

TEST_F(LoaderTest, MissingFileIsNamedInTheDebuggersMessage) {
  std::string path = TempPath("nowhere.dbg");
  Loaded loaded(path);
  EXPECT_EQ(loaded.result, 0);
  ASSERT_EQ(PlatformShownMessages().size(), 1u);
  EXPECT_EQ(PlatformShownMessages()[0].text, "Unable to locate debug file : " + path);
  EXPECT_EQ(PlatformShownMessages()[0].caption, "Quendle Debugger");
  EXPECT_EQ(PlatformShownMessages()[0].style, kMessageBoxExclamation);
}

TEST_F(LoaderTest, HiddenGlobalsAreLeftOutButUseUpTheirIndex) {
  DebugInfoDescription info = MainScript();
  info.globalStrings = {"A", "__x", "B"};
  info.globalNumbers = {"TEMPSTRING", "_y", "tempstring", "N__"};
  Loaded loaded(WriteDescription("hidden.dbg", info));
  EXPECT_EQ(loaded.Variables(loaded.globals, "global"),
            "global A 0 2\n"
            "global B 2 2\n"
            "global _y 1 1\n"
            "global tempstring 2 1\n"
            "global N__ 3 1\n");
}

TEST_F(LoaderTest, LocalsCountFromMinus101PerKind) {
  DebugInfoDescription info = MainScript();
  DebugInfoAddFunction(&info, "Copy", {"source", "target"}, {"count"}, 20, 1, 0);
  Loaded loaded(WriteDescription("locals.dbg", info));
  VariableTable* locals = FunctionTableGetLocals(loaded.functions, 1);
  ASSERT_NE(locals, nullptr);
  EXPECT_EQ(loaded.Variables(locals, "local"),
            "local source 65435 2\n"
            "local target 65434 2\n"
            "local count 65435 1\n");
  EXPECT_EQ(loaded.Variables(loaded.globals, "global"), "");
}

TEST_F(LoaderTest, TagsDecideBySwitchBitFirstThenLineBit) {
  Bytes bytes = MinimalFile();
  bytes.resize(bytes.size() - 2);  // no spare word
  AppendWord(&bytes, 0xC000);      // both high bits: a source file switch
  AppendWord(&bytes, 0x1234);
  AppendString(&bytes, "INC.Q");
  AppendWord(&bytes, 0x8012);  // line 18
  AppendWord(&bytes, 0);
  AppendWord(&bytes, 3);
  Loaded loaded(WriteTempFile("tags.dbg", bytes));
  EXPECT_EQ(loaded.result, 1);
  std::string text = loaded.Text();
  EXPECT_NE(text.find("line 18 file 1 at 0,3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("file INC.Q at 0,3 #1\n"), std::string::npos) << text;
}

TEST_F(LoaderTest, SpareWordAtTheEndChangesNothing) {
  DebugInfoDescription info;
  info.mainScript = "MAIN.Q";
  info.globalStrings = {"S"};
  DebugInfoAddLine(&info, 2, 0, 0);
  DebugInfoAddFunction(&info, "F", {"a"}, {}, 7, 1, 0);
  DebugInfoAddLine(&info, 8, 1, 1);
  info.spareWord = true;
  Loaded with(WriteDescription("spare.dbg", info));
  info.spareWord = false;
  Loaded without(WriteDescription("nospare.dbg", info));
  EXPECT_EQ(with.result, 1);
  EXPECT_EQ(without.result, 1);
  EXPECT_EQ(with.Text(), without.Text());
  EXPECT_NE(with.Text().find("line 8 file 0 at 1,1\n"), std::string::npos);  // the last record is loaded
}

TEST_F(LoaderTest, NoRecordsGiveEmptyTables) {
  DebugInfoDescription info;
  info.mainScript = "MAIN.Q";
  info.globalNumbers = {"N"};
  info.spareWord = false;
  Loaded loaded(WriteDescription("norecords.dbg", info));
  EXPECT_EQ(loaded.result, 1);
  EXPECT_EQ(loaded.Text(), "script MAIN.Q\nglobal N 0 1\n");
}

TEST_F(LoaderTest, SwitchFollowedBySwitchUsesUpAFileIndex) {
  DebugInfoDescription info = MainScript();
  DebugInfoAddSwitch(&info, "A.Q");
  DebugInfoAddSwitch(&info, "B.Q");
  DebugInfoAddLine(&info, 4, 0, 1);
  DebugInfoAddLine(&info, 5, 0, 2);
  Loaded loaded(WriteDescription("switches.dbg", info));
  EXPECT_EQ(loaded.Text(),
            "script MAIN.Q\n"
            "line 1 file 0 at 0,0\n"
            "line 4 file 2 at 0,1\n"
            "line 5 file 2 at 0,2\n"
            "file MAIN.Q at 0,0 #0\n"
            "file B.Q at 0,1 #2\n");
}

TEST_F(LoaderTest, FileIndexesOfLineRecordsAreTakenToEightBits) {
  DebugInfoDescription info = MainScript();
  for (int file = 1; file <= 257; file++) DebugInfoAddSwitch(&info, "I" + std::to_string(file) + ".Q");
  DebugInfoAddLine(&info, 2, 0, 1);
  Loaded loaded(WriteDescription("many.dbg", info));
  std::string text = loaded.Text();
  EXPECT_NE(text.find("line 2 file 1 at 0,1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("file I257.Q at 0,1 #257\n"), std::string::npos) << text;
}

TEST_F(LoaderTest, FunctionWithoutItsLineRecordStillLoadsWhatFollows) {
  DebugInfoDescription info = MainScript();
  DebugInfoAddFunctionRecord(&info, "Lost", {}, {"n"});
  DebugInfoAddSwitch(&info, "INC.Q");  // read ahead as the function's line: unusable, but harmless
  DebugInfoAddLine(&info, 6, 0, 1);
  DebugInfoAddFunctionRecord(&info, "Last", {}, {});  // at the very end
  info.spareWord = false;
  Loaded loaded(WriteDescription("lost.dbg", info));
  EXPECT_EQ(loaded.result, 1);
  EXPECT_EQ(loaded.Text(),
            "script MAIN.Q\n"
            "line 1 file 0 at 0,0\n"
            "line 6 file 1 at 0,1\n"
            "function Lost block 0\n"
            " local n 65435 1\n"
            "function Last block -1\n"
            "extent 0 16384 0\n"
            "extent -1 32767 1\n"
            "file MAIN.Q at 0,0 #0\n"
            "file INC.Q at 0,1 #1\n");
}

TEST_F(LoaderTest, FileCutInsideARecordReadsMinusOneAndEnds) {
  DebugInfoDescription info = MainScript();
  DebugInfoAddLine(&info, 2, 0, 0x1234);
  info.spareWord = false;
  Bytes bytes;
  std::string error;
  ASSERT_EQ(DebugInfoWrite(info, &bytes, &error), 1);
  bytes.resize(bytes.size() - 3);  // the offset word and the block's high byte are gone
  Loaded cutLine(WriteTempFile("cutline.dbg", bytes));
  EXPECT_EQ(cutLine.result, 1);
  EXPECT_NE(cutLine.Text().find("line 2 file 0 at -256,-1\n"), std::string::npos) << cutLine.Text();

  DebugInfoDescription function = MainScript();
  DebugInfoAddFunction(&function, "F", {"abc", "def"}, {}, 9, 1, 0);
  ASSERT_EQ(DebugInfoWrite(function, &bytes, &error), 1);
  bytes.resize(bytes.size() - 16);  // inside "abc": after its "ab"
  Loaded cutList(WriteTempFile("cutlist.dbg", bytes));
  EXPECT_EQ(cutList.result, 1);
  EXPECT_EQ(cutList.Text(),
            "script MAIN.Q\n"
            "line 1 file 0 at 0,0\n"
            "function F block -1\n"
            " local ab\xFF 65435 2\n"
            " local  65434 2\n"
            "extent -1 32767 0\n"
            "file MAIN.Q at 0,0 #0\n");
}

TEST_F(LoaderTest, OverLongNamesAreCutAndTheStreamStaysInStep) {
  std::string longName(80, 'g'), longFile(300, 'f');
  DebugInfoDescription info;
  info.mainScript = longFile + ".MAIN";
  info.globalStrings = {longName, "NEXT"};
  DebugInfoAddLine(&info, 1, 0, 0);
  DebugInfoAddFunction(&info, std::string(70, 'F'), {std::string(64, 'l'), "second"}, {}, 5, 1, 0);
  DebugInfoAddSwitch(&info, longFile + ".INC");
  DebugInfoAddLine(&info, 9, 0, 1);
  Loaded loaded(WriteDescription("long.dbg", info));
  EXPECT_EQ(loaded.result, 1);
  std::string name59(59, 'g'), function59(59, 'F'), local59(59, 'l'), file260(260, 'f');
  EXPECT_EQ(loaded.Text(),
            "script " + file260 + "\n" +
            "global " + name59 + " 0 2\n"
            "global NEXT 1 2\n"
            "line 1 file 0 at 0,0\n"
            "line 5 file 0 at 1,0\n"
            "line 9 file 1 at 0,1\n"
            "function " + function59 + " block 1\n" +
            " local " + local59 + " 65435 2\n"
            " local second 65434 2\n"
            "extent 1 5 0\n"
            "file " + file260 + " at 0,0 #0\n" +
            "file " + file260 + " at 0,1 #1\n");
}

// ---------------------------------------------------------------------------
// Round trip: scripts made at random, written by the writer, loaded back.

struct ScriptModel {
  DebugInfoDescription info;
  std::map<std::pair<int, int>, std::pair<int, int>> lineOf;     // (block, offset) -> (line, file)
  std::map<std::pair<int, int>, std::pair<int, int>> addressOf;  // (line, file) -> (block, offset)
  std::map<std::pair<int, int>, int> nextLine;                   // (line, file) -> next line of the file or 0
  struct Function {
    int block, firstLine, file;
    std::map<std::string, std::pair<int, int>> locals;  // name -> (index as found, kind)
  };
  std::map<std::string, Function> functions;
  std::map<std::string, std::pair<int, int>> globals;        // name -> (index, kind)
  std::vector<std::tuple<std::string, int, int, int>> files;  // name, block, offset, file index
};

std::string RandomName(std::mt19937& random, std::set<std::string>* taken) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
  for (;;) {
    std::string name(1 + random() % 20, 'x');
    for (char& c : name) c = kLetters[random() % (sizeof kLetters - 1)];
    if (name[0] == '_' || !taken->insert(name).second) continue;
    return name;
  }
}

ScriptModel RandomScript(unsigned seed) {
  std::mt19937 random(seed);
  ScriptModel model;
  std::set<std::string> names;
  model.info.mainScript = "MAIN" + std::to_string(seed) + ".Q";
  for (int kind = 2; kind >= 1; kind--) {
    Strings& list = kind == 2 ? model.info.globalStrings : model.info.globalNumbers;
    int count = static_cast<int>(random() % 12);
    for (int index = 0; index < count; index++) {
      bool hidden = random() % 8 == 0;
      std::string name = hidden ? (random() % 2 ? "TEMPSTRING" : "__" + RandomName(random, &names))
                                : RandomName(random, &names);
      list.push_back(name);
      if (!hidden) model.globals[name] = {index, kind};
    }
  }

  int file = 0, mainOffset = 0, nextBlock = 1;
  std::map<int, int> lastLineOfFile;
  std::map<int, std::pair<int, int>> lastKey;
  bool fileHasEntry = false;
  auto addLine = [&](int block, int offset) {
    int line = lastLineOfFile[file] + 1 + static_cast<int>(random() % 5);
    lastLineOfFile[file] = line;
    DebugInfoAddLine(&model.info, line, block, offset);
    model.lineOf[{block, offset}] = {line, file};
    model.addressOf[{line, file}] = {block, offset};
    model.nextLine[{line, file}] = 0;
    if (lastKey.count(file)) model.nextLine[lastKey[file]] = line;
    lastKey[file] = {line, file};
    if (!fileHasEntry) {
      model.files.emplace_back(file == 0 ? model.info.mainScript : "INC" + std::to_string(file) + ".Q", block,
                               offset, file);
      fileHasEntry = true;
    }
  };

  addLine(0, mainOffset++);
  int steps = 20 + static_cast<int>(random() % 200);
  for (int step = 0; step < steps; step++) {
    switch (random() % 10) {
      case 0:
        file++;
        fileHasEntry = false;
        DebugInfoAddSwitch(&model.info, "INC" + std::to_string(file) + ".Q");
        break;
      case 1:
      case 2: {
        std::string name = RandomName(random, &names);
        ScriptModel::Function function{nextBlock++, 0, file, {}};
        Strings strings, numbers;
        for (int i = static_cast<int>(random() % 4); i > 0; i--) strings.push_back(RandomName(random, &names));
        for (int i = static_cast<int>(random() % 4); i > 0; i--) numbers.push_back(RandomName(random, &names));
        for (size_t i = 0; i < strings.size(); i++) function.locals[strings[i]] = {65435 - static_cast<int>(i), 2};
        for (size_t i = 0; i < numbers.size(); i++) function.locals[numbers[i]] = {65435 - static_cast<int>(i), 1};
        DebugInfoAddFunctionRecord(&model.info, name, strings, numbers);
        int body = 1 + static_cast<int>(random() % 6);
        for (int offset = 0; offset < body; offset++) {
          addLine(function.block, offset);
          if (offset == 0) function.firstLine = lastLineOfFile[file];
        }
        model.functions[name] = function;
        break;
      }
      default:
        addLine(0, mainOffset++);
    }
  }
  return model;
}

class RoundTrip : public testing::TestWithParam<unsigned> {};

TEST_P(RoundTrip, WrittenScriptsLoadBackToTheSameLookups) {
  PlatformEchoMessages(false);
  ScriptModel model = RandomScript(GetParam());
  Loaded loaded(WriteDescription("roundtrip.dbg", model.info));
  ASSERT_EQ(loaded.result, 1);
  EXPECT_EQ(std::string(loaded.script), model.info.mainScript);

  for (const auto& [address, place] : model.lineOf) {
    int32_t line = -1, file = -1, block = -1, offset = -1, next = -1;
    ASSERT_EQ(LineTableFindLine(loaded.lines, address.first, address.second, &line, &file), 1);
    EXPECT_EQ(std::make_pair(static_cast<int>(line), static_cast<int>(file)), place);
    ASSERT_EQ(LineTableFindAddress(loaded.lines, line, file, &block, &offset), 1);
    EXPECT_EQ(std::make_pair(static_cast<int>(block), static_cast<int>(offset)), address);
    int expectedNext = model.nextLine.at(place);
    EXPECT_EQ(LineTableNextLine(loaded.lines, line, file, &next), expectedNext ? 1 : 0);
    if (expectedNext) EXPECT_EQ(next, expectedNext);
    // The function that holds the line: the one of that file that begins last at or before it.
    int holder = 0, holderLine = -1;
    for (const auto& [name, function] : model.functions)
      if (function.file == place.second && function.firstLine <= line && function.firstLine > holderLine) {
        holder = function.block;
        holderLine = function.firstLine;
      }
    EXPECT_EQ(FunctionTableBlockAtLine(loaded.functions, line, file), holder) << "line " << line;
  }

  for (const auto& [name, function] : model.functions) {
    int32_t block = -1, file = -1;
    ASSERT_EQ(FunctionTableFindBlock(loaded.functions, name.c_str(), &block), 1) << name;
    EXPECT_EQ(block, function.block);
    EXPECT_EQ(FunctionTableGetExtent(loaded.functions, block, &file), function.firstLine);
    EXPECT_EQ(file, function.file);
    char stored[kFunctionNameSize];
    ASSERT_EQ(FunctionTableGetName(loaded.functions, block, stored, sizeof stored), 1);
    EXPECT_EQ(name, stored);
    VariableTable* locals = FunctionTableGetLocals(loaded.functions, block);
    EXPECT_EQ(ListCount(locals->names), function.locals.size());
    for (const auto& [local, expected] : function.locals) {
      int32_t index = 0, kind = 0;
      ASSERT_EQ(VariableTableFind(locals, local.c_str(), &index, &kind), 1) << local;
      EXPECT_EQ(std::make_pair(static_cast<int>(index), static_cast<int>(kind)), expected) << local;
    }
  }

  EXPECT_EQ(ListCount(loaded.globals->names), model.globals.size());
  for (const auto& [name, expected] : model.globals) {
    int32_t index = 0, kind = 0;
    ASSERT_EQ(VariableTableFind(loaded.globals, name.c_str(), &index, &kind), 1) << name;
    EXPECT_EQ(std::make_pair(static_cast<int>(index), static_cast<int>(kind)), expected) << name;
  }

  std::vector<std::tuple<std::string, int, int, int>> files;
  for (auto* entry = static_cast<const SourceFileEntry*>(ListFirst(loaded.files->files)); entry;
       entry = static_cast<const SourceFileEntry*>(ListNext(loaded.files->files)))
    files.emplace_back(entry->name, entry->block, entry->offset, entry->fileIndex);
  EXPECT_EQ(files, model.files);
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, RoundTrip,
                         testing::Values(1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u, 55u, 89u, 144u, 233u, 377u, 610u,
                                         987u, 1597u, 2584u, 4181u, 6765u, 10946u));

}  // namespace
