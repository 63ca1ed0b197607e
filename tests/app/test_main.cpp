// The program's own start, around the tests: the application object first,
// COM for the main thread, and both ended in reverse.
#include <gtest/gtest.h>

#include <memory>

#include "framework/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  framework::TApplication application;
  auto com = std::make_unique<framework::TComApartment>();
  const int result = RUN_ALL_TESTS();
  com.reset();
  return result;
}
