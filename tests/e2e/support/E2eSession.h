// A debugging session for the end-to-end tests: a script compiled by the
// reference host engine, its debug information written to a fresh folder,
// the real QNDBGC.DLL (from beside the test program) loaded and opened on it,
// and the script run with a SessionDriver working the debugger's windows at
// every stop. What the tests check afterwards: the stops (where the host
// stood), the driver's transcript and failure, the script's messages and its
// final state.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/QnEngine.h"
#include "host/SessionDriver.h"

// A fresh folder under the temporary folder, removed with its files.
class E2eFolder {
 public:
  E2eFolder();
  ~E2eFolder();
  E2eFolder(const E2eFolder&) = delete;
  E2eFolder& operator=(const E2eFolder&) = delete;
  const std::string& Path() const { return path; }
  // Writes the file and answers its full path.
  std::string Write(const std::string& name, const std::string& text) const;

 private:
  std::string path;
};

// The committed samples, as this program reaches them.
std::string SamplePath(const std::string& name);

class E2eSession {
 public:
  // `script` is the path of the main source file; `commands` a session script.
  E2eSession(const std::string& script, const std::string& commands);
  ~E2eSession();
  E2eSession(const E2eSession&) = delete;
  E2eSession& operator=(const E2eSession&) = delete;

  // Compiles, opens the debugger and runs to the end. The VM's run status
  // (kQnFinished, kQnStopped, ...), or -1 when the session could not be
  // started (the reason is in Problem()).
  int Run();

  SessionDriver driver;              // set onStop or shotsFolder before Run
  std::function<void()> beforeOpen;  // runs after the compile, before QNdbgInit
  QnHostConfig config;               // the host's settings; messages are kept below

  const std::vector<SessionStop>& Stops() const { return driver.stops; }
  // The stops as "file(line)" with the file's last component, one a line.
  std::string Places() const;
  const std::string& Transcript() const { return transcript; }
  const std::string& Output() const { return output; }  // the script's messages
  // What went wrong in setting up or in the session; empty when nothing did.
  std::string Problem() const;
  INT_PTR InitResult() const { return initResult; }

  // The script's variables, by name, at a stop or after the run: globals, or
  // the locals of the function the script stands in.
  int32_t Global(const std::string& name) const;
  std::string GlobalText(const std::string& name) const;
  int32_t Local(const std::string& name) const;

 private:
  std::string script;
  E2eFolder folder;  // where the debug information goes
  QnProgram program;
  QnVm* vm = nullptr;
  std::string transcript;
  std::string output;
  std::string problem;
  INT_PTR initResult = 0;
};

// The text of a dialog item of the debugger's main window.
std::string ItemText(HWND window, int id);

// qnrun.exe from beside this program, run to its end (at most `seconds`)
// with the arguments given; its exit code (-1 when it could not be started
// or had to be killed) with what it wrote.
struct QnrunResult {
  DWORD code = static_cast<DWORD>(-1);
  std::string out;
  std::string err;
};
QnrunResult RunQnrun(const std::string& arguments, int seconds = 120);
