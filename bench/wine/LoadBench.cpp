// Loading under Wine what the native benchmarks load: the debug information
// of the large script (200,000 line records) with the lookup every QNdbgBreak
// makes, and a source file of 16025 lines read and classified into a view.
// Memory is the growth of the process's peak working set across the loads
// (the source file first, as it needs less).
//
//   scripts/wine-run.sh wine build/win64/bin/winbench_LoadBench.exe
#include <windows.h>
#include <psapi.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchScripts.h"
#include "WineBench.h"
#include "memory/List.h"
#include "platform/Platform.h"
#include "sourceview/Classifier.h"
#include "sourceview/SourceStore.h"
#include "sourceview/Vocabulary.h"

namespace {

double PeakWorkingSetMB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

std::string TempPath(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + name;
}

}  // namespace

int main() {
  PlatformSetModule(GetModuleHandleA(nullptr));
  std::printf("| what | time | peak working set growth |\n|---|---:|---:|\n");

  const std::string sourceFile = TempPath("qndbg-loadbench.qn");
  std::ofstream(sourceFile, std::ios::binary) << BenchSourceScript();
  VocabularyLoad();
  double before = PeakWorkingSetMB();
  double sourceNs = WineBenchNsPerCall(1, [&] {
    SourceView* view = SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly);
    SourceViewAddVocabulary(view);
    if (SourceViewLoadFile(view, sourceFile.c_str()) != 1 || view->lineCount != kSourceMaxLines)
      std::fprintf(stderr, "the source file did not load whole\n");
    SourceViewFree(view);
  }, 9);
  double growth = PeakWorkingSetMB() - before;
  std::printf("| load and classify a source file of 16,025 lines | %.1f ms | %.1f MB |\n", sourceNs / 1e6, growth);
  DeleteFileA(sourceFile.c_str());

  std::vector<BenchAddress> addresses;
  const std::string debugFile = TempPath("qndbg-loadbench.dbg");
  std::string error;
  if (!DebugInfoWriteFile(BenchDebugInfo(1, &addresses), debugFile.c_str(), &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  before = PeakWorkingSetMB();
  { BenchTables first(debugFile); }
  growth = PeakWorkingSetMB() - before;
  double loadNs = WineBenchNsPerCall(1, [&] {
    BenchTables tables(debugFile);
    if (!tables.loaded || static_cast<int>(ListCount(tables.lines->records)) != kBenchLineRecords)
      std::fprintf(stderr, "the debug information did not load whole\n");
  }, 5);
  std::printf("| load the debug information (200,000 line records) | %.0f ms | %.1f MB |\n", loadNs / 1e6, growth);

  {
    BenchTables tables(debugFile);
    std::shuffle(addresses.begin(), addresses.end(), std::mt19937(20240601));
    size_t next = 0;
    int32_t line = 0, file = 0;
    double findNs = WineBenchNsPerCall(static_cast<long>(addresses.size()), [&] {
      const BenchAddress& at = addresses[next];
      next = (next + 1) % addresses.size();
      LineTableFindLine(tables.lines, at.block, at.offset, &line, &file);
    });
    std::printf("| `LineTableFindLine`, random addresses | %.0f ns | |\n", findNs);
  }
  DeleteFileA(debugFile.c_str());

  return 0;
}
