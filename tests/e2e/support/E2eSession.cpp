#include "E2eSession.h"

#include <gtest/gtest.h>

#include "host/DebuggerLink.h"

namespace {

// A fresh folder under the temporary folder.
std::string MakeFolder() {
  char base[MAX_PATH], folder[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  GetTempFileNameA(base, "e2e", 0, folder);  // makes a file of that name
  DeleteFileA(folder);
  CreateDirectoryA(folder, nullptr);
  return folder;
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolder(folder + "\\" + name);
      else DeleteFileA((folder + "\\" + name).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string LastComponent(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int32_t IndexOf(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace

std::string SamplePath(const std::string& name) {
  // The source tree's Unix path, reached through Wine's drive of the root.
  std::string root = QN_SOURCE_DIR;
  return (root[0] == '/' ? "Z:" + root : root) + "/samples/" + name;
}

std::string ItemText(HWND window, int id) {
  char text[1100] = "";
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

E2eSession::E2eSession(const std::string& script, const std::string& commands) : script(script) {
  std::string error;
  if (!SessionScriptParse(commands, &driver.script, &error)) problem = "session script: " + error;
  driver.note = [this](const std::string& line) { transcript += line + "\n"; };
  driver.windowTimeoutMs = 10000;
  config.noDelay = true;
  config.messagesToStdout = true;
  config.print = [](void* user, const std::string& text) { *static_cast<std::string*>(user) += text; };
  config.printUser = &output;
}

E2eSession::~E2eSession() { QnVmDestroy(vm); }

int E2eSession::Run() {
  if (!problem.empty()) return -1;
  std::string error;
  if (!QnCompileFile(script, &program, &error)) {
    problem = "compile: " + error;
    return -1;
  }
  std::string debugFile = folder.Path() + "\\" + LastComponent(script) + ".dbg";
  if (!QnDebugInfoWrite(program, debugFile, &error)) {
    problem = "debug information: " + error;
    return -1;
  }
  // SRCDIR, as qnrun sets it: the script's folder.
  if (config.srcDir.empty()) config.srcDir = script.substr(0, script.find_last_of("\\/"));
  vm = QnVmCreate(&program, config);
  DebuggerLink link;
  if (!DebuggerLibraryLoad(DebuggerLibraryDefaultPath(), &link.api, &error)) {
    problem = error;
    return -1;
  }
  link.waitWhileSuspended = DebuggerMessageLoop;
  link.pollMessages = DebuggerPollMessages;
  SessionDriverAttach(&driver, &link);
  if (beforeOpen) beforeOpen();
  initResult = DebuggerLinkOpen(&link, vm, debugFile.c_str());
  int status = -1;
  if (initResult) status = QnVmRun(vm);
  else problem = "QNdbgInit failed on " + debugFile;
  DebuggerLinkClose(&link);
  DebuggerLibraryFree();
  SessionDriverFinish(&driver);
  return status;
}

std::string E2eSession::Places() const {
  std::string places;
  for (const SessionStop& stop : driver.stops) places += LastComponent(stop.file) + "(" + std::to_string(stop.line) + ")\n";
  return places;
}

std::string E2eSession::Problem() const {
  if (!problem.empty()) return problem;
  return driver.failure;
}

int32_t E2eSession::Global(const std::string& name) const {
  int32_t value = 0, index = IndexOf(program.globalNumbers, name);
  if (index < 0 || !QnVmGetNumber(vm, index, &value)) ADD_FAILURE() << "no global number " << name;
  return value;
}

std::string E2eSession::GlobalText(const std::string& name) const {
  std::string value;
  int32_t index = IndexOf(program.globalStrings, name);
  if (index < 0 || !QnVmGetString(vm, index, &value)) ADD_FAILURE() << "no global string " << name;
  return value;
}

int32_t E2eSession::Local(const std::string& name) const {
  QnActivation here;
  int32_t value = 0;
  if (!QnVmGetActivation(vm, 0, &here)) {
    ADD_FAILURE() << "the script stands nowhere";
    return 0;
  }
  int32_t index = IndexOf(program.blocks[static_cast<size_t>(here.block)].numberLocals, name);
  if (index < 0 || !QnVmGetNumber(vm, -101 - index, &value)) ADD_FAILURE() << "no local number " << name << " here";
  return value;
}

E2eFolder::E2eFolder() : path(MakeFolder()) {}

E2eFolder::~E2eFolder() { RemoveFolder(path); }

std::string E2eFolder::Write(const std::string& name, const std::string& text) const {
  std::string file = path + "\\" + name;
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = handle != INVALID_HANDLE_VALUE && WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  if (!ok) ADD_FAILURE() << "cannot write " << file;
  return file;
}

namespace {

std::string ReadAll(const std::string& file) {
  std::string text;
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(handle, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(handle);
  // One line end for the tests to compare, whatever the program wrote.
  std::string lines;
  for (char c : text) {
    if (c != '\r') lines += c;
  }
  return lines;
}

HANDLE Inheritable(const std::string& file) {
  SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
  return CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

QnrunResult RunQnrun(const std::string& arguments, int seconds) {
  QnrunResult result;
  char program[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string qnrun(program, n);
  qnrun = qnrun.substr(0, qnrun.find_last_of("\\/") + 1) + "qnrun.exe";
  E2eFolder folder;
  std::string outFile = folder.Path() + "\\out.txt", errFile = folder.Path() + "\\err.txt";
  HANDLE out = Inheritable(outFile), err = Inheritable(errFile);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  std::string command = "\"" + qnrun + "\" " + arguments;
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &result.code);
    } else {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
      ADD_FAILURE() << "qnrun.exe " << arguments << " did not end within " << seconds << " s";
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  } else {
    ADD_FAILURE() << "cannot start " << qnrun;
  }
  CloseHandle(out);
  CloseHandle(err);
  result.out = ReadAll(outFile);
  result.err = ReadAll(errFile);
  return result;
}
