#include "storage/view/view.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "storage/error_state.h"
#include "storage/field_codec.h"
#include "storage/file_operations.h"
#include "storage/filter/filter_bindings.h"
#include "storage/filter/filter_expression.h"
#include "storage/sort_store.h"
#include "storage/trace_log.h"
#include "storage/view/internal/view_order.h"

namespace zelvo {
namespace {

using Op = FileOperation;

constexpr std::uint32_t kFilterProperty = 0x7CB8;
constexpr std::uint32_t kOrderProperty = 0x7CE6;
constexpr std::uint32_t kPositioningProperty = 0x7345;
constexpr std::uint32_t kFlagProperty = 0x7327;
constexpr std::uint32_t kFileCountProperty = 0x7325;
constexpr std::uint32_t kFileProperty = 0x7326;
constexpr std::uint32_t kFieldCountProperty = 0x7312;
constexpr std::uint32_t kFieldProperty = 0x731F;
constexpr std::uint32_t kFieldNameProperty = 0x734A;

// A value captured from an order component, compared as filters compare.
struct Captured {
  ValueClass valueClass = ValueClass::String;
  std::int32_t integer = 0;
  double real = 0.0;
  std::string text;

  static Captured Of(const FilterExpression& e) {
    Captured c;
    c.valueClass = e.Class();
    c.integer = e.Integer();
    c.real = e.Real();
    c.text = std::string(e.Text());
    return c;
  }
  static Captured OfText(std::string_view text) {
    Captured c;
    c.text = std::string(text);
    c.real = TextToReal(text);
    c.integer = RealToInteger(c.real);
    return c;
  }
};

int Compare(const FilterExpression& e, const Captured& c) {
  if (e.Class() == ValueClass::Integer && c.valueClass == ValueClass::Integer) {
    const std::int32_t x = e.Integer();
    return x < c.integer ? -1 : x > c.integer ? 1 : 0;
  }
  if (e.Class() != ValueClass::String || c.valueClass != ValueClass::String) {
    const double x = e.Real();
    if (RealsEqual(x, c.real)) return 0;
    return x < c.real ? -1 : 1;
  }
  return CompareTexts(e.Text(), c.text);
}

ErrorCode Do(File& file, Op op, const OperationArguments& arguments = {}) {
  return PerformFileOperation(file, op, arguments);
}

// Binds every FILE of the view over the thread's bindings while it lives.
class ViewScope {
 public:
  explicit ViewScope(const std::vector<ViewFile>& files) : bindings_(CurrentBindings()) {
    bindings_.Push();
    for (const ViewFile& f : files) bindings_.BindRecord(f.prefix, f.file->Record());
  }
  ~ViewScope() { (void)bindings_.Pop(); }
  const FilterBindings& Bindings() const { return bindings_; }

 private:
  FilterBindings& bindings_;
};

void CollectFiles(const std::vector<ViewJoin>& joins, std::vector<ViewFile>& files) {
  for (const ViewJoin& j : joins) {
    files.push_back(j.file);
    CollectFiles(j.joins, files);
  }
}

void AppendPart(std::string& position, std::string_view part) {
  position.push_back(static_cast<char>(part.size() & 0xFF));
  position.push_back(static_cast<char>((part.size() >> 8) & 0xFF));
  position.append(part);
}

}  // namespace

// ---- the plan -----------------------------------------------------------------

// One FILE of the plan's rows. The primary level walks its FILE; a join level
// holds the records matching its enclosing level's current record.
struct Level {
  ViewFile file;
  int parent = -1;
  const ViewJoin* join = nullptr;  // null for the primary
  std::size_t key = 0;             // the key walked or joined on; 0: record order
  bool backwards = false;          // primary: walking the key against its direction
  std::optional<FilterExpression> link;
  struct Match {
    std::string position;
    std::vector<std::uint8_t> record;
  };
  std::vector<Match> matches;
  std::ptrdiff_t at = -1;
  bool active = false;  // holds a row
  bool null = false;    // outer join delivered without a record
};

class View::Plan {
 public:
  std::vector<Level> levels;
  std::optional<FilterExpression> filter;
  bool sorted = false;
  std::vector<std::string> rows;  // sorted plan: the rows' positions in order
  std::ptrdiff_t rowAt = -1;
  enum class Edge : std::uint8_t { None, Start, End } edge = Edge::Start;
  // A reset's parts for the join levels, used by the first row after it.
  std::vector<std::string> resetParts;

  File& Primary() { return *levels[0].file.file; }

  ErrorCode StartScan(bool forward) {
    for (Level& l : levels) l.active = false;
    (void)forward;
    Level& p = levels[0];
    OperationArguments args;
    args.key = p.key;
    return Do(*p.file.file, p.key ? Op::SETkey : Op::SETfile, args);
  }

