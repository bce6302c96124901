// Arbitrary bytes as a script source file: loaded into a fresh view with the
// language's vocabulary, classified, and every line laid out the way painting
// asks for it. Inputs whose first byte is odd are read with the double-byte
// character stepping switched on. Besides the sanitizers, the layout is
// checked: tokens and runs cover each line exactly and carry real elements.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "memory/MemPool.h"
#include "platform/PlatformTesting.h"
#include "sourceview/Classifier.h"
#include "sourceview/SourceStore.h"
#include "sourceview/SourceView.h"
#include "sourceview/Vocabulary.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckLine(SourceView* view, int32_t index) {
  const SourceLine* line = SourceViewLine(view, index);
  Check(line && line->text[line->length] == 0);
  // Walk the characters along the tokens: each token ends on a character
  // boundary and its indexes count the characters before it.
  const char* character = line->text;
  int32_t offset = 0, characters = 0;
  LineComments comments = SourceViewLineComments(view, index);
  for (const SyntaxToken* token = line->tokens; token; token = token->next) {
    Check(token->byteOffset == offset && token->byteLength > 0 && token->firstChar == characters);
    offset += token->byteLength;
    while (character < line->text + offset) character = SourceCharNext(character), characters++;
    Check(character == line->text + offset && token->lastChar == characters - 1);
    uint8_t element = SyntaxTokenElementIn(&comments, token);
    Check(element >= kColorComment && element <= kColorNumber && element != kColorLabel);
  }
  Check(offset == line->length && characters - 1 == line->lastCharIndex);

  int32_t runs = SourceViewLineRuns(view, index);
  Check(runs <= kSourceMaxRuns);
  const char* expected = line->text;
  for (int32_t i = 0; i < runs; i++) {
    Check(view->runs[i].text == expected && view->runs[i].length > 0);
    expected += view->runs[i].length;
  }
  Check(expected == line->text + line->length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/qn_fuzz_source_" + std::to_string(getpid()) + ".qn";
  static bool ready = [] {
    PlatformEchoMessages(false);
    return VocabularyLoad() == 1;
  }();
  Check(ready);

  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  PlatformUseDoubleByteCodePage(size > 0 && (data[0] & 1));
  SourceView* view = SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly);
  Check(view && SourceViewAddVocabulary(view));
  int loaded = SourceViewLoadFile(view, path.c_str());
  Check(loaded || view->lineCount == kSourceMaxLines);
  if (view->lineCount > 0) SourceViewSetLineMark(view, static_cast<int32_t>(size % view->lineCount), kColorBreakpoint, kMarkBreakpoint);
  for (int32_t index = 0; index < view->lineCount; index++) CheckLine(view, index);
  SourceViewFree(view);
  PlatformUseDoubleByteCodePage(false);
  PlatformClearShownMessages();
  return 0;
}
