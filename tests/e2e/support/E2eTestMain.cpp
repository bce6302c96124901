// main() of every end-to-end test program. Unlike the Windows tests, these
// programs do not hold the library's code: they load QNDBGC.DLL from beside
// themselves, as qnrun does.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