  // The next row of a scan in the direction; Ok, 33 or a failure.
  ErrorCode StepScan(bool forward) {
    const int n = static_cast<int>(levels.size());
    int i = n - 1;
    for (;;) {
      while (i >= 1) {
        if (AdvanceJoin(levels[static_cast<std::size_t>(i)], forward)) break;
        --i;
      }
      if (i < 1) {
        const ErrorCode code = AdvancePrimary(forward);
        if (Failed(code)) return code;
        i = 0;
      }
      int j = i + 1;
      for (; j < n; ++j) {
        bool has = false;
        if (const ErrorCode code = StartJoin(levels[static_cast<std::size_t>(j)], j, forward, has); Failed(code))
          return code;
        if (!has) break;
      }
      if (j < n) {
        i = j - 1;
        continue;
      }
      resetParts.clear();
      if (!filter || filter->Truth()) return ErrorCode::Ok;
      i = n - 1;
    }
  }

  std::string RowPosition() {
    std::string position;
    for (std::size_t i = 0; i < levels.size(); ++i) {
      Level& l = levels[i];
      if (i == 0) {
        OperationArguments args;
        args.key = l.key;
        OperationAnswer answer;
        (void)PerformFileOperation(*l.file.file, l.key ? Op::POSITIONkey : Op::POSITIONfile, args, answer);
        AppendPart(position, answer.position);
        continue;
      }
      if (!l.join->inner) position.push_back(l.null ? '\x02' : '\x01');
      if (!l.null) AppendPart(position, l.active && l.at >= 0 ? l.matches[static_cast<std::size_t>(l.at)].position : "");
    }
    return position;
  }

  // Splits a position into its parts, one per level ("" for an outer join
  // delivered without a record); missing trailing parts are empty. 81 when
  // a part it announces is cut short.
  static ErrorCode Split(const std::vector<Level>& levels, std::string_view position,
                         std::vector<std::optional<std::string>>& parts) {
    parts.assign(levels.size(), std::string{});
    std::size_t at = 0;
    for (std::size_t i = 0; i < levels.size() && at < position.size(); ++i) {
      if (i > 0 && !levels[i].join->inner) {
        const char flag = position[at++];
        if (flag == '\x02') {
          parts[i] = std::nullopt;
          continue;
        }
        if (flag != '\x01') return ErrorCode::UnknownErrorPosted;
      }
      if (position.size() - at < 2) return ErrorCode::UnknownErrorPosted;
      const std::size_t length = static_cast<unsigned char>(position[at]) |
                                 static_cast<std::size_t>(static_cast<unsigned char>(position[at + 1])) << 8;
      at += 2;
      if (position.size() - at < length) return ErrorCode::UnknownErrorPosted;
      parts[i] = std::string(position.substr(at, length));
      at += length;
    }
    return ErrorCode::Ok;
  }

  // Re-reads every record of a row from its position.
  ErrorCode Reget(std::string_view position) {
    std::vector<std::optional<std::string>> parts;
    if (const ErrorCode code = Split(levels, position, parts); Failed(code)) return code;
    for (std::size_t i = 0; i < levels.size(); ++i) {
      Level& l = levels[i];
      if (!parts[i]) {
        l.file.file->Record().Clear();
        l.null = true;
        continue;
      }
      l.null = false;
      OperationArguments args;
      args.key = l.key;
      args.position = *parts[i];
      if (const ErrorCode code = Do(*l.file.file, l.key ? Op::REGETkey : Op::REGETfile, args); Failed(code))
        return code;
    }
    return ErrorCode::Ok;
  }

  // A scan continues at the row of `position`, or its successor.
  ErrorCode ResetScan(std::string_view position) {
    std::vector<std::optional<std::string>> parts;
    if (const ErrorCode code = Split(levels, position, parts); Failed(code)) return code;
    for (Level& l : levels) l.active = false;
    Level& p = levels[0];
    OperationArguments args;
    args.key = p.key;
    args.position = parts[0].value_or("");
    if (args.position.empty()) return StartScan(true);
    resetParts.clear();
    for (std::size_t i = 1; i < parts.size(); ++i) resetParts.push_back(parts[i].value_or(""));
    return Do(*p.file.file, p.key ? Op::RESETkey : Op::RESETfile, args);
  }

 private:
  ErrorCode AdvancePrimary(bool forward) {
    Level& p = levels[0];
    const ErrorCode code = Do(*p.file.file, forward != p.backwards ? Op::NEXT : Op::PREVIOUS);
    p.active = !Failed(code);
    return code;
  }

  bool AdvanceJoin(Level& l, bool forward) {
    if (!l.active || l.null) return false;
    const std::ptrdiff_t next = l.at + (forward ? 1 : -1);
    if (next < 0 || next >= static_cast<std::ptrdiff_t>(l.matches.size())) return false;
    l.at = next;
    Load(l);
    return true;
  }

