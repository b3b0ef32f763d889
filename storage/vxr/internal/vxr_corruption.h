// The consistency checks of the indexed record file driver, numbered. A check
// that fails is reported as "Possible data corruption in file (N)": inside an
// operation as error 90 with that text as the file error text.
#pragma once

#include <string>

namespace zelvo {

enum VxrCheck : int {
  kVxrRecordTooLarge = 1,     // a record over the largest a page can split
  kVxrPageHome = 2,           // a page that does not name its own position
  kVxrPageSize = 3,           // stored or uncompressed size out of bounds
  kVxrPageRuns = 4,           // a compressed record part that does not decode
  kVxrPageRecords = 5,        // records that do not fill the page exactly
  kVxrPageOrder = 6,          // records out of order inside a page
  kVxrPageReference = 7,      // a reference outside every zone
  kVxrTreeShape = 8,          // levels or parent copies that do not fit together
  kVxrShortPage = 9,          // a page that reaches past the end of the file
  kVxrNumberOverflow = 10,    // the last issued number reached 0xFE000000
  kVxrSplitTooFewRecords = 11,
  kVxrZoneLayout = 12,            // page ranges that overlap or run backwards
  kVxrShadow = 13,            // a shadow area that cannot be walked
  kVxrDefinitionStream = 14,  // a table definition that does not decode
  kVxrControlFiles = 15,      // a transaction naming more than 100 control files
  kVxrRecordForm = 16,        // a data record whose key or data part is not of its kind's size
  kVxrLostRecord = 17,        // a key entry naming a data record that is not there
};

inline std::string VxrCorruptionText(int check) {
  return "Possible data corruption in file (" + std::to_string(check) + ")";
}

}  // namespace zelvo
