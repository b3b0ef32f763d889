// The program's built-in file drivers: the indexed record file for the payroll
// tables, the dBase driver for the pension fund's tables and the ASCII driver
// for the income-tax export. The storage base knows drivers only through its
// registry (storage/file_driver.h); this is where the three are put in it.
//
// Called at start-up, before the first file operation; calling it again
// changes nothing. Process-wide, like the drivers themselves.
#pragma once

namespace zelvo {

void RegisterBuiltInDrivers();

}  // namespace zelvo