  void Load(Level& l) {
    const auto& record = l.matches[static_cast<std::size_t>(l.at)].record;
    std::copy(record.begin(), record.end(), l.file.file->Record().Bytes().begin());
  }

  ErrorCode StartJoin(Level& l, int index, bool forward, bool& has) {
    if (const ErrorCode code = Gather(l); Failed(code)) return code;
    l.active = true;
    l.null = false;
    if (l.matches.empty()) {
      has = !l.join->inner;
      l.null = true;
      l.at = -1;
      l.file.file->Record().Clear();
      return ErrorCode::Ok;
    }
    has = true;
    l.at = forward ? 0 : static_cast<std::ptrdiff_t>(l.matches.size()) - 1;
    const std::size_t part = static_cast<std::size_t>(index) - 1;
    if (part < resetParts.size() && !resetParts[part].empty())
      for (std::size_t m = 0; m < l.matches.size(); ++m)
        if (l.matches[m].position == resetParts[part]) l.at = static_cast<std::ptrdiff_t>(m);
    Load(l);
    return ErrorCode::Ok;
  }

  void Keep(Level& l) {
    OperationArguments args;
    args.key = l.key;
    OperationAnswer answer;
    (void)PerformFileOperation(*l.file.file, l.key ? Op::POSITIONkey : Op::POSITIONfile, args, answer);
    const auto bytes = l.file.file->Record().Bytes();
    l.matches.push_back({std::move(answer.position), {bytes.begin(), bytes.end()}});
  }

