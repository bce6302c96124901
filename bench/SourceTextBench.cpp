// Loading and classifying a script of 16025 lines (the most a view takes),
// next to a yardstick: the same file split with std::getline, each line cut
// into the same words and delimiters, each word looked up in a
// std::unordered_map of the vocabulary.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchScripts.h"
#include "memory/List.h"
#include "memory/MemPoolDebug.h"
#include "platform/PlatformTesting.h"
#include "sourceview/Classifier.h"
#include "sourceview/SourceStore.h"
#include "sourceview/SourceView.h"
#include "sourceview/Vocabulary.h"

namespace {


struct ScriptFile {
  std::string path;
  size_t bytes;
  ScriptFile() : path("/tmp/qn_bench_source_" + std::to_string(getpid()) + ".qn") {
    std::string script = BenchSourceScript();
    bytes = script.size();
    std::ofstream(path, std::ios::binary) << script;
    PlatformEchoMessages(false);
    VocabularyLoad();
  }
  ~ScriptFile() { std::remove(path.c_str()); }
};

const ScriptFile& Script() {
  static ScriptFile file;
  return file;
}

long PeakResidentKilobytes() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_SourceViewLoadAndClassify(benchmark::State& state) {
  const ScriptFile& script = Script();
  int segments = 0;
  for (auto _ : state) {
    SourceView* view = SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly);
    SourceViewAddVocabulary(view);
    if (SourceViewLoadFile(view, script.path.c_str()) != 1 || view->lineCount != kSourceMaxLines)
      state.SkipWithError("the script did not load");
    segments = MemPoolSegmentCount(view->pool);
    SourceViewFree(view);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.bytes));
  state.counters["view_KB"] = segments * 64256.0 / 1024;
  state.counters["peak_rss_KB"] = static_cast<double>(PeakResidentKilobytes());
}
BENCHMARK(BM_SourceViewLoadAndClassify)->Unit(benchmark::kMillisecond);

// The part of the above that does not depend on the file.
void BM_SourceViewNewWithVocabulary(benchmark::State& state) {
  Script();
  for (auto _ : state) {
    SourceView* view = SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly);
    SourceViewAddVocabulary(view);
    SourceViewFree(view);
  }
}
BENCHMARK(BM_SourceViewNewWithVocabulary)->Unit(benchmark::kMicrosecond);

// Painting's share: the runs of every line of the loaded script.
void BM_SourceViewRunsOfEveryLine(benchmark::State& state) {
  SourceView* view = SourceViewNew(nullptr, 1, nullptr, kSourceViewReadOnly);
  SourceViewAddVocabulary(view);
  SourceViewLoadFile(view, Script().path.c_str());
  for (auto _ : state) {
    int64_t runs = 0;
    for (int32_t line = 0; line < view->lineCount; line++) runs += SourceViewLineRuns(view, line);
    benchmark::DoNotOptimize(runs);
  }
  SourceViewFree(view);
}
BENCHMARK(BM_SourceViewRunsOfEveryLine)->Unit(benchmark::kMillisecond);

bool IsWordByte(unsigned char c) {
  return c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void BM_GetlineYardstick(benchmark::State& state) {
  const ScriptFile& script = Script();
  for (auto _ : state) {
    std::unordered_map<std::string, int> vocabulary;
    const std::pair<List*, int> lists[] = {{KeywordList, 4}, {FunctionNameList, 2}, {ConstantList, 8}};
    for (const auto& [list, element] : lists)
      for (auto* word = static_cast<const char*>(ListFirst(list)); word; word = static_cast<const char*>(ListNext(list)))
        vocabulary.emplace(word, element);
    std::ifstream in(script.path, std::ios::binary);
    std::string line;
    int64_t lines = 0, found = 0;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines++;
      for (size_t at = 0; at < line.size();) {
        size_t end = at + 1;
        if (IsWordByte(static_cast<unsigned char>(line[at])))
          while (end < line.size() && IsWordByte(static_cast<unsigned char>(line[end]))) end++;
        auto hit = vocabulary.find(line.substr(at, end - at));
        if (hit != vocabulary.end()) found += hit->second;
        at = end;
      }
    }
    if (lines != kSourceMaxLines) state.SkipWithError("the yardstick did not read every line");
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.bytes));
  state.counters["peak_rss_KB"] = static_cast<double>(PeakResidentKilobytes());
}
BENCHMARK(BM_GetlineYardstick)->Unit(benchmark::kMillisecond);

}  // namespace
