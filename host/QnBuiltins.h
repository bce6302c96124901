// QnBuiltins: the built-in functions a script can call. Each has a signature
// that the parser checks the arguments against, one letter per parameter:
//
//   N  a number          S  a string
//   n  a NUMBER variable that the function sets
//   s  a STRING variable that the function sets
//   *  any further arguments, numbers or strings (Sprintf, SprintfBox)
//
// Every built-in returns a number. The VM passes the arguments on its two
// stacks: the numbers (and, for n and s, variable references) in order on the
// number stack, the strings in order on the string stack.
#pragma once

#include <cstdint>
#include <string>

struct QnVm;

struct QnBuiltinArgs {
  int32_t* numbers;       // the number arguments and variable references, in order
  std::string* strings;   // the string arguments, in order
  int32_t variableCount;  // arguments that matched '*'
  uint32_t variableMask;  // bit i set: the i-th of them is a string
};

typedef int32_t (*QnBuiltinFn)(QnVm* vm, const QnBuiltinArgs& args);

struct QnBuiltin {
  const char* name;
  const char* signature;
  QnBuiltinFn run;
};

constexpr int kQnMaxVariableArguments = 16;

// The built-in of that name (case-sensitive), or null; *index receives its number.
const QnBuiltin* QnBuiltinFind(const std::string& name, int32_t* index);
const QnBuiltin* QnBuiltinAt(int32_t index);
