// The debug information of a large script: loading it, and the statement
// lookup that every QNdbgBreak call makes.
//
// The file is written once by the debug information writer (the large script
// of BenchScripts.h: 200,000 line records).
//
//   Load/1         the whole start-up work on the tables: create the four
//                  tables, LoadDebugInfo, destroy them. Counters: the records
//                  loaded per second, and peak_rss_growth, the growth of the
//                  process's peak resident size (getrusage ru_maxrss) across
//                  the first load, i.e. what the tables of one session take
//                  at their peak, pools and all.
//   Load/40        the same for a script 40 times smaller (5,000 records).
//   FindLine/1     LineTableFindLine on the loaded table, the addresses of all
//                  200,000 statements in a shuffled order, one call per
//                  iteration (FindLine/40: the smaller script's 5,000).
//   UnorderedMap   the same lookups in a std::unordered_map<int64_t, ...> of
//                  the same addresses: the yardstick for FindLine.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchScripts.h"
#include "debuginfo/DebugInfoLoader.h"
#include "platform/PlatformTesting.h"

namespace {

// The same script 40 times smaller (5,000 line records, 50 functions, 124
// globals), the size of an ordinary installation script, to show how the load
// grows with the script.
constexpr int kSmallerBy = 40;

struct ScriptFile {
  std::string path;
  std::vector<BenchAddress> addresses;  // every statement, shuffled
  int lineRecords = 0;
  ~ScriptFile() {
    if (!path.empty()) std::remove(path.c_str());
  }
};

// The large script divided by `smallerBy`, written once per run.
const ScriptFile& Script(int smallerBy = 1) {
  static std::map<int, ScriptFile> scripts;
  ScriptFile& made = scripts[smallerBy];
  if (!made.path.empty()) return made;
  DebugInfoDescription info = BenchDebugInfo(smallerBy, &made.addresses);
  made.lineRecords = static_cast<int>(made.addresses.size());
  made.path = "/tmp/qndbg-bench-" + std::to_string(getpid()) + "-" + std::to_string(smallerBy) + ".dbg";
  std::string error;
  if (!DebugInfoWriteFile(info, made.path.c_str(), &error)) std::fprintf(stderr, "%s\n", error.c_str());
  std::shuffle(made.addresses.begin(), made.addresses.end(), std::mt19937(20240601));
  return made;
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Argument: how many times smaller than the large script. The first load of a
// size measures the peak growth; later sizes are smaller and so grow nothing.
void BM_Load(benchmark::State& state) {
  PlatformEchoMessages(false);
  const ScriptFile& file = Script(static_cast<int>(state.range(0)));
  long before = PeakResidentKilobytes();
  { BenchTables first(file.path); }
  long growth = PeakResidentKilobytes() - before;
  for (auto _ : state) {
    BenchTables tables(file.path);
    if (!tables.loaded || static_cast<int>(ListCount(tables.lines->records)) != file.lineRecords)
      state.SkipWithError("load failed");
  }
  state.SetItemsProcessed(state.iterations() * file.lineRecords);
  state.counters["line_records"] = file.lineRecords;
  state.counters["peak_rss_growth_MB"] = static_cast<double>(growth) / 1024.0;
}
BENCHMARK(BM_Load)->Arg(1)->Arg(kSmallerBy)->Unit(benchmark::kMillisecond);

// Argument: as for Load.
void BM_FindLine(benchmark::State& state) {
  const ScriptFile& file = Script(static_cast<int>(state.range(0)));
  static std::map<int, BenchTables> loaded;
  BenchTables& tables = loaded.try_emplace(static_cast<int>(state.range(0)), file.path).first->second;
  const std::vector<BenchAddress>& addresses = file.addresses;
  size_t next = 0;
  for (auto _ : state) {
    const BenchAddress& at = addresses[next];
    next = next + 1 == addresses.size() ? 0 : next + 1;
    int32_t line = 0, file = 0;
    benchmark::DoNotOptimize(LineTableFindLine(tables.lines, at.block, at.offset, &line, &file));
    benchmark::DoNotOptimize(line);
  }
}
BENCHMARK(BM_FindLine)->Arg(1)->Arg(kSmallerBy);

void BM_UnorderedMap(benchmark::State& state) {
  const std::vector<BenchAddress>& addresses = Script().addresses;
  static const std::unordered_map<int64_t, std::pair<int32_t, int32_t>> map = [&] {
    std::unordered_map<int64_t, std::pair<int32_t, int32_t>> made;
    for (const BenchAddress& at : addresses)
      made[(static_cast<int64_t>(at.block) << 32) | static_cast<uint32_t>(at.offset)] = {at.offset + 1, 0};
    return made;
  }();
  size_t next = 0;
  for (auto _ : state) {
    const BenchAddress& at = addresses[next];
    next = next + 1 == addresses.size() ? 0 : next + 1;
    auto found = map.find((static_cast<int64_t>(at.block) << 32) | static_cast<uint32_t>(at.offset));
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_UnorderedMap);

}  // namespace