  // The records of the level's FILE that match its enclosing level's row.
  ErrorCode Gather(Level& l) {
    l.matches.clear();
    File& file = *l.file.file;
    auto ended = [](ErrorCode code) { return code == ErrorCode::RecordNotAvailable; };
    if (l.key == 0) {
      if (const ErrorCode code = Do(file, Op::SETfile); Failed(code)) return code;
      for (;;) {
        const ErrorCode code = Do(file, Op::NEXT);
        if (ended(code)) return ErrorCode::Ok;
        if (Failed(code)) return code;
        if (l.link->Truth()) Keep(l);
      }
    }
    // The linking values go into the key's leading components; the rest are
    // cleared. The key is then read both ways from there while the link holds,
    // so trailing components of any direction are found.
    const Level& enclosing = levels[static_cast<std::size_t>(l.parent)];
    const RecordBuffer& from = enclosing.file.file->Record();
    RecordBuffer probe = file.Record();
    probe.Clear();
    const KeyDeclaration& key = file.Declaration().keys[l.key - 1];
    for (std::size_t i = 0; i < l.join->linkFields.size() && i < key.count; ++i) {
      std::string_view name = l.join->linkFields[i];
      if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
      const auto source = FindField(from.Layout(), name);
      const auto target = FindField(probe.Layout(), key.components[i].field);
      if (!source || !target) continue;
      const FieldDeclaration& s = from.Layout()[*source];
      const FieldDeclaration& t = probe.Layout()[*target];
      (void)AssignText(t, probe.Bytes().data() + t.offset, ValueText(s, from.Bytes().data() + s.offset));
    }
    OperationArguments args;
    args.key = l.key;
    auto place = [&] {
      std::copy(probe.Bytes().begin(), probe.Bytes().end(), file.Record().Bytes().begin());
      return Do(file, Op::SETkeykey, args);
    };
    if (const ErrorCode code = place(); Failed(code)) return code;
    for (;;) {
      const ErrorCode code = Do(file, Op::PREVIOUS);
      if (ended(code)) break;
      if (Failed(code)) return code;
      if (!l.link->Truth()) break;
      Keep(l);
    }
    std::reverse(l.matches.begin(), l.matches.end());
    if (const ErrorCode code = place(); Failed(code)) return code;
    const std::size_t before = l.matches.size();
    for (;;) {
      const ErrorCode code = Do(file, Op::NEXT);
      if (ended(code)) break;
      if (Failed(code)) return code;
      if (!l.link->Truth()) break;
      Keep(l);
      // Backwards from the linking value may already have met the records at it.
      for (std::size_t m = 0; m < before; ++m)
        if (l.matches[m].position == l.matches.back().position) {
          l.matches.pop_back();
          break;
        }
    }
    return ErrorCode::Ok;
  }
};

// ---- the view state -------------------------------------------------------------

struct View::State {
  std::string filterText;
  std::string orderText;
  std::vector<OrderComponent> order;
  bool orderGiven = false;
  std::unique_ptr<Plan> plan;
  enum class Pending : std::uint8_t { None, Start, Reset } pending = Pending::None;
  std::vector<std::optional<Captured>> captured;  // by order component
  std::size_t capturedCount = 0;
  std::string resetPosition;
  bool skipResetRow = false;  // FLUSH: go on after the row at the position
  bool positioned = false;
  bool hasRow = false;
  bool forward = true;
  bool watch = false;
  bool traceOn = false;
  bool traceDetails = false;
  std::string traceFile = "VIEW.LOG";
  std::uint8_t flags = 0;
};

std::vector<ViewFile> FilesOf(const ViewDeclaration& d);

View::View(ViewDeclaration declaration) : declaration_(std::move(declaration)), files_(FilesOf(declaration_)) {}
View::~View() = default;

std::vector<ViewFile> FilesOf(const ViewDeclaration& d) {
  std::vector<ViewFile> files{d.primary};
  CollectFiles(d.joins, files);
  return files;
}

namespace {

std::vector<OrderComponent> Order(const ViewDeclaration& d, std::string_view text) {
  ViewScope scope(FilesOf(d));
  return CompileOrder(text, scope.Bindings(), d.primary.prefix, d.primary.file->Record().Layout());
}

}  // namespace

View::State& View::CurrentState() {
  std::unique_ptr<State>& s = states_[TraceThreadNumber()];
  if (!s) {
    s = std::make_unique<State>();
    const WindowsProfile& profile = TraceProfile();
    s->traceOn = profile.GetInt("ZRVIEW", "Profile", 0) != 0;
    s->traceFile = profile.GetString("ZRVIEW", "TraceFile", "VIEW.LOG");
    s->traceDetails = profile.GetInt("ZRVIEW", "Details", 0) != 0;
    s->flags = static_cast<std::uint8_t>(profile.GetInt("ZRVIEW", "TraceIntoFiles", 0));
    s->filterText = std::string(declaration_.filter);
    s->orderText = std::string(declaration_.order);
    s->order = Order(declaration_, s->orderText);
    s->orderGiven = !s->order.empty();
  }
  return *s;
}

ErrorCode View::Perform(FileOperation op, const OperationArguments& arguments) {
  OperationAnswer answer;
  return Perform(op, arguments, answer);
}

ErrorCode View::SetFilter(std::string_view text) {
  OperationArguments a;
  a.text = "0x7CB8=" + std::string(text);
  return Perform(Op::SET_PROPERTY, a);
}

ErrorCode View::SetOrder(std::string_view text) {
  OperationArguments a;
  a.text = "0x7CE6=" + std::string(text);
  return Perform(Op::SET_PROPERTY, a);
}

ErrorCode View::Perform(FileOperation op, const OperationArguments& arguments, OperationAnswer& answer) {
  ErrorState& error = RuntimeErrorState();
  State& s = CurrentState();
  // The FILEs' trace lines name the view they work for.
  if (traceDeclaration_.empty()) traceDeclaration_ = DescribeView(declaration_);
  const TraceViewContext context{static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFFFFu),
                                 &traceDeclaration_, &traceDeclarationWritten_};
  const TraceViewContext* outer = TraceView();
  SetTraceView(&context);
  struct Restore {
    const TraceViewContext* outer;
    ~Restore() { SetTraceView(outer); }
  } restore{outer};
  const auto started = s.traceOn ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
  // CLOSE ends the state: what the trace needs is taken first.
  const bool traceOn = s.traceOn;
  const std::string traceFile = traceOn ? s.traceFile : std::string{};
  ErrorCode code = Dispatch(s, op, arguments, answer);
  // 801 carries the name in the error text already set.
  if (Failed(code) ? error.Code() != code : Failed(error.Code())) error.Set(code);
  if (traceOn) {
    const auto taken = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    const long hundredths = static_cast<long>(taken.count() / 10);
    std::string head = std::string(OperationName(op)) + "(" + std::string(declaration_.label) + " " +
                       std::to_string(TraceThreadNumber()) + ")";
    char padded[256];
    std::snprintf(padded, sizeof padded, "%-18s", head.c_str());
    std::string line = padded;
    if (Failed(code)) line += "Error: " + error.Text() + " ";
    char time[64];
    std::snprintf(time, sizeof time, "Time Taken: %ld.%02ld secs\r\n", hundredths / 100, hundredths % 100);
    line += time;
    AppendToTraceLog(traceFile, line);
  }
  return code;
}

