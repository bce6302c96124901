// Feeds arbitrary text to the script compiler as the main script, beside a
// fixed set of in-memory files it may #include (one of which includes the
// main script back, closing a cycle). What compiles is described as debug
// information and run for a bounded number of statements, with its file
// writes refused (no sandbox) and its messages swallowed.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "host/QnEngine.h"

namespace {

const std::map<std::string, std::string>& FixedFiles() {
  static const std::map<std::string, std::string> files = {
      {"lib.qn",
       "prototype STRING Join(STRING, STRING);\n"
       "prototype NUMBER Sum(NUMBER, NUMBER);\n"
       "function Join(a, b) begin return a + \"\\\\\" + b; end;\n"
       "function Sum(x, y) NUMBER t; begin t = x + y; return t; end;\n"},
      {"defs.qn", "#define LIMIT 10\n#define NAME \"fuzz\"\nNUMBER nShared;\nSTRING szShared;\n"},
      {"sub/nested.qn", "#include \"../defs.qn\"\n"},
      {"cycle.qn", "#include \"main.qn\"\n"},
  };
  return files;
}

constexpr int32_t kStatementBudget = 20000;

int Budget(QnVm*, const QnHookEvent&, void* user) {
  int32_t* left = static_cast<int32_t*>(user);
  *left -= 100;
  return *left <= 0 ? 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::map<std::string, std::string> files = FixedFiles();
  files["main.qn"] = std::string(reinterpret_cast<const char*>(data), size);
  QnProgram program;
  std::string error;
  if (!QnCompileMemory(files, "main.qn", &program, &error)) {
    if (error.find('(') == std::string::npos) __builtin_trap();  // every error names file and line
    return 0;
  }
  DebugInfoDescription info;
  std::vector<uint8_t> bytes;
  if (QnDebugInfoBuild(program, &info, &error)) DebugInfoWrite(info, &bytes, &error);

  QnHostConfig config;
  config.noDelay = true;
  config.print = [](void*, const std::string&) {};
  QnVm* vm = QnVmCreate(&program, config);
  int32_t left = kStatementBudget;
  QnVmSetHook(vm, Budget, &left, kQnMaskPoll, 100);
  QnVmRun(vm);
  QnVmDestroy(vm);
  return 0;
}
