// What the tests of the source text share: a temporary source file, a view
// with the language's vocabulary, and a line's tokens as plain values.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "sourceview/Classifier.h"
#include "sourceview/SourceStore.h"
#include "sourceview/SourceView.h"
#include "sourceview/Vocabulary.h"

// A file with the given bytes, removed again at the end of the scope.
class TempSourceFile {
 public:
  explicit TempSourceFile(const std::string& bytes) {
    static int serial = 0;
    path_ = "/tmp/qn_source_" + std::to_string(getpid()) + "_" + std::to_string(serial++) + ".qn";
    FILE* file = std::fopen(path_.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path_;
    if (!file) return;
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
  }
  ~TempSourceFile() { std::remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// A fresh view owned by a made-up parent window, with the vocabulary entered.
class ViewHolder {
 public:
  ViewHolder() {
    if (!KeywordList) EXPECT_EQ(VocabularyLoad(), 1);
    view_ = SourceViewNew(kParent, 1, nullptr, kSourceViewReadOnly);
    EXPECT_NE(view_, nullptr);
    if (view_) EXPECT_EQ(SourceViewAddVocabulary(view_), 1);
  }
  ~ViewHolder() { SourceViewFree(view_); }
  SourceView* operator->() const { return view_; }
  SourceView* get() const { return view_; }

  static inline HWND const kParent = reinterpret_cast<HWND>(static_cast<intptr_t>(0x5150));

  // Stores each line of `lines` as the next line of the view.
  void Append(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
      ASSERT_EQ(SourceViewAppendLine(view_, line.data(), static_cast<uint32_t>(line.size())), 1);
  }

 private:
  SourceView* view_ = nullptr;
};

inline std::string LineText(const SourceView* view, int32_t index) {
  const SourceLine* line = SourceViewLine(view, index);
  return line ? std::string(line->text, line->length) : std::string("<no line>");
}

inline std::vector<std::string> LineTexts(const SourceView* view) {
  std::vector<std::string> texts;
  for (int32_t i = 0; i < view->lineCount; i++) texts.push_back(LineText(view, i));
  return texts;
}

// A token as the tests look at it: its first byte, its byte length and the
// element it is painted with.
struct Tok {
  char first;
  int length;
  int element;
  bool operator==(const Tok& other) const {
    return first == other.first && length == other.length && element == other.element;
  }
};
inline std::ostream& operator<<(std::ostream& out, const Tok& tok) {
  return out << "{'" << tok.first << "'," << tok.length << "," << tok.element << "}";
}

inline std::vector<Tok> TokensOf(SourceView* view, int32_t index) {
  std::vector<Tok> tokens;
  const SourceLine* line = SourceViewLine(view, index);
  if (!line) return tokens;
  for (const SyntaxToken* token = line->tokens; token; token = token->next)
    tokens.push_back({line->text[token->byteOffset], token->byteLength,
                      SyntaxTokenEffectiveElement(view, index, token)});
  return tokens;
}
