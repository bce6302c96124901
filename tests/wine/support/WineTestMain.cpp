// main() of every Windows test program. The program links the library's
// objects and resources itself, so its own module is the library's module:
// string tables, dialog templates and bitmaps load from it.
//
// While each test runs, a guard answers any message box or modal dialog that
// the test did not expect and reports it as a failure, so that a modal window
// fails the test instead of hanging it until the time limit.
#include <gtest/gtest.h>

#include "WineTestSupport.h"
#include "platform/Platform.h"

namespace {

class UnexpectedBoxGuard : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    guard = new MessageBoxWatcher(IDCANCEL);
    guard->onShown = [](const ShownBox& box) {
      ADD_FAILURE() << "unexpected dialog box \"" << box.caption << "\": \"" << box.text << "\"";
    };
  }
  void OnTestEnd(const testing::TestInfo&) override {
    delete guard;
    guard = nullptr;
  }
  MessageBoxWatcher* guard = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  PlatformSetModule(GetModuleHandleA(nullptr));
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new UnexpectedBoxGuard);
  return RUN_ALL_TESTS();
}
