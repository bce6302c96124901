// The built-in functions. String functions follow the language's habit of
// writing their result into a variable given as the first argument and
// answering 0 (or a negative number on failure). File functions write only
// inside the sandbox folder that the host names (QnHostConfig::sandbox);
// outside it, or without one, they fail as a refused write would.
#include "QnBuiltins.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "HostSystem.h"
#include "QnPath.h"
#include "QnVm.h"

namespace {

constexpr int32_t kExists = 0;
constexpr int32_t kNotExists = -1;
constexpr int32_t kFailed = -1;
constexpr int kMaxFieldWidth = 4096;

void Print(QnVm* vm, const std::string& text) {
  const QnHostConfig& config = QnVmConfig(vm);
  if (config.print) {
    config.print(config.printUser, text);
  } else {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
}

bool FitsString(QnVm* vm, size_t length) {
  if (length <= static_cast<size_t>(kQnMaxStringLength)) return true;
  QnVmFail(vm, "string longer than " + std::to_string(kQnMaxStringLength) + " characters");
  return false;
}

// Reads the '*' arguments in order, each from its own stack.
struct VariableArgs {
  const QnBuiltinArgs& args;
  int32_t nextNumber;  // index into args.numbers
  int32_t nextString;  // index into args.strings
  int32_t taken = 0;
};

// Formats like the C library's printf for %d %i %u %x %X %c %s %%, with the
// flags '-' and '0', a width and a precision. An argument of the wrong kind
// or a missing one is a runtime error.
bool Format(QnVm* vm, const std::string& format, VariableArgs* va, std::string* out) {
  out->clear();
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      *out += c;
      continue;
    }
    if (++i >= format.size()) break;
    if (format[i] == '%') {
      *out += '%';
      continue;
    }
    bool left = false, zero = false;
    for (; i < format.size() && (format[i] == '-' || format[i] == '0'); ++i) {
      left = left || format[i] == '-';
      zero = zero || format[i] == '0';
    }
    int width = 0, precision = -1;
    for (; i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])); ++i) {
      width = std::min(kMaxFieldWidth, width * 10 + (format[i] - '0'));
    }
    if (i < format.size() && format[i] == '.') {
      precision = 0;
      for (++i; i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])); ++i) {
        precision = std::min(kMaxFieldWidth, precision * 10 + (format[i] - '0'));
      }
    }
    if (i >= format.size()) break;
    char conversion = format[i];
    if (!std::strchr("diuxXcs", conversion)) {
      QnVmFail(vm, std::string("unknown conversion %") + conversion + " in the format");
      return false;
    }
    if (va->taken >= va->args.variableCount) {
      QnVmFail(vm, "too few arguments for the format");
      return false;
    }
    bool isString = (va->args.variableMask >> va->taken) & 1u;
    ++va->taken;
    if (isString != (conversion == 's')) {
      QnVmFail(vm, "argument " + std::to_string(va->taken) + " does not fit %" + conversion);
      return false;
    }
    std::string field;
    if (isString) {
      field = va->args.strings[va->nextString++];
      if (precision >= 0 && field.size() > static_cast<size_t>(precision)) field.resize(precision);
    } else {
      int32_t n = va->args.numbers[va->nextNumber++];
      char buffer[32];
      const char* numberFormat = conversion == 'x' ? "%x" : conversion == 'X' ? "%X" : conversion == 'u' ? "%u" : "%d";
      if (conversion == 'c') {
        buffer[0] = static_cast<char>(n);
        buffer[1] = 0;
      } else if (conversion == 'd' || conversion == 'i') {
        std::snprintf(buffer, sizeof buffer, numberFormat, n);
      } else {
        std::snprintf(buffer, sizeof buffer, numberFormat, static_cast<uint32_t>(n));
      }
      field = buffer;
    }
    if (field.size() < static_cast<size_t>(width)) {
      size_t pad = width - field.size();
      if (left) {
        field.append(pad, ' ');
      } else if (zero && !isString) {
        size_t sign = !field.empty() && field[0] == '-' ? 1 : 0;
        field.insert(sign, pad, '0');
      } else {
        field.insert(0, pad, ' ');
      }
    }
    if (!FitsString(vm, out->size() + field.size())) return false;
    *out += field;
  }
  return true;
}

