// Helpers for the tests of the reference host engine: compile a script from
// in-memory files and run it with its messages captured.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "host/QnEngine.h"

struct HostScript {
  std::map<std::string, std::string> files;
  QnProgram program;
  std::string error;     // compile error
  std::string output;    // what MessageBox and SprintfBox printed
  QnHostConfig config;
  QnVm* vm = nullptr;

  HostScript() = default;
  explicit HostScript(const std::string& mainText) { files["main.qn"] = mainText; }
  ~HostScript() { QnVmDestroy(vm); }
  HostScript(const HostScript&) = delete;
  HostScript& operator=(const HostScript&) = delete;

  bool Compile(const std::string& mainPath = "main.qn") {
    return QnCompileMemory(files, mainPath, &program, &error);
  }

  // Creates the VM (after a successful compile), ready for hooks and breakpoints.
  QnVm* Prepare() {
    config.print = [](void* user, const std::string& text) { *static_cast<std::string*>(user) += text; };
    config.printUser = &output;
    config.noDelay = true;
    vm = QnVmCreate(&program, config);
    return vm;
  }

  // Compiles and runs; the run status, or -1 when it did not compile.
  int Run() {
    if (!Compile()) return -1;
    Prepare();
    return QnVmRun(vm);
  }

  int32_t Number(const char* name) const {
    for (size_t i = 0; i < program.globalNumbers.size(); ++i) {
      if (program.globalNumbers[i] == name) return QnVmGetNumber(vm, static_cast<int32_t>(i), &value) ? value : -999999;
    }
    ADD_FAILURE() << "no global number " << name;
    return 0;
  }

  std::string String(const char* name) const {
    for (size_t i = 0; i < program.globalStrings.size(); ++i) {
      std::string text;
      if (program.globalStrings[i] == name && QnVmGetString(vm, static_cast<int32_t>(i), &text)) return text;
    }
    ADD_FAILURE() << "no global string " << name;
    return std::string();
  }

  // The address of the first statement on a line of a file.
  bool AddressOf(int line, int32_t* block, int32_t* offset, int file = 0) const {
    for (size_t b = 0; b < program.blocks.size(); ++b) {
      const std::vector<QnStatement>& statements = program.blocks[b].statements;
      for (size_t o = 0; o < statements.size(); ++o) {
        if (statements[o].hasLine && statements[o].line == line && statements[o].file == file) {
          *block = static_cast<int32_t>(b);
          *offset = static_cast<int32_t>(o);
          return true;
        }
      }
    }
    return false;
  }

  const QnStatement* StatementOnLine(int line, int file = 0) const {
    int32_t b, o;
    return AddressOf(line, &b, &o, file) ? &program.blocks[b].statements[o] : nullptr;
  }

 private:
  mutable int32_t value = 0;
};
