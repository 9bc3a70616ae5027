// The test main shared by every test program. Widget tests run without a display.

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
#ifdef _WIN32
  if (!std::getenv("QT_QPA_PLATFORM")) _putenv_s("QT_QPA_PLATFORM", "offscreen");
#else
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
