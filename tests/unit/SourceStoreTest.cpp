// Reading script files into a view's lines: line ends of every kind, lines
// across and beyond the 8192-byte blocks, the line limit, odd bytes, and the
// character indexes of double-byte text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory/MemPoolDebug.h"
#include "platform/PlatformTesting.h"
#include "support/SourceTextTesting.h"

namespace {

using Lines = std::vector<std::string>;

// Loads the bytes into a fresh view; the lines read, or {"<failed>"}.
Lines Load(const std::string& bytes) {
  TempSourceFile file(bytes);
  ViewHolder view;
  if (SourceViewLoadFile(view.get(), file.path()) != 1) return {"<failed>"};
  return LineTexts(view.get());
}

TEST(StoreLineEnds, EveryKindOfLineEndEndsOneLine) {
  EXPECT_EQ(Load("a\r\nb"), (Lines{"a", "b"}));            // no final line end
  EXPECT_EQ(Load("a\r\nb\r\n"), (Lines{"a", "b"}));        // no empty line after the last
  EXPECT_EQ(Load("one\ntwo\nthree\n"), (Lines{"one", "two", "three"}));
  EXPECT_EQ(Load("one\rtwo\rthree"), (Lines{"one", "two", "three"}));
  EXPECT_EQ(Load("a\r\n\r\nb\n\nc\r\rd"), (Lines{"a", "", "b", "", "c", "", "d"}));
  EXPECT_EQ(Load("a\n\rb"), (Lines{"a", "", "b"}));  // LF CR: two line ends
  EXPECT_EQ(Load("\r\n"), (Lines{""}));
  EXPECT_EQ(Load(""), Lines{});
}

TEST(StoreLineEnds, CtrlZAndNulAreShownAsSpaces) {
  EXPECT_EQ(Load(std::string("a\x1A" "b\r\nc\x1A", 7)), (Lines{"a b", "c "}));
  EXPECT_EQ(Load(std::string("a\0b\r\n\0\r\nc", 9)), (Lines{"a b", " ", "c"}));
}

TEST(StoreLineEnds, MissingFileFailsQuietly) {
  ViewHolder view;
  PlatformClearShownMessages();
  EXPECT_EQ(SourceViewLoadFile(view.get(), "/nonexistent/dir/script.qn"), 0);
  EXPECT_EQ(view->lineCount, 0);
  EXPECT_TRUE(PlatformShownMessages().empty());
}

TEST(StoreLineEnds, ASecondLoadStartsAfresh) {
  TempSourceFile first("/* never closed\r\nx\r\ny"), second("a\r\nb");
  ViewHolder view;
  ASSERT_EQ(SourceViewLoadFile(view.get(), first.path()), 1);
  EXPECT_EQ(SourceViewIsCommentLine(view.get(), 1), 1);
  ASSERT_EQ(SourceViewLoadFile(view.get(), second.path()), 1);
  EXPECT_EQ(LineTexts(view.get()), (Lines{"a", "b"}));
  EXPECT_EQ(SourceViewIsCommentLine(view.get(), 1), 0);
}

// A file of numbered lines of `width` bytes each (with CR LF), so that lines
// fall across the block boundaries at every offset.
std::string NumberedLines(int count, int width, Lines* expected) {
  std::string file;
  for (int i = 0; i < count; i++) {
    std::string line = std::to_string(i);
    line.resize(static_cast<size_t>(width), i % 2 ? 'x' : 'y');
    expected->push_back(line);
    file += line + "\r\n";
  }
  return file;
}

TEST(StoreBlocks, LinesAcrossBlockBoundariesAreReadWhole) {
  for (int width : {1, 7, 62, 63, 100, 4095, 4096, 8189, 8190, 8191, 8192, 8193}) {
    Lines expected;
    std::string file = NumberedLines(3 * 8192 / (width + 2) + 3, width, &expected);
    EXPECT_EQ(Load(file), expected) << "lines of " << width << " bytes";
  }
}

TEST(StoreBlocks, CrAndLfSplitByTheBlockEndAreOneLineEnd) {
  std::string first(8191, 'a');
  EXPECT_EQ(Load(first + "\r\nb"), (Lines{first, "b"}));
  EXPECT_EQ(Load(first + "\r\r\nb"), (Lines{first, "", "b"}));
  std::string exact(8192, 'c');  // the line end begins the second block
  EXPECT_EQ(Load(exact + "\r\nd\r\n"), (Lines{exact, "d"}));
  EXPECT_EQ(Load("x\r\n" + std::string(8188, 'e') + "\r\nf"), (Lines{"x", std::string(8188, 'e'), "f"}));
}

TEST(StoreBlocks, LongLinesAreKeptWhole) {
  std::string line300(300, 'w'), line20k;
  for (int i = 0; line20k.size() < 20000; i++) line20k += "word" + std::to_string(i) + " ";
  line20k.resize(20000);
  EXPECT_EQ(Load("a\r\n" + line300 + "\r\nb"), (Lines{"a", line300, "b"}));
  EXPECT_EQ(Load("a\r\n" + line20k + "\r\nb\r\n"), (Lines{"a", line20k, "b"}));
  EXPECT_EQ(Load(line20k), (Lines{line20k}));  // the long line is the last, without a line end

  TempSourceFile file("a\r\n" + line20k + "\r\n");
  ViewHolder view;
  ASSERT_EQ(SourceViewLoadFile(view.get(), file.path()), 1);
  const SourceLine* line = SourceViewLine(view.get(), 1);
  EXPECT_EQ(line->length, 20000);
  EXPECT_EQ(line->lastCharIndex, 19999);
  const SyntaxToken* last = line->tokens;
  while (last->next) last = last->next;
  EXPECT_EQ(last->byteOffset + last->byteLength, 20000);
  EXPECT_EQ(last->lastChar, 19999);
}

TEST(StoreBlocks, OverlongLineIsCutAndTheNextLineKeepsItsNumber) {
  std::string huge(70000, 'z');
  EXPECT_EQ(Load("a\r\n" + huge + "\r\nb"), (Lines{"a", huge.substr(0, kSourceLineMaxBytes), "b"}));
}

TEST(StoreLimit, ExactlyTheLimitLoadsAndOneMoreLineIsRefused) {
  Lines expected;
  std::string file = NumberedLines(kSourceMaxLines, 5, &expected);
  PlatformEchoMessages(false);
  PlatformClearShownMessages();
  EXPECT_EQ(Load(file), expected);
  EXPECT_TRUE(PlatformShownMessages().empty());

  TempSourceFile tooLong(file + "one more");
  ViewHolder view;
  EXPECT_EQ(SourceViewLoadFile(view.get(), tooLong.path()), 0);
  ASSERT_EQ(PlatformShownMessages().size(), 1u);
  const PlatformShownMessage& message = PlatformShownMessages()[0];
  EXPECT_EQ(message.text, "File contains too many line exceeding maximum limit of 16025.");
  EXPECT_EQ(message.caption, "Quendle");
  EXPECT_EQ(message.style, kMessageBoxOk | kMessageBoxExclamation);
  EXPECT_EQ(message.owner, ViewHolder::kParent);
  EXPECT_EQ(view->lineCount, kSourceMaxLines);
  EXPECT_EQ(LineText(view.get(), kSourceMaxLines - 1), expected.back());
}

TEST(StoreCharacters, DoubleByteCharactersCountOnce) {
  PlatformUseDoubleByteCodePage(true);
  // Three double-byte characters, then "a", a double-byte character and "b".
  TempSourceFile file("\x82\xA0\x82\xA2\x82\xA4\r\na\x88\x9F" "b\r\n\x82");
  ViewHolder view;
  ASSERT_EQ(SourceViewLoadFile(view.get(), file.path()), 1);
  ASSERT_EQ(view->lineCount, 3);
  const SourceLine* kana = SourceViewLine(view.get(), 0);
  EXPECT_EQ(kana->length, 6);
  EXPECT_EQ(kana->lastCharIndex, 2);
  const SourceLine* mixed = SourceViewLine(view.get(), 1);
  EXPECT_EQ(mixed->lastCharIndex, 2);
  EXPECT_EQ(SourceLineCharIndex(mixed, 0), 0);
  EXPECT_EQ(SourceLineCharIndex(mixed, 1), 1);
  EXPECT_EQ(SourceLineCharIndex(mixed, 2), 1);  // the trail byte belongs to the character before
  EXPECT_EQ(SourceLineCharIndex(mixed, 3), 2);
  EXPECT_EQ(SourceLineCharIndex(mixed, 4), kNoCharIndex);
  EXPECT_EQ(SourceViewLine(view.get(), 2)->lastCharIndex, 0);  // a lone lead byte at the end
  PlatformUseDoubleByteCodePage(false);
  EXPECT_EQ(SourceViewLine(view.get(), 0)->length, 6);
  EXPECT_EQ(SourceLineCharIndex(kana, 5), 5);
}

TEST(StoreCharacters, EmptyLineHasNoLastCharacter) {
  TempSourceFile file("\r\nx");
  ViewHolder view;
  ASSERT_EQ(SourceViewLoadFile(view.get(), file.path()), 1);
  EXPECT_EQ(SourceViewLine(view.get(), 0)->lastCharIndex, kNoCharIndex);
  EXPECT_EQ(SourceViewLine(view.get(), 0)->tokens, nullptr);
  EXPECT_EQ(SourceViewLine(view.get(), 2), nullptr);
}

// Every allocation of a view and of a load may fail: the view is then not
// made, or the load fails, and nothing is left behind; the sanitizers see
// the rest.
// `step` runs with the n-th allocation failing, after `prepare` made the view.
template <typename Prepare, typename Step>
int FailEachAllocation(Prepare prepare, Step step) {
  PlatformEchoMessages(false);
  int freeSlots = MemPoolFreeSlots();
  int failures = 0;
  for (long n = 1; n < 100000; n++) {
    SourceView* view = prepare();
    MemPoolFailAllocation(n);
    bool done = step(&view);
    MemPoolFailAllocation(0);
    SourceViewFree(view);
    EXPECT_EQ(MemPoolFreeSlots(), freeSlots) << "failing allocation " << n;
    if (done) break;
    failures++;
  }
  return failures;
}

TEST(StoreMemory, EveryFailedAllocationFailsCleanly) {
  ASSERT_EQ(VocabularyLoad(), 1);
  auto none = []() -> SourceView* { return nullptr; };
  EXPECT_GT(FailEachAllocation(none,
                               [](SourceView** view) {
                                 *view = SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly);
                                 return *view && SourceViewAddVocabulary(*view);
                               }),
            600);  // the view, its tables and a vocabulary entry per word

  Lines expected;
  TempSourceFile file(NumberedLines(100, 20, &expected) + "/* open\r\n" + std::string(9000, 'q'));
  auto newView = [] { return SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly); };
  EXPECT_GT(FailEachAllocation(newView, [&file](SourceView** view) { return SourceViewLoadFile(*view, file.path()) == 1; }),
            100);  // a line, a page of the line table, a batch of tokens, a span
}

}  // namespace
