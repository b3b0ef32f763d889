#include "storage/trace_log.h"

#include <cstdio>

#include "runtime/date_time.h"
#include "storage/driver_options.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

const WindowsProfile* g_profile = nullptr;
int g_thread = 1;
thread_local const TraceViewContext* g_view = nullptr;

std::string Printf(const char* format, auto... values) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, format, values...);
  return n < 0 ? std::string{} : std::string(buffer, std::min<std::size_t>(n, sizeof buffer - 1));
}

bool OptionsAllowDetails(std::string_view options) {
  for (const std::string& option : SplitDriverOptions(options))
    if (SameWord(ParseOption(option).word, "ALLOWDETAILS")) return true;
  return false;
}

std::string FieldValue(const FieldDeclaration& field, const std::uint8_t* bytes) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  switch (field.type) {
    case FieldType::Byte: return Printf("%02XH", static_cast<unsigned>(bytes[0]));
    case FieldType::Short:
    case FieldType::Long: return Printf("%lld", static_cast<long long>(ReadInteger(field.type, bytes)));
    case FieldType::UShort:
    case FieldType::ULong:
      return Printf("%llu", static_cast<unsigned long long>(ReadInteger(field.type, bytes)));
    case FieldType::Real: return Printf("%f", ReadReal(bytes));
    case FieldType::Date: {
      const std::uint32_t packed = LoadPacked(bytes);
      const DayNumber day = DayFromPacked(packed);
      if (day == kNoDate && packed != 0) return Printf("Invalid date (%ld)", static_cast<long>(packed));
      if (day == kNoDate) return "Invalid date (0)";
      return Printf("%02d %s %d (%ld)", Day(day), kMonths[Month(day) - 1], Year(day),
                    static_cast<long>(day));
    }
    case FieldType::Time: {
      const TimeValue time = TimeFromPacked(LoadPacked(bytes));
      if (!IsValidTime(time)) return Printf("Invalid time (%ld)", static_cast<long>(time));
      return Printf("%02d:%02d:%02d.%02d (%ld)", Hour(time), Minute(time), Second(time),
                    Hundredths(time), static_cast<long>(time));
    }
    case FieldType::Decimal: return ValueText(field, bytes);
    case FieldType::String:
    case FieldType::CString:
    case FieldType::PString: return "'" + ReadText(field, bytes) + "'";
  }
  return {};
}

}  // namespace

std::string_view TraceName(Driver driver) {
  switch (driver) {
    case Driver::Vxr: return "QUILLSET";
    case Driver::Dbase: return "dBase4";
    case Driver::Ascii: return "ASCII";
  }
  return "";
}

TraceSettings ReadTraceSettings(const WindowsProfile& profile, const FileDeclaration& file) {
  const std::string section = "ZR" + std::string(TraceName(file.driver));
  TraceSettings settings;
  settings.enabled = profile.GetInt(section, "Profile", 0) != 0;
  settings.traceFile =
      profile.GetString(section, "TraceFile", std::string(TraceName(file.driver)) + ".LOG");
  settings.details = profile.GetInt(section, "Details", 0) != 0 &&
                     (!file.Has(kFileEncrypt) || OptionsAllowDetails(file.driverOptions));
  return settings;
}

const WindowsProfile& TraceProfile() {
  if (g_profile) return *g_profile;
  static const WindowsProfile own = WindowsProfile::Load(WindowsProfilePath());
  return own;
}
void SetTraceProfile(const WindowsProfile* profile) { g_profile = profile; }

void SetTraceThreadNumber(int number) { g_thread = number; }
int TraceThreadNumber() { return g_thread; }

void SetTraceView(const TraceViewContext* view) { g_view = view; }
const TraceViewContext* TraceView() { return g_view; }

