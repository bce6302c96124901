#include "QnDebugInfo.h"

int QnDebugInfoBuild(const QnProgram& program, DebugInfoDescription* info, std::string* error) {
  *info = DebugInfoDescription();
  info->mainScript = program.files[0].path;
  info->globalStrings = program.globalStrings;
  info->globalNumbers = program.globalNumbers;
  int currentFile = 0;
  int switches = 0;
  for (size_t b = 0; b < program.blocks.size(); ++b) {
    const QnBlock& block = program.blocks[b];
    bool functionPending = b > 0;
    for (size_t offset = 0; offset < block.statements.size(); ++offset) {
      const QnStatement& s = block.statements[offset];
      if (!s.hasLine) continue;
      const QnSourceFile& file = program.files[s.file];
      if (s.line > kDebugMaxLine) {
        *error = file.name + "(" + std::to_string(s.line) +
                 "): lines beyond 16383 cannot be described to the debugger";
        return 0;
      }
      if (s.file != currentFile) {
        if (++switches > kQnMaxFileSwitches) {
          *error = file.name + "(" + std::to_string(s.line) +
                   "): the statements change their source file more than 255 times";
          return 0;
        }
        DebugInfoAddSwitch(info, file.path);
        currentFile = s.file;
      }
      if (functionPending) {
        DebugInfoAddFunctionRecord(info, block.name, block.stringLocals, block.numberLocals);
        functionPending = false;
      }
      DebugInfoAddLine(info, s.line, static_cast<int>(b), static_cast<int>(offset));
    }
  }
  return 1;
}

int QnDebugInfoWrite(const QnProgram& program, const std::string& path, std::string* error) {
  DebugInfoDescription info;
  if (!QnDebugInfoBuild(program, &info, error)) return 0;
  return DebugInfoWriteFile(info, path.c_str(), error);
}

std::string QnDebugInfoPathFor(const std::string& scriptPath) {
  size_t dot = scriptPath.find_last_of('.');
  size_t slash = scriptPath.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return scriptPath + ".dbg";
  return scriptPath.substr(0, dot) + ".dbg";
}
