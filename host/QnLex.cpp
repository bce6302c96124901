#include "QnLex.h"

#include <cctype>

namespace {

constexpr size_t kMaxNameLength = 59;  // the debugger keeps names of up to 59 bytes

bool IsNameStart(int c) { return std::isalpha(c) || c == '_'; }
bool IsNameChar(int c) { return std::isalnum(c) || c == '_'; }

int Peek(const QnLexFile& f, size_t ahead = 0) {
  return f.at + ahead < f.text.size() ? static_cast<unsigned char>(f.text[f.at + ahead]) : -1;
}

std::string FileName(const QnLexer* lex, int16_t file) {
  return file >= 0 && static_cast<size_t>(file) < lex->program->files.size()
             ? lex->program->files[file].name
             : std::string("?");
}

// Steps over blanks, line ends and comments. False on an unterminated comment.
bool SkipBlanks(QnLexer* lex, QnLexFile* f) {
  for (;;) {
    int c = Peek(*f);
    if (c == '\n' || c == '\r') {
      f->at += (c == '\r' && Peek(*f, 1) == '\n') ? 2 : 1;
      ++f->line;
      f->lineStart = true;
    } else if (c >= 0 && c <= ' ') {
      ++f->at;  // blanks, tabs, Ctrl-Z and other control bytes
    } else if (c == '/' && Peek(*f, 1) == '/') {
      while (Peek(*f) >= 0 && Peek(*f) != '\n' && Peek(*f) != '\r') ++f->at;
    } else if (c == '/' && Peek(*f, 1) == '*') {
      int32_t startLine = f->line;
      f->at += 2;
      for (;;) {
        int d = Peek(*f);
        if (d < 0) {
          QnLexError(lex, f->file, startLine, "comment not closed");
          return false;
        }
        if (d == '*' && Peek(*f, 1) == '/') {
          f->at += 2;
          break;
        }
        if (d == '\n' || (d == '\r' && Peek(*f, 1) != '\n')) ++f->line;
        ++f->at;
      }
    } else {
      return true;
    }
  }
}

bool LexNumber(QnLexer* lex, QnLexFile* f, QnToken* tok) {
  uint64_t value = 0;
  bool hex = Peek(*f) == '0' && (Peek(*f, 1) == 'x' || Peek(*f, 1) == 'X');
  size_t start = f->at;
  if (hex) {
    f->at += 2;
    if (!std::isxdigit(Peek(*f))) {
      QnLexError(lex, f->file, f->line, "bad number");
      return false;
    }
    while (std::isxdigit(Peek(*f))) {
      int c = Peek(*f);
      value = value * 16 + (std::isdigit(c) ? c - '0' : (std::tolower(c) - 'a' + 10));
      if (value > 0xFFFFFFFFull) break;
      ++f->at;
    }
  } else {
    while (std::isdigit(Peek(*f))) {
      value = value * 10 + (Peek(*f) - '0');
      if (value > 0xFFFFFFFFull) break;
      ++f->at;
    }
  }
  if (IsNameChar(Peek(*f))) {
    QnLexError(lex, f->file, f->line, "bad number " + f->text.substr(start, f->at - start + 1));
    return false;
  }
  // Decimal literals up to 2147483647; hex ones fill all 32 bits (0xFFFFFFFF is -1).
  if ((!hex && value > 0x7FFFFFFFull) || value > 0xFFFFFFFFull) {
    QnLexError(lex, f->file, f->line, "number too large");
    return false;
  }
  tok->type = TK_NUMBER;
  tok->number = static_cast<int32_t>(static_cast<uint32_t>(value));
  return true;
}

// A string literal: "..." on one line. \n, \t, \r and \\ are escapes; any
// other backslash stands for itself, so that C:\Temp reads as written.
bool LexString(QnLexer* lex, QnLexFile* f, QnToken* tok) {
  ++f->at;
  tok->type = TK_STRING;
  for (;;) {
    int c = Peek(*f);
    if (c < 0 || c == '\n' || c == '\r') {
      QnLexError(lex, f->file, f->line, "string not closed");
      return false;
    }
    ++f->at;
    if (c == '"') return true;
    if (c == '\\') {
      int d = Peek(*f);
      if (d == 'n' || d == 't' || d == 'r' || d == '\\') {
        ++f->at;
        c = d == 'n' ? '\n' : d == 't' ? '\t' : d == 'r' ? '\r' : '\\';
      }
    }
    if (tok->text.size() >= static_cast<size_t>(kQnMaxStringLength)) {
      QnLexError(lex, f->file, f->line, "string too long");
      return false;
    }
    tok->text += static_cast<char>(c);
  }
}

// One token of the current file, without directives or #define substitution.
// TK_EOF at the end of this file.
bool LexRaw(QnLexer* lex, QnLexFile* f, QnToken* tok) {
  *tok = QnToken();
  if (!SkipBlanks(lex, f)) return false;
  tok->file = f->file;
  tok->line = f->line;
  int c = Peek(*f);
  if (c < 0) return true;
  f->lineStart = false;
  if (IsNameStart(c)) {
    size_t start = f->at;
    while (IsNameChar(Peek(*f))) ++f->at;
    tok->type = TK_IDENT;
    tok->text = f->text.substr(start, f->at - start);
    if (tok->text.size() > kMaxNameLength) {
      QnLexError(lex, f->file, f->line, "name longer than 59 characters: " + tok->text.substr(0, 20) + "...");
      return false;
    }
    return true;
  }
  if (std::isdigit(c)) return LexNumber(lex, f, tok);
  if (c == '"') return LexString(lex, f, tok);
  int d = Peek(*f, 1);
  struct Pair { char a, b; int type; };
  static const Pair kPairs[] = {{'=', '=', TK_EQ2}, {'!', '=', TK_NE}, {'<', '>', TK_NE},
                                {'<', '=', TK_LE},  {'>', '=', TK_GE}, {'&', '&', TK_AND},
                                {'|', '|', TK_OR}};
  for (const Pair& pair : kPairs) {
    if (c == pair.a && d == pair.b) {
      f->at += 2;
      tok->type = pair.type;
      return true;
    }
  }
  static const char kSingles[] = "(),;:[]+-*/%=<>!#";
  for (const char* s = kSingles; *s; ++s) {
    if (c == static_cast<unsigned char>(*s)) {
      ++f->at;
      tok->type = c;
      return true;
    }
  }
  char shown[16];
  std::snprintf(shown, sizeof shown, c >= 32 && c < 127 ? "'%c'" : "byte %d", c);
  QnLexError(lex, f->file, f->line, std::string("unexpected character ") + shown);
  return false;
}

int16_t FileIndex(QnLexer* lex, const std::string& path) {
  std::vector<QnSourceFile>& files = lex->program->files;
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i].name == path) return static_cast<int16_t>(i);
  }
  files.push_back(QnSourceFile{path, QnSourceFullPath(lex->reader, path)});
  return static_cast<int16_t>(files.size() - 1);
}

