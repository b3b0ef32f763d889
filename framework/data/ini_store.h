// IniStore: the program's one store of user settings in a private profile
// file (framework/data/private_profile.h), "zelvo5.INI". Every window procedure
// restores its window's placement when it opens and saves it when it closes,
// in a section named after the procedure:
//
//     [SotrudnikUp]
//     Maximize=No          "Yes" or "No"
//     XPos=120             position, only once closed while not maximized
//     YPos=80
//     Height=400           size, only for resizable windows
//     Width=640
//
// It also loads and writes back the sector list under [Sectors]:
// "__Dont_Touch_Me__" holds the count, "__Dont_Touch_Me___1".. the records as
// FAMILY "," ITEM "," TYPE.
//
// The store reports nothing: a missing file, section or key gives the
// default, a failed write is ignored. Used only by the run token's holder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/window_placement.h"

namespace zelvo {

struct SectorRecord {
  std::string family;  // each at most 99 characters
  std::string item;
  std::string type;
};

class IniStore {
 public:
  static constexpr std::string_view kUnknown = "---Unknown---";

  IniStore() = default;
  IniStore(const IniStore&) = delete;
  IniStore& operator=(const IniStore&) = delete;
  virtual ~IniStore() = default;

  // FILENAME := name (at most 259 characters), then AfterIniInit, then the sectors.
  void InitStore(std::string_view fileName);
  // Writes the sectors back and forgets them.
  void KillStore();

  // The value, or `fallback` when absent: at most 1023 characters, trailing blanks removed.
  virtual std::string GetEntry(std::string_view section, std::string_view key, std::string_view fallback);
  virtual void PutEntry(std::string_view section, std::string_view key, std::string_view value);
  virtual void AfterIniInit() {}
  virtual void BeforeIniKill() {}
  std::string TryGetEntry(std::string_view section, std::string_view key) { return GetEntry(section, key, ""); }
  std::string GetRequiredEntry(std::string_view section, std::string_view key) {
    return GetEntry(section, key, kUnknown);
  }

  void RestoreWindow(std::string_view section, PlacedWindow& window);
  void SaveWindow(std::string_view section, const PlacedWindow& window);

  const std::string& FileName() const { return fileName_; }
  std::vector<SectorRecord>& Sectors() { return sectors_; }

 private:
  void LoadSectors();
  void SaveSectors();

  std::string fileName_;
  std::vector<SectorRecord> sectors_;
};

}  // namespace zelvo
