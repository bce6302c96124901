// Sample scripts against their golden colouring: each data/*.qn is loaded
// and written out as one line per source line, each token as {element}text
// with the element it is painted with. A mismatch writes the result beside
// the golden file as .new, to be compared and, when right, renamed.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/SourceTextTesting.h"

namespace {

std::string DataFolder() {
  std::string file = __FILE__;
  return file.substr(0, file.find_last_of('/')) + "/data/";
}

std::vector<std::string> SampleScripts() {
  std::vector<std::string> names;
  if (DIR* folder = opendir(DataFolder().c_str())) {
    while (dirent* entry = readdir(folder)) {
      std::string name = entry->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".qn") == 0) names.push_back(name);
    }
    closedir(folder);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Styled(SourceView* view) {
  std::string out;
  for (int32_t index = 0; index < view->lineCount; index++) {
    const SourceLine* line = SourceViewLine(view, index);
    bool wholeLine = SourceViewIsCommentLine(view, index);
    for (const SyntaxToken* token = line->tokens; token; token = token->next) {
      int element = wholeLine ? kColorComment : SyntaxTokenEffectiveElement(view, index, token);
      out += "{" + std::to_string(element) + "}" + std::string(line->text + token->byteOffset, token->byteLength);
    }
    out += "\n";
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ClassifierGolden, SampleScriptsColourAsTheirStyledFiles) {
  std::vector<std::string> scripts = SampleScripts();
  ASSERT_GE(scripts.size(), 3u) << DataFolder();
  for (const std::string& name : scripts) {
    std::string base = DataFolder() + name.substr(0, name.size() - 3);
    ViewHolder view;
    ASSERT_EQ(SourceViewLoadFile(view.get(), (base + ".qn").c_str()), 1) << name;
    std::string styled = Styled(view.get());
    std::string golden = ReadFile(base + ".styled");
    EXPECT_EQ(styled, golden) << name << ": result written to " << base << ".new";
    if (styled != golden) std::ofstream(base + ".new", std::ios::binary) << styled;
    else std::remove((base + ".new").c_str());
  }
}

}  // namespace