namespace {

// "0x7345[2]=value" -> number 0x7345, index 2, value.
struct PropertyText {
  std::uint32_t number = 0;
  std::size_t index = 0;
  std::optional<std::string> value;
};

std::optional<PropertyText> ParseProperty(std::string_view text) {
  PropertyText p;
  const std::size_t equals = text.find('=');
  if (equals != std::string_view::npos) p.value = std::string(text.substr(equals + 1));
  std::string head(text.substr(0, equals));
  if (const std::size_t open = head.find('['); open != std::string::npos) {
    const std::size_t close = head.find(']', open);
    if (close == std::string::npos) return std::nullopt;
    char* end = nullptr;
    const std::string index = head.substr(open + 1, close - open - 1);
    p.index = static_cast<std::size_t>(std::strtoul(index.c_str(), &end, 10));
    if (index.empty() || *end != '\0') return std::nullopt;
    head.erase(open);
  }
  char* end = nullptr;
  p.number = static_cast<std::uint32_t>(std::strtoul(head.c_str(), &end, 0));
  if (head.empty() || *end != '\0') return std::nullopt;
  return p;
}

struct ReadField {
  std::string_view prefix, name;
};

std::vector<ReadField> FieldsRead(const ViewDeclaration& d) {
  std::vector<ReadField> out;
  auto add = [&](const ViewFile& f, const std::vector<std::string_view>& projection) {
    if (!projection.empty()) {
      for (std::string_view name : projection) {
        if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
        out.push_back({f.prefix, name});
      }
      return;
    }
    for (const FieldDeclaration& field : f.file->Record().Layout()) out.push_back({f.prefix, field.name});
  };
  add(d.primary, d.projection);
  std::vector<const ViewJoin*> stack;
  auto walk = [&](auto& self, const std::vector<ViewJoin>& joins) -> void {
    for (const ViewJoin& j : joins) {
      add(j.file, j.projection);
      self(self, j.joins);
    }
  };
  walk(walk, d.joins);
  return out;
}

}  // namespace

std::string DescribeView(const ViewDeclaration& view) {
  auto fields = [](std::string_view prefix, const std::vector<std::string_view>& projection) {
    std::string text;
    for (std::string_view f : projection) {
      text += ",FIELD(" + std::string(f.find(':') == std::string_view::npos ? std::string(prefix) + ":" : "") +
              std::string(f) + ")";
    }
    return text.empty() ? std::string{} : ",PROJECT(" + text.substr(1) + ")";
  };
  std::string text = "VIEW(" + std::string(view.primary.file->Declaration().label) + ")" +
                     fields(view.primary.prefix, view.projection);
  auto joins = [&](auto& self, const std::vector<ViewJoin>& list) -> void {
    for (const ViewJoin& j : list) {
      text += ",JOIN(";
      if (j.key > 0) {
        text += std::string(j.file.prefix) + ":" + std::string(j.file.file->Declaration().keys[j.key - 1].name);
        for (std::string_view link : j.linkFields) text += "," + std::string(link);
      } else {
        text += "'" + std::string(j.expression) + "'";
      }
      text += ")";
      if (j.inner) text += ",INNER";
      text += fields(j.file.prefix, j.projection);
      self(self, j.joins);
      text += ",END";
    }
  };
  joins(joins, view.joins);
  return text + ",END";
}

namespace {

// Builds the levels of a plan in the order of the view's FILEs.
void AddJoins(std::vector<Level>& levels, int parent, const std::vector<ViewJoin>& joins) {
  for (const ViewJoin& j : joins) {
    Level l;
    l.file = j.file;
    l.parent = parent;
    l.join = &j;
    l.key = j.key;
    levels.push_back(std::move(l));
    AddJoins(levels, static_cast<int>(levels.size()) - 1, j.joins);
  }
}

// The link condition of a key join: key component i equals linking field i,
// both upper-cased on a NOCASE key.
std::string LinkText(const ViewJoin& j, std::string_view enclosingPrefix) {
  const KeyDeclaration& key = j.file.file->Declaration().keys[j.key - 1];
  const bool noCase = key.Has(kKeyNoCase);
  std::string text;
  for (std::size_t i = 0; i < j.linkFields.size() && i < key.count; ++i) {
    std::string link(j.linkFields[i]);
    if (link.find(':') == std::string::npos) link = std::string(enclosingPrefix) + ":" + link;
    std::string component = std::string(j.file.prefix) + ":" + std::string(key.components[i].field);
    if (noCase) {
      link = "UPPER(" + link + ")";
      component = "UPPER(" + component + ")";
    }
    text += (text.empty() ? "" : " AND ") + component + "=" + link;
  }
  return text.empty() ? "1" : text;
}

ErrorCode Refuse(const FilterError& e) {
  if (e.code == ErrorCode::NoBindOnVariable) RuntimeErrorState().Set(e.code, " (" + e.name + ")");
  else RuntimeErrorState().Set(e.code);
  return e.code;
}

}  // namespace

