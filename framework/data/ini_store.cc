#include "framework/data/ini_store.h"

#include <charconv>

#include "framework/data/private_profile.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

constexpr std::string_view kSectors = "Sectors";
constexpr std::string_view kCountKey = "__Dont_Touch_Me__";
constexpr std::size_t kMaxFileName = 259;
constexpr std::size_t kMaxValue = 1023;
constexpr std::size_t kMaxSectorLine = 999;
constexpr std::size_t kMaxSectorField = 99;
constexpr std::size_t kMaxSectorBuffer = 4999;

std::string SectorKey(std::size_t number) { return std::string(kCountKey) + "_" + std::to_string(number); }

// The text up to the next comma (or the end), and the rest after the comma.
std::string_view TakeField(std::string_view& rest) {
  const std::size_t comma = rest.find(',');
  const std::string_view field = rest.substr(0, comma);
  rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  return field.substr(0, kMaxSectorField);
}

}  // namespace

void IniStore::InitStore(std::string_view fileName) {
  fileName_ = std::string(fileName.substr(0, kMaxFileName));
  sectors_.clear();
  AfterIniInit();
  LoadSectors();
}

void IniStore::KillStore() {
  SaveSectors();
  sectors_.clear();
}

std::string IniStore::GetEntry(std::string_view section, std::string_view key, std::string_view fallback) {
  const std::optional<std::string> value = ReadProfileEntry(fileName_, section, key);
  std::string text = value ? *value : std::string(fallback);
  if (text.size() > kMaxValue) text.resize(kMaxValue);
  return std::string(Clip(text));
}

void IniStore::PutEntry(std::string_view section, std::string_view key, std::string_view value) {
  (void)WriteProfileEntry(fileName_, section, key, value);
}

void IniStore::LoadSectors() {
  const std::string count = TryGetEntry(kSectors, kCountKey);
  std::size_t records = 0;
  (void)std::from_chars(count.data(), count.data() + count.size(), records);
  for (std::size_t i = 1; i <= records; ++i) {
    std::string line = GetRequiredEntry(kSectors, SectorKey(i));
    if (line.size() > kMaxSectorLine) line.resize(kMaxSectorLine);
    std::string_view rest = line;
    SectorRecord record;
    record.family = std::string(TakeField(rest));
    record.item = std::string(TakeField(rest));
    record.type = std::string(TakeField(rest));
    sectors_.push_back(std::move(record));
  }
}

void IniStore::SaveSectors() {
  PutEntry(kSectors, kCountKey, std::to_string(sectors_.size()));
  for (std::size_t i = 0; i < sectors_.size(); ++i) {
    std::string line = sectors_[i].family + "," + sectors_[i].item + "," + sectors_[i].type;
    if (line.size() > kMaxSectorBuffer) line.resize(kMaxSectorBuffer);
    PutEntry(kSectors, SectorKey(i + 1), line);
  }
}

void IniStore::SaveWindow(std::string_view section, const PlacedWindow& window) {
  if (window.IsMinimized()) return;
  const bool maximized = window.IsMaximized();
  PutEntry(section, "Maximize", maximized ? "Yes" : "No");
  if (maximized) return;  // the normal placement saved earlier stays
  PutEntry(section, "XPos", std::to_string(window.X()));
  PutEntry(section, "YPos", std::to_string(window.Y()));
  if (window.IsResizable()) {
    PutEntry(section, "Height", std::to_string(window.Height()));
    PutEntry(section, "Width", std::to_string(window.Width()));
  }
}

void IniStore::RestoreWindow(std::string_view section, PlacedWindow& window) {
  const std::string maximize = TryGetEntry(section, "Maximize");
  if (maximize != "Yes" && maximize != "No") return;
  if (maximize == "No") window.SetMaximized(false);
  if (!TryGetEntry(section, "XPos").empty()) {
    window.SetPosition(GetRequiredEntry(section, "XPos"), GetRequiredEntry(section, "YPos"));
    if (window.IsResizable())
      window.SetSize(GetRequiredEntry(section, "Width"), GetRequiredEntry(section, "Height"));
  }
  if (maximize == "Yes") window.SetMaximized(true);
}

}  // namespace zelvo
