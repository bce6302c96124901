// QnLex: the lexer. It turns the text of the main script, and of every file
// that an #include pulls in, into one stream of tokens, and carries out the
// two directives of the language on the way:
//
//   #include "file"   reads the file (relative to the including file's folder)
//                     and lexes it in place; a file that is already being
//                     read further up the chain is an include cycle.
//   #define NAME value
//                     from then on NAME stands for the value: a number, a
//                     negative number, a string, or an earlier NAME.
//
// Directives stand first on their line. Comments are // to the end of the
// line and /* ... */ over any number of lines. Every token carries the file
// and line it came from; the first error stops the lexer, which then returns
// only end-of-file tokens so that the parser's loops wind down.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "QnProgram.h"
#include "QnSource.h"

enum QnTokenType : int {
  TK_EOF = 0,
  // Single-character tokens use their own character code: ( ) , ; : [ ] + - * / % = < > !
  TK_IDENT = 256,
  TK_NUMBER,
  TK_STRING,
  TK_EQ2,  // ==
  TK_NE,   // != or <>
  TK_LE,   // <=
  TK_GE,   // >=
  TK_AND,  // &&
  TK_OR,   // ||
};

struct QnToken {
  int type = TK_EOF;
  std::string text;    // identifier name, or the string literal's value
  int32_t number = 0;  // number literal
  int16_t file = 0;
  int32_t line = 0;
};

struct QnLexFile {
  std::string text;
  size_t at = 0;
  int32_t line = 1;
  int16_t file = 0;
  bool lineStart = true;  // nothing but blanks and comments yet on this line
};

struct QnLexer {
  QnSourceReader reader;
  QnProgram* program = nullptr;          // receives the source files
  std::vector<QnLexFile> stack;          // the file being read is last
  std::map<std::string, QnToken> defines;
  std::string* error = nullptr;          // the first error, "file(line): message"
  bool failed = false;
};

// Opens the main script; false (with the error set) when it cannot be read.
bool QnLexOpen(QnLexer* lex, const std::string& mainPath);
// Predefines a number constant, as #define would.
void QnLexDefine(QnLexer* lex, const std::string& name, int32_t value);
// The next token; TK_EOF at the end of the main script and after an error.
QnToken QnLexNext(QnLexer* lex);
// Records an error at a file and line (only the first one is kept).
void QnLexError(QnLexer* lex, int16_t file, int32_t line, const std::string& message);
