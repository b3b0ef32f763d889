// The main() of every test executable: the drivers registered as the program
// registers them at start-up, then every test.
#include <gtest/gtest.h>

#include "storage/built_in/built_in_drivers.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  zelvo::RegisterBuiltInDrivers();
  return RUN_ALL_TESTS();
}