std::string& OutString(QnVm* vm, const QnBuiltinArgs& a, int index) {
  return *QnVmStringRef(vm, a.numbers[index]);
}

// StrLength(szText): its length.
int32_t StrLength(QnVm*, const QnBuiltinArgs& a) { return static_cast<int32_t>(a.strings[0].size()); }

// StrSub(svResult, szText, nStart, nLength): the part from nStart (from 0);
// -1 when nStart lies outside the text.
int32_t StrSub(QnVm* vm, const QnBuiltinArgs& a) {
  const std::string& text = a.strings[0];
  int32_t start = a.numbers[1], length = a.numbers[2];
  std::string& out = OutString(vm, a, 0);
  if (start < 0 || static_cast<size_t>(start) > text.size() || length < 0) {
    out.clear();
    return kFailed;
  }
  out = text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
  return 0;
}

// StrFind(szText, szFind): the position (from 0) of the first occurrence,
// ignoring case; -1 when there is none.
int32_t StrFind(QnVm*, const QnBuiltinArgs& a) {
  const std::string& text = a.strings[0];
  const std::string& find = a.strings[1];
  auto same = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  };
  auto at = std::search(text.begin(), text.end(), find.begin(), find.end(), same);
  return at == text.end() && !find.empty() ? -1 : static_cast<int32_t>(at - text.begin());
}

// StrToNum(nvResult, szText): the decimal number at the start of the text
// (blanks and a sign allowed); -1 when there is none.
int32_t StrToNum(QnVm* vm, const QnBuiltinArgs& a) {
  const std::string& text = a.strings[0];
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return kFailed;
  uint32_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  *QnVmNumberRef(vm, a.numbers[0]) = static_cast<int32_t>(negative ? 0u - value : value);
  return 0;
}

// NumToStr(svResult, nNumber): the number in decimal.
int32_t NumToStr(QnVm* vm, const QnBuiltinArgs& a) {
  OutString(vm, a, 0) = std::to_string(a.numbers[1]);
  return 0;
}

int32_t StrToUpper(QnVm* vm, const QnBuiltinArgs& a) {
  std::string text = a.strings[0];
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  OutString(vm, a, 0) = text;
  return 0;
}

int32_t StrToLower(QnVm* vm, const QnBuiltinArgs& a) {
  std::string text = a.strings[0];
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  OutString(vm, a, 0) = text;
  return 0;
}

// Sprintf(svResult, szFormat, ...): the formatted text; answers its length.
int32_t Sprintf(QnVm* vm, const QnBuiltinArgs& a) {
  VariableArgs va{a, 1, 1};
  std::string text;
  if (!Format(vm, a.strings[0], &va, &text)) return kFailed;
  OutString(vm, a, 0) = text;
  return static_cast<int32_t>(text.size());
}

// StrConcat(svTarget, szMore): appends.
int32_t StrConcat(QnVm* vm, const QnBuiltinArgs& a) {
  std::string& target = OutString(vm, a, 0);
  if (!FitsString(vm, target.size() + a.strings[0].size())) return kFailed;
  target += a.strings[0];
  return 0;
}

