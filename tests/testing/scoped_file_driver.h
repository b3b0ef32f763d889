// ScopedFileDriver: a test's own driver registered for a kind of table while
// the guard lives; the driver it replaced (the built-in one) comes back after.
//
//     ScriptedDriver driver;
//     ScopedFileDriver registered(Driver::Dbase, driver);
//
// Declare the guard after the driver it registers, so it goes first.
#pragma once

#include "storage/file_driver.h"

namespace zelvo::testing_support {

class ScopedFileDriver {
 public:
  ScopedFileDriver(Driver kind, FileDriver& driver) : kind_(kind), previous_(RegisterFileDriver(kind, &driver)) {}
  ~ScopedFileDriver() { (void)RegisterFileDriver(kind_, previous_); }
  ScopedFileDriver(const ScopedFileDriver&) = delete;
  ScopedFileDriver& operator=(const ScopedFileDriver&) = delete;

 private:
  Driver kind_;
  FileDriver* previous_;
};

}  // namespace zelvo::testing_support
