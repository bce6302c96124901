// The sample scripts compile, install what they promise, and the deliberate
// bug of diskspace.qn is there to be found.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "support/HostScript.h"

namespace {

const std::string kSamples = std::string(QN_SOURCE_DIR) + "/samples/";

struct SampleRun {
  QnProgram program;
  std::string error, output;
  QnVm* vm = nullptr;
  ~SampleRun() { QnVmDestroy(vm); }

  int Run(const char* name, const std::string& sandbox) {
    if (!QnCompileFile(kSamples + name, &program, &error)) return -1;
    QnHostConfig config;
    config.srcDir = kSamples;
    config.sandbox = sandbox;
    config.targetDir = sandbox;
    config.noDelay = true;
    config.print = [](void* user, const std::string& text) { *static_cast<std::string*>(user) += text; };
    config.printUser = &output;
    vm = QnVmCreate(&program, config);
    return QnVmRun(vm);
  }
};

bool IsFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

TEST(HostSamples, SetupInstallsEveryComponentIntoTheTarget) {
  std::string target = testing::TempDir() + "qn_setup_sample";
  SampleRun run;
  ASSERT_EQ(kQnFinished, run.Run("setup.qn", target)) << run.error << QnVmError(run.vm);
  EXPECT_EQ(4u, run.program.files.size());
  EXPECT_NE(std::string::npos, run.output.find("4 components, 6 files")) << run.output;
  for (const char* file : {"notes.exe", "readme.txt", "notes.cfg", "Help/notes.hlp", "Templates/letter.txt",
                           "Templates/memo.txt"}) {
    EXPECT_TRUE(IsFile(target + "/Brightfield/Notes/" + file)) << file;
  }
  std::ifstream config(target + "/Brightfield/Notes/notes.cfg");
  std::string first;
  config >> first;
  EXPECT_EQ("[Notes]", first);
  DebugInfoDescription info;
  EXPECT_EQ(1, QnDebugInfoBuild(run.program, &info, &run.error)) << run.error;
}

TEST(HostSamples, SetupWithoutATargetStopsWithAMessage) {
  SampleRun run;
  ASSERT_EQ(kQnAborted, run.Run("setup.qn", ""));
  EXPECT_NE(std::string::npos, run.output.find("No target folder was given")) << run.output;
}

TEST(HostSamples, DiskspaceHasItsOffByOneBug) {
  SampleRun run;
  ASSERT_EQ(kQnFinished, run.Run("diskspace.qn", ""));
  // 850 + 120 + 45 + 12 + 4200 = 5227 KB are needed; the loop counts from 0
  // to 4 and leaves out the dictionaries.
  EXPECT_EQ("[Information] Enough space: 1027 KB needed, 2000 KB free.\n", run.output);
}