// StrCompare(szA, szB): below 0, 0 or above 0 as szA sorts before, with or after szB.
int32_t StrCompare(QnVm*, const QnBuiltinArgs& a) {
  int c = a.strings[0].compare(a.strings[1]);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

const char* CaptionOf(int32_t type) {
  return type == 3 ? "Error" : type == 2 ? "Warning" : "Information";
}

int32_t ShowMessage(QnVm* vm, const std::string& text, const std::string& caption, int32_t type) {
  *QnVmGlobalString(vm, kQnGlobalTempString) = text;
  if (QnVmConfig(vm).messagesToStdout || !HostSystemMessageBox(text, caption, type)) {
    Print(vm, "[" + caption + "] " + text + "\n");
  }
  return 1;
}

// MessageBox(szText, nType): a message box with an OK button; nType is
// INFORMATION, WARNING or SEVERE.
int32_t MessageBox(QnVm* vm, const QnBuiltinArgs& a) {
  return ShowMessage(vm, a.strings[0], CaptionOf(a.numbers[0]), a.numbers[0]);
}

// SprintfBox(nType, szTitle, szFormat, ...): a message box of formatted text.
int32_t SprintfBox(QnVm* vm, const QnBuiltinArgs& a) {
  VariableArgs va{a, 1, 2};
  std::string text;
  if (!Format(vm, a.strings[1], &va, &text)) return kFailed;
  return ShowMessage(vm, text, a.strings[0], a.numbers[0]);
}

// Delay(nSeconds): waits.
int32_t Delay(QnVm* vm, const QnBuiltinArgs& a) {
  if (!QnVmConfig(vm).noDelay) HostSystemSleep(std::min(a.numbers[0], 3600) * 1000);
  return 0;
}

// GetEnvVar(szName, svValue): 0, or -1 when the variable is not set.
int32_t GetEnvVar(QnVm* vm, const QnBuiltinArgs& a) {
  std::string value;
  if (!HostSystemGetEnv(a.strings[0], &value)) return kFailed;
  if (!FitsString(vm, value.size())) return kFailed;
  OutString(vm, a, 0) = value;
  return 0;
}

// ExistsDir(szPath): EXISTS or NOTEXISTS.
int32_t ExistsDir(QnVm*, const QnBuiltinArgs& a) {
  return HostSystemDirExists(a.strings[0]) ? kExists : kNotExists;
}

bool MayWrite(QnVm* vm, const std::string& path) {
  const std::string& sandbox = QnVmConfig(vm).sandbox;
  if (!sandbox.empty() && QnPathInside(HostSystemFullPath(path), HostSystemFullPath(sandbox),
                                       HostSystemNamesIgnoreCase())) {
    return true;
  }
  std::fprintf(stderr, "qnrun: refused to write outside the sandbox folder: %s\n", path.c_str());
  return false;
}

// CreateDir(szPath): creates the folder and its missing parents; 0, or -1.
int32_t CreateDir(QnVm* vm, const QnBuiltinArgs& a) {
  if (!MayWrite(vm, a.strings[0])) return kFailed;
  return HostSystemCreateDir(a.strings[0]) ? 0 : kFailed;
}

// CopyFile(szSource, szTarget): copies one file; a target that is a folder
// (or ends with a separator) receives the file under its own name. 0, or -1.
int32_t CopyFile(QnVm* vm, const QnBuiltinArgs& a) {
  std::string target = a.strings[1];
  if ((!target.empty() && QnPathIsSeparator(target.back())) || HostSystemDirExists(target)) {
    if (!QnPathIsSeparator(target.empty() ? '/' : target.back())) target += HostSystemSeparator();
    target += QnPathLeaf(a.strings[0]);
  }
  if (!MayWrite(vm, target)) return kFailed;
  return HostSystemCopyFile(a.strings[0], target) ? 0 : kFailed;
}

const QnBuiltin kBuiltins[] = {
    {"StrLength", "S", StrLength},     {"StrSub", "sSNN", StrSub},
    {"StrFind", "SS", StrFind},        {"StrToNum", "nS", StrToNum},
    {"NumToStr", "sN", NumToStr},      {"StrToUpper", "sS", StrToUpper},
    {"StrToLower", "sS", StrToLower},  {"Sprintf", "sS*", Sprintf},
    {"StrConcat", "sS", StrConcat},    {"StrCompare", "SS", StrCompare},
    {"MessageBox", "SN", MessageBox},  {"SprintfBox", "NSS*", SprintfBox},
    {"Delay", "N", Delay},             {"GetEnvVar", "Ss", GetEnvVar},
    {"ExistsDir", "S", ExistsDir},     {"CreateDir", "S", CreateDir},
    {"CopyFile", "SS", CopyFile},
};
constexpr int32_t kBuiltinCount = static_cast<int32_t>(sizeof kBuiltins / sizeof kBuiltins[0]);

}  // namespace

const QnBuiltin* QnBuiltinFind(const std::string& name, int32_t* index) {
  for (int32_t i = 0; i < kBuiltinCount; ++i) {
    if (name == kBuiltins[i].name) {
      *index = i;
      return &kBuiltins[i];
    }
  }
  return nullptr;
}

const QnBuiltin* QnBuiltinAt(int32_t index) {
  return index >= 0 && index < kBuiltinCount ? &kBuiltins[index] : nullptr;
}
