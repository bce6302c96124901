// The colour scheme: its defaults, the settings walk (which keys, in which
// order, how values read and write) and what a view receives.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sourceview/ColorScheme.h"
#include "sourceview/SourceView.h"

namespace {

struct Settings {
  std::map<std::string, std::string> values;
  std::vector<std::pair<std::string, std::string>> written;
};

int Read(void* context, const char* key, char* value) {
  auto& settings = *static_cast<Settings*>(context);
  auto it = settings.values.find(key);
  if (it == settings.values.end() || it->second.empty()) return 0;
  snprintf(value, 144, "%s", it->second.c_str());
  return 1;
}

void Write(void* context, const char* key, const char* value) {
  static_cast<Settings*>(context)->written.emplace_back(key, value);
}

class ColorSchemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ColorSchemeResetForTesting();
    ColorSchemeSetDefaults();
  }
  ColorScheme& scheme = ColorSchemeCurrent();
};

TEST_F(ColorSchemeTest, DefaultsAreTheDocumentedColours) {
  EXPECT_EQ(scheme.foreground[1], 0x008000u);   // comments green
  EXPECT_EQ(scheme.foreground[2], 0x000080u);   // functions dark red
  EXPECT_EQ(scheme.foreground[3], 0x800080u);   // strings purple
  EXPECT_EQ(scheme.foreground[4], 0xFF0000u);   // keywords blue
  EXPECT_EQ(scheme.foreground[8], 0x800000u);   // constants dark blue
  EXPECT_EQ(scheme.background[10], 0x0000FFu);  // breakpoint line on red
  EXPECT_EQ(scheme.foreground[10], 0xFFFFFFu);
  EXPECT_EQ(scheme.background[11], 0u);         // current line white on black
  EXPECT_EQ(scheme.foreground[11], 0xFFFFFFu);
  EXPECT_EQ(scheme.background[7], 0xFFFFFFu);
  EXPECT_EQ(scheme.defaultBackground[6], 0u);
  // A second call keeps colours changed since.
  scheme.foreground[4] = 1;
  ColorSchemeSetDefaults();
  EXPECT_EQ(scheme.foreground[4], 1u);
}

TEST_F(ColorSchemeTest, SavingWritesAllBackgroundKeysBeforeAllForegroundKeys) {
  Settings settings;
  ColorSchemeWriteSettings(Write, &settings);
  ASSERT_EQ(settings.written.size(), 22u);
  EXPECT_EQ(settings.written[0], std::make_pair(std::string("bk_Comment"), std::string("16777215")));
  EXPECT_EQ(settings.written[9], std::make_pair(std::string("bk_brkline"), std::string("255")));
  EXPECT_EQ(settings.written[10].first, "bk_curline");
  EXPECT_EQ(settings.written[11].first, "fg_Comment");
  EXPECT_EQ(settings.written[21], std::make_pair(std::string("fg_curline"), std::string("16777215")));
  scheme.foreground[5] = 0xFFFFFFFFu;  // written as the signed value the file holds
  settings.written.clear();
  ColorSchemeWriteSettings(Write, &settings);
  EXPECT_EQ(settings.written[15].second, "-1");
}

TEST_F(ColorSchemeTest, ReadingIsLenientAndMissingKeysKeepTheirColours) {
  Settings settings;
  settings.values = {{"fg_keyword", "255"},      {"bk_Comment", "  -1x"}, {"fg_string", "red"},
                     {"fg_number", "+12 34"}, {"bk_curline", ""}};
  ColorSchemeReadSettings(Read, &settings);
  EXPECT_EQ(scheme.foreground[4], 255u);  // keywords red
  EXPECT_EQ(scheme.background[1], 0xFFFFFFFFu);
  EXPECT_EQ(scheme.foreground[3], 0u);  // not a number: black
  EXPECT_EQ(scheme.foreground[9], 12u);
  EXPECT_EQ(scheme.background[11], 0u);  // empty: default kept
  EXPECT_EQ(scheme.foreground[1], 0x008000u);
  EXPECT_EQ(ColorSchemeParseValue("\t\n 42"), 42u);
  EXPECT_EQ(ColorSchemeParseValue("-"), 0u);
}

TEST_F(ColorSchemeTest, TheFileIsReadOncePerRun) {
  EXPECT_TRUE(ColorSchemeTakeLoad());
  EXPECT_FALSE(ColorSchemeTakeLoad());
}

TEST_F(ColorSchemeTest, AViewReceivesElementsOneToEleven) {
  SourceView* view = SourceViewNew(nullptr, 401, nullptr, kSourceViewReadOnly);
  ASSERT_NE(view, nullptr);
  scheme.foreground[4] = 0x123456;
  ColorSchemeApply(view);
  EXPECT_EQ(view->foreground[4], 0x123456u);
  EXPECT_EQ(view->background[10], 0x0000FFu);
  EXPECT_EQ(view->foreground[11], 0xFFFFFFu);
  EXPECT_EQ(view->foreground[12], 0u);
  SourceViewFree(view);
}

}  // namespace