bool PushFile(QnLexer* lex, const std::string& path) {
  QnLexFile f;
  if (!QnSourceRead(lex->reader, path, &f.text)) return false;
  f.file = FileIndex(lex, path);
  lex->stack.push_back(std::move(f));
  return true;
}

// The rest of a directive's line must be empty (a // comment may follow).
bool EndOfDirective(QnLexer* lex, QnLexFile* f) {
  while (Peek(*f) == ' ' || Peek(*f) == '\t') ++f->at;
  int c = Peek(*f);
  if (c < 0 || c == '\n' || c == '\r' || (c == '/' && Peek(*f, 1) == '/')) return true;
  QnLexError(lex, f->file, f->line, "unexpected text after the directive");
  return false;
}

bool DirectiveInclude(QnLexer* lex, QnLexFile* f, int32_t line) {
  QnToken name;
  if (!LexRaw(lex, f, &name)) return false;
  if (name.type != TK_STRING || name.line != line) {
    QnLexError(lex, f->file, line, "#include needs a file name in double quotes");
    return false;
  }
  if (!EndOfDirective(lex, f)) return false;
  std::string path = QnSourceResolve(lex->program->files[f->file].name, name.text);
  for (const QnLexFile& open : lex->stack) {
    if (lex->program->files[open.file].name == path) {
      std::string chain;
      for (const QnLexFile& link : lex->stack) chain += lex->program->files[link.file].name + " -> ";
      QnLexError(lex, f->file, line, "include cycle: " + chain + path);
      return false;
    }
  }
  if (lex->stack.size() >= static_cast<size_t>(kQnMaxIncludeDepth)) {
    QnLexError(lex, f->file, line, "includes nested too deeply");
    return false;
  }
  int16_t includer = f->file;  // f dangles once the stack grows
  if (!PushFile(lex, path)) {
    QnLexError(lex, includer, line, "cannot open include file \"" + name.text + "\"");
    return false;
  }
  return true;
}

