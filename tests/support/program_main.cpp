// The program's own start and end around the tests: the application object,
// the shell layer, COM for the main thread; then all of it ended in reverse.
#include <gtest/gtest.h>

#include <memory>

#include "framework/application.h"
#include "shellcore/shell_common.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  framework::TApplication application;
  shellcore::ShellCommonStartup();
  auto com = std::make_unique<framework::TComApartment>();
  const int result = RUN_ALL_TESTS();
  shellcore::ShellCommonShutdown();
  com.reset();
  return result;
}