ErrorCode View::Dispatch(State& s, FileOperation op, const OperationArguments& arguments, OperationAnswer& answer) {
  const std::vector<ViewFile>& files = files_;
  File& primary = *declaration_.primary.file;

  // Makes the plan: levels, the key, the filter, and the sort of a plan that needs one.
  auto makePlan = [&](bool continueFromFile) -> ErrorCode {
    auto plan = std::make_unique<Plan>();
    plan->levels.push_back(Level{});
    plan->levels[0].file = declaration_.primary;
    AddJoins(plan->levels, 0, declaration_.joins);
    {
      ViewScope scope(files);
      for (Level& l : plan->levels) {
        if (!l.join) continue;
        const std::string link = l.key ? LinkText(*l.join, plan->levels[static_cast<std::size_t>(l.parent)].file.prefix)
                                       : std::string(l.join->expression);
        FilterCompilation c = FilterExpression::Compile(link, scope.Bindings());
        if (!c.Whole(link)) return Refuse(c.ok() ? FilterError{ErrorCode::InvalidExpression, c.end, "", ""} : c.error);
        l.link = std::move(*c.expression);
      }
      if (!s.filterText.empty()) {
        FilterCompilation c = FilterExpression::Compile(s.filterText, scope.Bindings());
        if (!c.Whole(s.filterText))
          return Refuse(c.ok() ? FilterError{ErrorCode::InvalidExpression, c.end, "text after the expression", ""}
                               : c.error);
        plan->filter = std::move(*c.expression);
      }
    }
    Level& p = plan->levels[0];
    if (s.orderGiven) {
      const KeyChoice choice = ChooseKey(s.order, primary.Record().Layout(), primary.Declaration().keys);
      p.key = choice.key;
      p.backwards = choice.backwards;
      plan->sorted = choice.delivered < s.order.size();
    } else {
      p.key = primary.OrderKey();
    }
    if (plan->sorted) {
      if (const ErrorCode code = plan->StartScan(true); Failed(code)) return code;
      SortStore store;
      std::uint64_t sequence = 0;
      std::string item;
      for (;;) {
        const ErrorCode code = plan->StepScan(true);
        if (code == ErrorCode::RecordNotAvailable) break;
        if (Failed(code)) return code;
        item.clear();
        for (const OrderComponent& c : s.order) AppendSortValue(c, item);
        for (int i = 7; i >= 0; --i) item.push_back(static_cast<char>((sequence >> (8 * i)) & 0xFF));
        ++sequence;
        const std::string position = plan->RowPosition();
        item += position;
        item.push_back(static_cast<char>(position.size() & 0xFF));
        item.push_back(static_cast<char>((position.size() >> 8) & 0xFF));
        if (const ErrorCode added = store.Add(item); Failed(added)) return added;
      }
      for (;;) {
        SortedItem sorted = store.Next();
        if (Failed(sorted.code)) return sorted.code;
        if (sorted.end) break;
        const std::size_t n = sorted.item.size();
        const std::size_t length = static_cast<unsigned char>(sorted.item[n - 2]) |
                                   static_cast<std::size_t>(static_cast<unsigned char>(sorted.item[n - 1])) << 8;
        plan->rows.push_back(sorted.item.substr(n - 2 - length, length));
      }
    }
    (void)continueFromFile;
    s.plan = std::move(plan);
    return ErrorCode::Ok;
  };

  // One row in the direction, from wherever the plan stands.
  auto step = [&](bool forward) -> ErrorCode {
    Plan& plan = *s.plan;
    if (!plan.sorted) {
      if (plan.edge != Plan::Edge::None) {
        // At an end, or before the first read: start from the end the direction leaves.
        if (plan.edge == Plan::Edge::End && forward) return ErrorCode::RecordNotAvailable;
        if (plan.edge == Plan::Edge::Start && !forward) return ErrorCode::RecordNotAvailable;
        if (const ErrorCode code = plan.StartScan(forward); Failed(code)) return code;
        plan.edge = Plan::Edge::None;
      }
      const ErrorCode code = plan.StepScan(forward);
      if (code == ErrorCode::RecordNotAvailable) plan.edge = forward ? Plan::Edge::End : Plan::Edge::Start;
      return code;
    }
    const auto count = static_cast<std::ptrdiff_t>(plan.rows.size());
    for (;;) {
      plan.rowAt += forward ? 1 : -1;
      if (plan.rowAt < 0 || plan.rowAt >= count) {
        plan.rowAt = plan.rowAt < 0 ? -1 : count;
        return ErrorCode::RecordNotAvailable;
      }
      const ErrorCode code = plan.Reget(plan.rows[static_cast<std::size_t>(plan.rowAt)]);
      if (code == ErrorCode::RecordNotFound || code == ErrorCode::RecordNotAvailable) continue;  // since deleted
      if (Failed(code)) return code;
      if (!plan.filter || plan.filter->Truth()) return ErrorCode::Ok;
    }
  };

  // Rows before the captured values (after them, reading backwards) are passed over.
  auto beforeCaptured = [&](bool forward) {
    for (std::size_t i = 0; i < s.capturedCount && i < s.order.size(); ++i) {
      if (!s.captured[i]) continue;
      int c = Compare(s.order[i].expression, *s.captured[i]);
      if (s.order[i].descending) c = -c;
      if (c != 0) return forward ? c < 0 : c > 0;
    }
    return false;
  };

  auto read = [&](bool forward) -> ErrorCode {
    bool continueFromFile = false;
    if (!s.positioned && s.pending == State::Pending::None) {
      if (s.orderGiven || (primary.State() & kSetNotRead) == 0) return ErrorCode::RecordNotAvailable;
      continueFromFile = true;
    }
    if (continueFromFile && s.plan && s.plan->levels[0].key != primary.OrderKey()) s.plan.reset();
    if (!s.plan)
      if (const ErrorCode code = makePlan(continueFromFile); Failed(code)) return code;
    Plan& plan = *s.plan;
    if (s.watch) {
      (void)Do(primary, Op::WATCH);
      s.watch = false;
    }
    const State::Pending pending = s.pending;
    s.pending = State::Pending::None;
    s.positioned = true;
    s.forward = forward;
    if (continueFromFile) {
      for (Level& l : plan.levels) l.active = false;
      plan.edge = Plan::Edge::None;
    }
    if (pending == State::Pending::Start) {
      if (plan.sorted) {
        plan.rowAt = forward ? -1 : static_cast<std::ptrdiff_t>(plan.rows.size());
      } else {
        if (const ErrorCode code = plan.StartScan(forward); Failed(code)) return code;
        plan.edge = Plan::Edge::None;
      }
      for (;;) {
        const ErrorCode code = step(forward);
        if (Failed(code) || !beforeCaptured(forward)) return code;
      }
    }
    if (pending == State::Pending::Reset) {
      const std::string position = s.resetPosition;
      const bool skip = s.skipResetRow;
      s.skipResetRow = false;
      if (plan.sorted) {
        std::ptrdiff_t at = -1;
        for (std::size_t i = 0; i < plan.rows.size(); ++i)
          if (plan.rows[i] == position) at = static_cast<std::ptrdiff_t>(i);
        std::vector<std::optional<std::string>> parts;
        if (const ErrorCode code = Plan::Split(plan.levels, position, parts); Failed(code)) return code;
        if (at < 0) at = 0;
        plan.rowAt = skip ? at : at + (forward ? -1 : 1);
        return step(forward);
      }
      if (const ErrorCode code = plan.ResetScan(position); Failed(code)) return code;
      plan.edge = Plan::Edge::None;
      ErrorCode code = step(forward);
      if (!Failed(code) && skip && plan.RowPosition() == position) code = step(forward);
      return code;
    }
    return step(forward);
  };

  switch (op) {
    case Op::OPEN:
      s.plan.reset();
      s.positioned = s.hasRow = false;
      s.pending = State::Pending::None;
      return ErrorCode::Ok;
    case Op::CLOSE:
      states_.erase(TraceThreadNumber());  // `s` is gone from here on
      return ErrorCode::Ok;
    case Op::SETview: {
      const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max<std::int64_t>(arguments.count, 0)),
                                                  s.order.size());
      s.captured.assign(s.order.size(), std::nullopt);
      {
        ViewScope scope(files);  // the order's expressions read the record buffers as they are
        for (std::size_t i = 0; i < n; ++i) s.captured[i] = Captured::Of(s.order[i].expression);
      }
      s.capturedCount = n;
      s.pending = State::Pending::Start;
      s.positioned = true;
      return ErrorCode::Ok;
    }
    case Op::RESETviewfile: {
      if (!s.plan)
        if (const ErrorCode code = makePlan(false); Failed(code)) return code;
      const Level& p = s.plan->levels[0];
      OperationArguments args;
      args.key = p.key;
      OperationAnswer position;
      if (const ErrorCode code = PerformFileOperation(primary, p.key ? Op::POSITIONkey : Op::POSITIONfile, args, position);
          Failed(code))
        return code;
      s.resetPosition.clear();
      AppendPart(s.resetPosition, position.position);
      s.pending = State::Pending::Reset;
      s.positioned = true;
      return ErrorCode::Ok;
    }
    case Op::RESETfile: {
      if (!s.plan)
        if (const ErrorCode code = makePlan(false); Failed(code)) return code;
      std::vector<std::optional<std::string>> parts;
      if (const ErrorCode code = Plan::Split(s.plan->levels, arguments.position, parts); Failed(code)) return code;
      s.resetPosition = arguments.position;
      s.pending = State::Pending::Reset;
      s.positioned = true;
      return ErrorCode::Ok;
    }
    case Op::NEXT:
    case Op::PREVIOUS: {
      const ErrorCode code = read(op == Op::NEXT);
      s.hasRow = !Failed(code);
      if (code == ErrorCode::RecordNotAvailable && s.plan && s.plan->sorted) s.hasRow = false;
      return code;
    }
    case Op::SKIP: {
      if (!s.plan && !s.positioned) return ErrorCode::RecordNotAvailable;
      const bool forward = arguments.count >= 0;
      for (std::int64_t i = 0; i < (forward ? arguments.count : -arguments.count); ++i)
        if (const ErrorCode code = read(forward); Failed(code)) return code;
      return ErrorCode::Ok;
    }
    case Op::POSITIONfile:
      if (!s.hasRow || !s.plan) return ErrorCode::RecordNotAvailable;
      answer.position = s.plan->sorted && s.plan->rowAt >= 0
                            ? s.plan->rows[static_cast<std::size_t>(s.plan->rowAt)]
                            : s.plan->RowPosition();
      return ErrorCode::Ok;
    case Op::REGETfile: {
      if (!s.plan)
        if (const ErrorCode code = makePlan(false); Failed(code)) return code;
      const ErrorCode code = s.plan->Reget(arguments.position);
      s.hasRow = !Failed(code) && !s.plan->sorted;
      return code;
    }
    case Op::RECORDSfile: {
      if (!s.plan)
        if (const ErrorCode code = makePlan(false); Failed(code)) return code;
      if (s.plan->sorted) {
        answer.number = s.plan->rows.size();
        return ErrorCode::Ok;
      }
      return PerformFileOperation(primary, Op::RECORDSfile, {}, answer);
    }
    case Op::WATCH: s.watch = true; return ErrorCode::Ok;
    case Op::FLUSH:
      if (s.hasRow && s.plan) {
        OperationAnswer position;
        if (!Failed(Dispatch(s, Op::POSITIONfile, {}, position))) {
          s.resetPosition = position.position;
          s.pending = State::Pending::Reset;
          s.skipResetRow = true;
        }
      }
      s.plan.reset();
      return ErrorCode::Ok;
    case Op::DELETE:
    case Op::PUT:
    case Op::HOLDfile:
    case Op::HOLDfilesec:
    case Op::RELEASE: return PerformFileOperation(primary, op, arguments, answer);
    case Op::SET_PROPERTY:
    case Op::GET_PROPERTY: {
      const std::optional<PropertyText> p = ParseProperty(arguments.text);
      if (!p) return ErrorCode::UnsupportedFileDriverFunction;
      const bool set = op == Op::SET_PROPERTY;
      if (set && !p->value) return ErrorCode::InvalidNumberOfParameters;
      const std::vector<ReadField> fields = FieldsRead(declaration_);
      switch (p->number) {
        case kFilterProperty:
          if (!set) return answer.text = s.filterText, ErrorCode::Ok;
          s.filterText = *p->value;
          s.plan.reset();
          return ErrorCode::Ok;
        case kOrderProperty:
          if (!set) return answer.text = s.orderText, ErrorCode::Ok;
          s.orderText = *p->value;
          s.order = Order(declaration_, s.orderText);
          s.orderGiven = true;
          s.captured.assign(s.order.size(), std::nullopt);
          s.capturedCount = 0;
          s.plan.reset();
          return ErrorCode::Ok;
        case kPositioningProperty: {
          if (p->index < 1 || p->index > s.order.size()) return ErrorCode::InvalidNumberOfParameters;
          const std::size_t i = p->index - 1;
          if (s.captured.size() < s.order.size()) s.captured.resize(s.order.size());
          if (set) {
            s.captured[i] = Captured::OfText(*p->value);
            s.capturedCount = std::max(s.capturedCount, p->index);
          } else {
            answer.text = s.captured[i] ? s.captured[i]->text : s.order[i].text;
          }
          return ErrorCode::Ok;
        }
        case kFlagProperty:
          if (set) s.flags = static_cast<std::uint8_t>(std::strtoul(p->value->c_str(), nullptr, 0));
          else answer.text = std::to_string(s.flags);
          return ErrorCode::Ok;
        case kFileCountProperty:
          if (set) return ErrorCode::UnsupportedFileDriverFunction;
          answer.text = std::to_string(files.size());
          return ErrorCode::Ok;
        case kFileProperty:
          if (set || p->index < 1 || p->index > files.size()) return ErrorCode::InvalidNumberOfParameters;
          answer.text = files[p->index - 1].file->Name();
          return ErrorCode::Ok;
        case kFieldCountProperty:
          if (set) return ErrorCode::UnsupportedFileDriverFunction;
          answer.text = std::to_string(fields.size());
          return ErrorCode::Ok;
        case kFieldProperty:
        case kFieldNameProperty: {
          if (set || p->index < 1 || p->index > fields.size()) return ErrorCode::InvalidNumberOfParameters;
          const ReadField& f = fields[p->index - 1];
          answer.text = p->number == kFieldProperty ? std::string(f.prefix) + ":" + std::string(f.name)
                                                    : std::string(f.name);
          return ErrorCode::Ok;
        }
        default: return ErrorCode::UnsupportedFileDriverFunction;
      }
    }
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

}  // namespace zelvo