bool DirectiveDefine(QnLexer* lex, QnLexFile* f, int32_t line) {
  QnToken name, value;
  if (!LexRaw(lex, f, &name)) return false;
  if (name.type != TK_IDENT || name.line != line) {
    QnLexError(lex, f->file, line, "#define needs a name");
    return false;
  }
  if (!LexRaw(lex, f, &value)) return false;
  bool negative = value.type == '-' && value.line == line;
  if (negative && !LexRaw(lex, f, &value)) return false;
  if (value.line != line) value.type = TK_EOF;
  if (value.type == TK_IDENT) {
    auto earlier = lex->defines.find(value.text);
    if (earlier != lex->defines.end()) value = earlier->second;
  }
  if (value.type == TK_NUMBER && negative) {
    value.number = static_cast<int32_t>(0u - static_cast<uint32_t>(value.number));
  } else if (negative || (value.type != TK_NUMBER && value.type != TK_STRING)) {
    QnLexError(lex, f->file, line, "#define " + name.text + " needs a number or a string");
    return false;
  }
  if (!EndOfDirective(lex, f)) return false;
  auto old = lex->defines.find(name.text);
  if (old != lex->defines.end() &&
      (old->second.type != value.type || old->second.number != value.number ||
       old->second.text != value.text)) {
    QnLexError(lex, f->file, line, name.text + " is already defined with another value");
    return false;
  }
  lex->defines[name.text] = value;
  return true;
}

}  // namespace

void QnLexError(QnLexer* lex, int16_t file, int32_t line, const std::string& message) {
  if (lex->failed) return;
  lex->failed = true;
  if (lex->error) *lex->error = FileName(lex, file) + "(" + std::to_string(line) + "): " + message;
}

bool QnLexOpen(QnLexer* lex, const std::string& mainPath) {
  std::string path = QnSourceResolve(std::string(), mainPath);
  if (!PushFile(lex, path)) {
    lex->failed = true;
    if (lex->error) *lex->error = mainPath + "(0): cannot open the script file";
    return false;
  }
  return true;
}

void QnLexDefine(QnLexer* lex, const std::string& name, int32_t value) {
  QnToken tok;
  tok.type = TK_NUMBER;
  tok.number = value;
  lex->defines[name] = tok;
}

QnToken QnLexNext(QnLexer* lex) {
  QnToken tok;
  while (!lex->failed && !lex->stack.empty()) {
    QnLexFile* f = &lex->stack.back();
    if (!SkipBlanks(lex, f)) break;
    bool directive = f->lineStart && Peek(*f) == '#';
    int32_t line = f->line;
    if (!LexRaw(lex, f, &tok)) break;
    if (tok.type == TK_EOF) {
      lex->stack.pop_back();
      continue;
    }
    if (directive) {
      QnToken word;
      if (!LexRaw(lex, f, &word)) break;
      if (word.type == TK_IDENT && word.line == line && word.text == "include") {
        if (!DirectiveInclude(lex, f, line)) break;
      } else if (word.type == TK_IDENT && word.line == line && word.text == "define") {
        if (!DirectiveDefine(lex, f, line)) break;
      } else {
        QnLexError(lex, f->file, line,
                   "unknown directive #" + (word.type == TK_IDENT ? word.text : std::string()));
        break;
      }
      continue;
    }
    if (tok.type == '#') {
      QnLexError(lex, f->file, line, "a directive must stand first on its line");
      break;
    }
    if (tok.type == TK_IDENT) {
      auto defined = lex->defines.find(tok.text);
      if (defined != lex->defines.end()) {
        QnToken value = defined->second;
        value.file = tok.file;
        value.line = tok.line;
        return value;
      }
    }
    return tok;
  }
  return QnToken();
}