std::string TraceLine(FileOperation op, const File& file, std::size_t key, int thread,
                      const ErrorState& state, long hundredths) {
  std::string head = std::string(OperationName(op)) + "(" + file.Name();
  const auto keys = file.Declaration().keys;
  if (key >= 1 && key <= keys.size())
    head += "," + std::string(keys[key - 1].name) + "[" + std::to_string(key) + "]";
  head += " " + std::to_string(thread) + ")";
  std::string line = Printf("%-18s", head.c_str());
  if (head.size() > 18) line = head;  // the format pads, never cuts
  if (state.Code() == ErrorCode::FileSystemError && !state.FileErrorText().empty())
    line += "File Error: " + state.FileErrorText() + " ";
  else if (Failed(state.Code()))
    line += "Error: " + state.Text() + " ";
  line += Printf("Time Taken: %ld.%02ld secs\r\n", hundredths / 100, hundredths % 100);
  return line;
}

std::string TraceDeclaration(const File& file) {
  const FileDeclaration& d = file.Declaration();
  std::string text = "FILE,DRIVER('" + std::string(DriverName(d.driver)) + "'";
  if (!d.driverOptions.empty()) text += ",'" + std::string(d.driverOptions) + "'";
  text += "),NAME('" + file.Name() + "')";
  if (d.Has(kFileCreate)) text += ",CREATE";
  if (d.Has(kFileEncrypt)) text += ",ENCRYPT";
  if (d.Has(kFileReclaim)) text += ",RECLAIM";
  if (d.Has(kFileThread)) text += ",THREAD";
  text += "\r\n";
  for (const KeyDeclaration& key : d.keys) {
    text += "  KEY " + std::string(key.name) + "(";
    for (std::size_t i = 0; i < key.count; ++i) {
      if (i) text += ",";
      text += (key.components[i].ascending ? "+" : "-") + std::string(key.components[i].field);
    }
    text += ")";
    if (key.Has(kKeyDup)) text += ",DUP";
    if (key.Has(kKeyOpt)) text += ",OPT";
    if (key.Has(kKeyNoCase)) text += ",NOCASE";
    if (key.Has(kKeyPrimary)) text += ",PRIMARY";
    text += "\r\n";
  }
  for (const FieldDeclaration& field : d.fields) {
    text += "  " + std::string(field.name) + " " + std::string(FieldTypeName(field.type));
    if (field.type == FieldType::Decimal)
      text += Printf("(%u,%u)", unsigned{field.size}, unsigned{field.places});
    else if (IsTextType(field.type))
      text += Printf("(%u)", unsigned{field.size});
    if (field.elements > 1) text += Printf(",DIM(%u)", unsigned{field.elements});
    text += "\r\n";
  }
  return text + "END\r\n";
}

std::string TraceRecord(const RecordBuffer& record) {
  std::string text;
  for (const FieldDeclaration& field : record.Layout()) {
    for (std::uint32_t e = 0; e < field.elements; ++e) {
      std::string label(field.name);
      if (field.elements > 1) label += "[" + std::to_string(e + 1) + "]";
      const std::uint8_t* bytes = record.Bytes().data() + field.offset + e * field.ElementBytes();
      text += Printf("  %-18s: ", label.c_str()) + FieldValue(field, bytes) + "\r\n";
    }
  }
  return text;
}

bool TransfersRecord(FileOperation op) {
  using Op = FileOperation;
  switch (op) {
    case Op::ADD: case Op::ADDfilelen: case Op::APPEND: case Op::APPENDlen: case Op::DELETE:
    case Op::GETfilekey: case Op::GETfileptr: case Op::GETfileptrlen: case Op::GETkeyptr:
    case Op::NEXT: case Op::PREVIOUS: case Op::PUT: case Op::PUTfileptr: case Op::PUTfileptrlen:
    case Op::REGETfile: case Op::REGETkey: return true;
    default: return false;
  }
}

void AppendToTraceLog(const std::string& path, std::string_view text) {
  if (path.empty()) return;
  std::FILE* log = std::fopen(path.c_str(), "ab");
  if (!log) return;
  (void)std::fwrite(text.data(), 1, text.size(), log);
  (void)std::fclose(log);
}

}  // namespace zelvo
