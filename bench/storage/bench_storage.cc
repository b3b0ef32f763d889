// The same table work on an indexed record file (the VXR driver, through
// PerformFileOperation as the program does it) and on SQLite (prepared
// statements), in one run, printed as time ratios VXR / SQLite.
//
// Both stores hold the NBASA table: the same generated records (a fixed seed),
// the same 51 columns and the same two keys, NUM_KEY (NUM, DATA) and FAM_KEY
// (FAM, without regard to case). SQLite columns: every DECIMAL as an INTEGER
// scaled by 10^places (exact, as compact as SQLite stores numbers), DATE as
// its day number, BYTE as INTEGER, STRING as TEXT without its trailing blanks.
//
// Cases, each on fresh files in one temporary directory (both on one disk):
//   (a) the batch of records added: VXR under STREAM with one FLUSH, SQLite in
//       one transaction;
//   (b) 2000 records added one by one to an empty file, each durable on its
//       own: VXR commits every ADD, SQLite autocommits (synchronous=FULL,
//       rollback journal);
//   (c) every record read in NUM_KEY order;
//   (d) random look-ups of a NUM_KEY value, the whole record read;
//   (e) PUTs changing FAM (a key field) of records found by NUM_KEY;
//   (f) DELETEs of records found by NUM_KEY;
//   (g) the file's size after (a);
//   (h) the batch added inside one LOGOUT/COMMIT against SQLite's one
//       BEGIN/COMMIT;
//   (i) two processes adding the one-by-one count of records each into one
//       file at once, every record durable on its own: VXR opened shared by
//       both, SQLite with a busy timeout;
//   (j) the reports' scan of one year's pay records: VXR through a view with
//       the filter year(NBA:DATA)=year(dat) in record order, SQLite through a
//       WHERE on the day numbers of that year (neither has a key on DATA);
//   (k) the reports' read of one employee's records: positioned in NUM_KEY at
//       (NUM, no date) and read on while NUM stays, against SQLite's
//       WHERE NUM = ? ORDER BY DATA; for a hundredth of the look-ups' count
//       of employees.
// (e) and (f) are batches like (h): one LOGOUT/COMMIT against one
// transaction, so that they weigh the keys' upkeep rather than the disk's
// sync (which (b) weighs). (a) keeps the stream rule, which writes every 40
// dirty pages; `zelvo table load` adds its batch in one transaction, as (h). SQLite runs the whole work twice, with its rollback journal and in
// WAL mode, both with synchronous=FULL; the ratios are against the rollback
// journal, those of the durable cases (b) and (i) against the better of the
// two. Each run repeats the whole work `--runs` times and prints the median of
// every case.
//
// Usage: bench_storage [--quick] [--records N] [--runs N] [--dir PATH] [--skip-durable]
// (--records after --quick changes the batch of the quick scale;
// --skip-durable leaves out (b), whose syncs hide the rest from a profiler).
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/tables/nbasa.h"
#include "runtime/decimal.h"
#include "storage/built_in/built_in_drivers.h"
#include "storage/error_state.h"
#include "storage/file_operations.h"
#include "storage/filter/filter_bindings.h"
#include "storage/view/view.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Op = FileOperation;

constexpr std::size_t kFieldCount = kNbasaFields.size();
constexpr std::uint64_t kSeed = 20261210;

struct Scale {
  std::size_t batch;        // (a)
  std::size_t oneByOne;     // (b)
  std::size_t lookups;      // (d)
  std::size_t changes;      // (e), (f)
};
// The year (j) scans: the first of the generated months' years.
constexpr int kScannedYear = 2010;
constexpr Scale kFull{100'000, 2'000, 100'000, 10'000};
constexpr Scale kQuick{10'000, 200, 10'000, 1'000};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_storage: %s\n", what.c_str());
  std::exit(1);
}

// ---------------------------------------------------------------- records

// One generated record: its values as SQLite stores them, and its VXR image.
struct Row {
  std::int64_t numbers[kFieldCount] = {};  // scaled decimals, day numbers, bytes
  std::string texts[kFieldCount];          // STRING fields, blanks clipped
  std::vector<std::uint8_t> image;         // the record buffer's bytes
};

std::int64_t PowerOfTen(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

std::string Surname(std::mt19937_64& rng) {
  static constexpr std::string_view kSyllables[] = {"IV", "AN", "OV", "PE", "TR", "SI", "DO", "RO",
                                                    "KO", "VA", "LE", "NI", "MI", "KH", "ZA", "BE"};
  std::string s;
  const std::size_t parts = 2 + rng() % 4;
  for (std::size_t i = 0; i < parts; ++i) s += kSyllables[rng() % std::size(kSyllables)];
  return s + (rng() % 3 == 0 ? "A" : "OV");
}

// `count` monthly records: `count / 20` employees over 20 months, month after
// month as a payroll adds them. About half the amounts are nonzero.
std::vector<Row> Generate(std::size_t count) {
  std::mt19937_64 rng(kSeed);
  const std::size_t employees = std::max<std::size_t>(1, count / 20);
  std::vector<std::string> surnames, posts;
  for (std::size_t e = 0; e < employees; ++e) {
    surnames.push_back(Surname(rng));
    posts.push_back(rng() % 2 ? "OPERATOR" : "SLESAR " + std::to_string(rng() % 7));
  }
  std::vector<Row> rows(count);
  RecordBuffer record(kNbasaFields);
  for (std::size_t i = 0; i < count; ++i) {
    Row& row = rows[i];
    const std::size_t employee = i % employees;
    const int month = static_cast<int>(i / employees);
    std::fill(record.Bytes().begin(), record.Bytes().end(), std::uint8_t{0});
    for (std::size_t f = 0; f < kFieldCount; ++f) {
      const FieldDeclaration& d = kNbasaFields[f];
      const FieldHandle handle(kNbasaFields, f);
      StoreResult stored = StoreResult::Ok;
      switch (d.type) {
        case FieldType::Decimal: {
          const std::int64_t limit = PowerOfTen(std::min<int>(d.size, 9));
          std::int64_t v = rng() % 2 ? static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(limit)) : 0;
          if (f == NbasaFields::Index::NUM) v = static_cast<std::int64_t>(employee + 1);
          row.numbers[f] = v;
          stored = DecimalField(handle).Set(record, Decimal(v) / Decimal(PowerOfTen(d.places)));
          break;
        }
        case FieldType::Date: {
          const DayNumber day = zelvo::Date(1 + month % 12, 1, 2010 + month / 12);
          row.numbers[f] = day;
          stored = DateField(handle).Set(record, day);
          break;
        }
        case FieldType::Byte: {
          row.numbers[f] = static_cast<std::int64_t>(rng() % 2);
          stored = IntegerField<FieldType::Byte>(handle).Set(record, row.numbers[f]);
          break;
        }
        case FieldType::String: {
          row.texts[f] = f == NbasaFields::Index::FAM    ? surnames[employee]
                         : f == NbasaFields::Index::POST ? posts[employee]
                                                         : "UCHASTOK " + std::to_string(employee % 12);
          stored = TextField<FieldType::String>(handle).Set(record, row.texts[f]);
          break;
        }
        default: Fail("NBASA has a field type this bench does not generate");
      }
      if (stored != StoreResult::Ok) Fail("a generated value does not fit field " + std::string(d.name));
    }
    row.image.assign(record.Bytes().begin(), record.Bytes().end());
  }
  return rows;
}

// The records' positions in a fixed random order, for look-ups and changes.
std::vector<std::size_t> Shuffled(std::size_t count, std::uint64_t seed) {
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937_64(seed));
  return order;
}

// The work both stores do; each answers a checksum of what it read, so the
// two can be compared and nothing read is optimised away.
struct Work {
  const std::vector<Row>& rows;
  std::vector<std::size_t> lookups;  // (d): row positions, with repeats
  std::vector<std::size_t> changed;  // (e): distinct rows
  std::vector<std::size_t> deleted;  // (f): distinct rows, none of (e)
  std::vector<std::string> newSurnames;
  std::vector<std::int64_t> employees;  // (k): NUM values, with repeats
  DayNumber yearFrom = 0, yearTo = 0;   // (j): the scanned year's first and last day
};

Work Plan(const std::vector<Row>& rows, const Scale& scale) {
  Work w{rows, {}, {}, {}, {}, {}, zelvo::Date(1, 1, kScannedYear), zelvo::Date(12, 31, kScannedYear)};
  std::mt19937_64 rng(kSeed + 1);
  for (std::size_t i = 0; i < scale.lookups; ++i) w.lookups.push_back(rng() % rows.size());
  const std::vector<std::size_t> order = Shuffled(rows.size(), kSeed + 2);
  const std::size_t changes = std::min(scale.changes, rows.size() / 2);
  w.changed.assign(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(changes));
  w.deleted.assign(order.begin() + static_cast<std::ptrdiff_t>(changes),
                   order.begin() + static_cast<std::ptrdiff_t>(2 * changes));
  for (std::size_t i = 0; i < changes; ++i) w.newSurnames.push_back(Surname(rng));
  const std::size_t employees = std::max<std::size_t>(1, rows.size() / 20);
  for (std::size_t i = 0; i < std::max<std::size_t>(1, scale.lookups / 100); ++i)
    w.employees.push_back(static_cast<std::int64_t>(1 + rng() % employees));
  return w;
}

// ---------------------------------------------------------------- timing

struct Measures {
  double seconds[10] = {};  // (a) .. (f), (h), (i), (j), (k)
  std::uint64_t bytes = 0;  // (g)
  std::uint64_t scanSum = 0, lookupSum = 0, yearSum = 0, employeeSum = 0;
};

// Times one case and, for a long run's patience, says so on stderr.
template <class F>
double Time(std::string_view store, char which, F&& work) {
  const auto start = Clock::now();
  work();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::fprintf(stderr, "  %.*s (%c) %.3f s\n", static_cast<int>(store.size()), store.data(), which, seconds);
  return seconds;
}

// ---------------------------------------------------------------- VXR

class VxrStore {
 public:
  explicit VxrStore(std::string name)
      : name_(std::move(name)),
        declaration_{.label = "NBASA", .driver = Driver::Vxr, .name = name_,
                     .attributes = kFileCreate, .fields = kNbasaFields, .keys = kNbasaKeys},
        file_(declaration_) {}
  ~VxrStore() {
    if (file_.IsOpen()) (void)PerformFileOperation(file_, Op::CLOSE);
  }

  void Create() { Do(Op::CREATE); }
  // Read/write, others kept from writing; shared: others may write too.
  void Open(bool shared = false) {
    OperationArguments args;
    args.mode = AccessMode{static_cast<std::uint8_t>(shared ? 0x42 : 0x22)};
    Do(Op::OPEN, args);
  }
  void Close() { Do(Op::CLOSE); }
  std::uint64_t Size() const { return fs::file_size(name_ + ".VXR"); }

  void Add(const std::vector<Row>& rows, std::size_t count, bool stream) {
    if (stream) Do(Op::STREAM);
    for (std::size_t i = 0; i < count; ++i) {
      Load(rows[i]);
      Do(Op::ADD);
    }
    if (stream) Do(Op::FLUSH);
  }

  void AddInTransaction(const std::vector<Row>& rows, std::size_t count) {
    Do(Op::LOGOUT);
    for (std::size_t i = 0; i < count; ++i) {
      Load(rows[i]);
      Do(Op::ADD);
    }
    Do(Op::COMMIT);
  }

  // Rows [from, from + count) one by one, each durable.
  void AddEach(const std::vector<Row>& rows, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
      Load(rows[i % rows.size()]);
      Do(Op::ADD);
    }
  }

  std::uint64_t ScanInKeyOrder(std::size_t expected) {
    OperationArguments byNum;
    byNum.key = 1;
    Do(Op::SETkey, byNum);
    std::uint64_t sum = 0, seen = 0;
    while (PerformFileOperation(file_, Op::NEXT) == ErrorCode::Ok) {
      sum = sum * 31 + Checksum();
      ++seen;
    }
    if (RuntimeErrorState().Code() != ErrorCode::RecordNotAvailable || seen != expected)
      Fail("VXR key-order scan stopped after " + std::to_string(seen) + " records");
    return sum;
  }

  std::uint64_t Lookups(const Work& w) {
    std::uint64_t sum = 0;
    for (std::size_t i : w.lookups) {
      Find(w.rows[i]);
      sum += Checksum();
    }
    return sum;
  }

  std::uint64_t ScanYear(const Work& w) {
    RecordBuffer variables(kNbasaFields);  // `dat`, a DATE, lives in its DATA field
    if (NBA.DATA.Set(variables, w.yearFrom) != StoreResult::Ok) Fail("cannot set dat");
    FilterBindings& bindings = CurrentBindings();
    bindings.Push();
    bindings.Bind("dat", kNbasaFields[NbasaFields::Index::DATA],
                  variables.Bytes().data() + kNbasaFields[NbasaFields::Index::DATA].offset);
    Do(Op::SETfile);  // the view follows the FILE's order: record order
    std::uint64_t sum = 0;
    {
      View view(ViewDeclaration{.label = "NbasaYear", .primary = {&file_, "NBA"}, .projection = {},
                                .filter = "year(NBA:data)=year(dat)", .order = {}, .joins = {}});
      if (view.Perform(Op::SETview) != ErrorCode::Ok) Fail("SETview failed");
      ErrorCode code;
      while ((code = view.Perform(Op::NEXT)) == ErrorCode::Ok) sum += Checksum();
      if (code != ErrorCode::RecordNotAvailable) Fail("the year's view stopped with " + std::to_string(Number(code)));
    }
    if (bindings.Pop() != ErrorCode::Ok) Fail("bindings");
    return sum;
  }

  std::uint64_t ScanEmployees(const Work& w) {
    std::uint64_t sum = 0;
    OperationArguments byNum;
    byNum.key = 1;
    for (const std::int64_t num : w.employees) {
      RecordBuffer& r = file_.Record();
      if (NBA.NUM.Set(r, Decimal(num)) != StoreResult::Ok || NBA.DATA.Set(r, 0) != StoreResult::Ok) Fail("NUM");
      Do(Op::SETkeykey, byNum);
      while (PerformFileOperation(file_, Op::NEXT) == ErrorCode::Ok && NBA.NUM.Get(r).ToInt64() == num)
        sum += Checksum();
    }
    return sum;
  }

  void ChangeSurnames(const Work& w) {
    Do(Op::LOGOUT);
    for (std::size_t i = 0; i < w.changed.size(); ++i) {
      Find(w.rows[w.changed[i]]);
      if (NBA.FAM.Set(file_.Record(), w.newSurnames[i]) != StoreResult::Ok) Fail("surname too long");
      Do(Op::PUT);
    }
    Do(Op::COMMIT);
  }

  void Delete(const Work& w) {
    Do(Op::LOGOUT);
    for (std::size_t i : w.deleted) {
      Find(w.rows[i]);
      Do(Op::DELETE);
    }
    Do(Op::COMMIT);
  }

 private:
  void Do(Op op, const OperationArguments& args = {}) {
    if (const ErrorCode code = PerformFileOperation(file_, op, args); code != ErrorCode::Ok)
      Fail("VXR " + std::string(OperationName(op)) + " answered " + std::to_string(static_cast<int>(code)) +
           " " + RuntimeErrorState().FileErrorText());
  }
  void Load(const Row& row) { std::memcpy(file_.Record().Bytes().data(), row.image.data(), row.image.size()); }
  void Find(const Row& row) {
    Load(row);  // the key's fields, and the rest overwritten by the read
    OperationArguments byNum;
    byNum.key = 1;
    Do(Op::GETfilekey, byNum);
  }
  std::uint64_t Checksum() const {
    const RecordBuffer& r = file_.Record();
    return static_cast<std::uint64_t>(NBA.NUM.Get(r).ToInt64()) * 100003u +
           static_cast<std::uint64_t>(NBA.DATA.Get(r)) +
           static_cast<std::uint64_t>((NBA.SUMM.Get(r) * Decimal(100)).ToInt64()) +
           NBA.FAM.Clipped(r).size();
  }

  std::string name_;
  FileDeclaration declaration_;
  File file_;
};

// ---------------------------------------------------------------- SQLite

class SqliteStore {
 public:
  explicit SqliteStore(std::string path, bool wal = false) : path_(std::move(path)), wal_(wal) {}
  ~SqliteStore() { Close(); }

  void Create() {
    Open();
    std::string table = "CREATE TABLE NBASA (";
    for (std::size_t f = 0; f < kFieldCount; ++f) {
      table += (f ? ", " : "") + std::string(kNbasaFields[f].name) +
               (kNbasaFields[f].type == FieldType::String ? " TEXT" : " INTEGER");
    }
    Exec(table + ")");
    Exec("CREATE INDEX NBA_NUM_KEY ON NBASA (NUM, DATA)");
    Exec("CREATE INDEX NBA_FAM_KEY ON NBASA (FAM COLLATE NOCASE)");
    Close();
  }
  void Open(bool shared = false) {
    if (sqlite3_open(path_.c_str(), &db_) != SQLITE_OK) Fail("SQLite cannot open " + path_);
    if (shared) sqlite3_busy_timeout(db_, 600'000);
    Exec(wal_ ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
    Exec("PRAGMA synchronous=FULL");
  }

  void AddInTransaction(const std::vector<Row>& rows, std::size_t count) { Add(rows, count, true); }
  void AddEach(const std::vector<Row>& rows, std::size_t from, std::size_t count) {
    std::vector<Row> part;
    for (std::size_t i = from; i < from + count; ++i) part.push_back(rows[i % rows.size()]);
    Add(part, count, false);
  }
  void Close() {
    for (sqlite3_stmt* s : {insert_, select_, update_, delete_, scan_, year_, employee_}) sqlite3_finalize(s);
    insert_ = select_ = update_ = delete_ = scan_ = year_ = employee_ = nullptr;
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
  }
  // With WAL mode the file and its log (empty after the last close).
  std::uint64_t Size() const {
    const std::string wal = path_ + "-wal";
    return fs::file_size(path_) + (fs::exists(wal) ? fs::file_size(wal) : 0);
  }

  void Add(const std::vector<Row>& rows, std::size_t count, bool transaction) {
    if (!insert_) {
      std::string sql = "INSERT INTO NBASA VALUES (";
      for (std::size_t f = 0; f < kFieldCount; ++f) sql += f ? ", ?" : "?";
      insert_ = Prepare(sql + ")");
    }
    if (transaction) Exec("BEGIN");
    for (std::size_t i = 0; i < count; ++i) {
      const Row& row = rows[i];
      for (std::size_t f = 0; f < kFieldCount; ++f) {
        const int column = static_cast<int>(f + 1);
        if (kNbasaFields[f].type == FieldType::String)
          sqlite3_bind_text(insert_, column, row.texts[f].data(), static_cast<int>(row.texts[f].size()),
                            SQLITE_STATIC);
        else
          sqlite3_bind_int64(insert_, column, row.numbers[f]);
      }
      StepDone(insert_);
    }
    if (transaction) Exec("COMMIT");
  }

  std::uint64_t ScanInKeyOrder(std::size_t expected) {
    if (!scan_) scan_ = Prepare("SELECT * FROM NBASA ORDER BY NUM, DATA");
    std::uint64_t sum = 0, seen = 0;
    int rc;
    while ((rc = sqlite3_step(scan_)) == SQLITE_ROW) {
      sum = sum * 31 + ReadRow(scan_);
      ++seen;
    }
    sqlite3_reset(scan_);
    if (rc != SQLITE_DONE || seen != expected) Fail("SQLite scan stopped after " + std::to_string(seen));
    return sum;
  }

  std::uint64_t Lookups(const Work& w) {
    std::uint64_t sum = 0;
    for (std::size_t i : w.lookups) {
      Find(w.rows[i]);
      sum += ReadRow(select_);
      sqlite3_reset(select_);
    }
    return sum;
  }

  std::uint64_t ScanYear(const Work& w) {
    if (!year_) year_ = Prepare("SELECT * FROM NBASA WHERE DATA >= ?1 AND DATA <= ?2");
    sqlite3_bind_int64(year_, 1, w.yearFrom);
    sqlite3_bind_int64(year_, 2, w.yearTo);
    std::uint64_t sum = 0;
    while (sqlite3_step(year_) == SQLITE_ROW) sum += ReadRow(year_);
    sqlite3_reset(year_);
    return sum;
  }

  std::uint64_t ScanEmployees(const Work& w) {
    if (!employee_) employee_ = Prepare("SELECT * FROM NBASA WHERE NUM = ?1 ORDER BY DATA");
    std::uint64_t sum = 0;
    for (const std::int64_t num : w.employees) {
      sqlite3_bind_int64(employee_, 1, num);
      while (sqlite3_step(employee_) == SQLITE_ROW) sum += ReadRow(employee_);
      sqlite3_reset(employee_);
    }
    return sum;
  }

  void ChangeSurnames(const Work& w) {
    if (!update_) update_ = Prepare("UPDATE NBASA SET FAM = ?3 WHERE NUM = ?1 AND DATA = ?2");
    Exec("BEGIN");
    for (std::size_t i = 0; i < w.changed.size(); ++i) {
      BindKey(update_, w.rows[w.changed[i]]);
      sqlite3_bind_text(update_, 3, w.newSurnames[i].data(), static_cast<int>(w.newSurnames[i].size()),
                        SQLITE_STATIC);
      StepDone(update_);
      if (sqlite3_changes(db_) != 1) Fail("SQLite UPDATE found no record");
    }
    Exec("COMMIT");
  }

  void Delete(const Work& w) {
    if (!delete_) delete_ = Prepare("DELETE FROM NBASA WHERE NUM = ?1 AND DATA = ?2");
    Exec("BEGIN");
    for (std::size_t i : w.deleted) {
      BindKey(delete_, w.rows[i]);
      StepDone(delete_);
      if (sqlite3_changes(db_) != 1) Fail("SQLite DELETE found no record");
    }
    Exec("COMMIT");
  }

 private:
  void Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string text = message ? message : "?";
      sqlite3_free(message);
      Fail("SQLite: " + sql + ": " + text);
    }
  }
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
      Fail("SQLite: " + sql + ": " + sqlite3_errmsg(db_));
    return s;
  }
  void StepDone(sqlite3_stmt* s) {
    if (sqlite3_step(s) != SQLITE_DONE) Fail(std::string("SQLite step: ") + sqlite3_errmsg(db_));
    sqlite3_reset(s);
  }
  static void BindKey(sqlite3_stmt* s, const Row& row) {
    sqlite3_bind_int64(s, 1, row.numbers[NbasaFields::Index::NUM]);
    sqlite3_bind_int64(s, 2, row.numbers[NbasaFields::Index::DATA]);
  }
  void Find(const Row& row) {
    if (!select_) select_ = Prepare("SELECT * FROM NBASA WHERE NUM = ?1 AND DATA = ?2");
    BindKey(select_, row);
    if (sqlite3_step(select_) != SQLITE_ROW) Fail("SQLite look-up found no record");
  }
  // Reads every column, as the VXR driver fills the whole record buffer, and
  // answers the checksum VxrStore computes from the same values.
  static std::uint64_t ReadRow(sqlite3_stmt* s) {
    std::int64_t numbers[kFieldCount];
    std::size_t famLength = 0;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
      const int column = static_cast<int>(f);
      if (kNbasaFields[f].type == FieldType::String) {
        const unsigned char* text = sqlite3_column_text(s, column);
        const std::size_t length = static_cast<std::size_t>(sqlite3_column_bytes(s, column));
        if (f == NbasaFields::Index::FAM) famLength = text ? length : 0;
        numbers[f] = 0;
      } else {
        numbers[f] = sqlite3_column_int64(s, column);
      }
    }
    return static_cast<std::uint64_t>(numbers[NbasaFields::Index::NUM]) * 100003u +
           static_cast<std::uint64_t>(numbers[NbasaFields::Index::DATA]) +
           static_cast<std::uint64_t>(numbers[NbasaFields::Index::SUMM]) + famLength;
  }

  std::string path_;
  bool wal_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt *insert_ = nullptr, *select_ = nullptr, *update_ = nullptr, *delete_ = nullptr,
               *scan_ = nullptr, *year_ = nullptr, *employee_ = nullptr;
};

struct SqliteWalStore : SqliteStore {
  explicit SqliteWalStore(std::string path) : SqliteStore(std::move(path), true) {}
};

// ---------------------------------------------------------------- the run

// The whole work on one store, on fresh files.
template <class Store>
Measures Measure(const fs::path& dir, std::string_view name, const Work& w, const Scale& scale) {
  Measures m;
  const std::string base = (dir / name).string();
  if (scale.oneByOne > 0) {
    Store store(base + "B");
    store.Create();
    store.Open();
    m.seconds[1] = Time(name, 'b', [&] { store.Add(w.rows, scale.oneByOne, false); });
    store.Close();
  }
  Store store(base);
  store.Create();
  store.Open();
  m.seconds[0] = Time(name, 'a', [&] { store.Add(w.rows, w.rows.size(), true); });
  store.Close();
  m.bytes = store.Size();
  store.Open();
  m.seconds[2] = Time(name, 'c', [&] { m.scanSum = store.ScanInKeyOrder(w.rows.size()); });
  m.seconds[3] = Time(name, 'd', [&] { m.lookupSum = store.Lookups(w); });
  m.seconds[8] = Time(name, 'j', [&] { m.yearSum = store.ScanYear(w); });
  m.seconds[9] = Time(name, 'k', [&] { m.employeeSum = store.ScanEmployees(w); });
  m.seconds[4] = Time(name, 'e', [&] { store.ChangeSurnames(w); });
  m.seconds[5] = Time(name, 'f', [&] { store.Delete(w); });
  store.ScanInKeyOrder(w.rows.size() - w.deleted.size());  // what is left is all there
  store.Close();

  Store logged(base + "T");
  logged.Create();
  logged.Open();
  m.seconds[6] = Time(name, 'h', [&] { logged.AddInTransaction(w.rows, w.rows.size()); });
  logged.Close();

  if (scale.oneByOne > 0) {
    Store shared(base + "P");
    shared.Create();
    m.seconds[7] = Time(name, 'i', [&] {
      pid_t children[2];
      for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] < 0) Fail("cannot fork");
        if (children[c] == 0) {
          Store own(base + "P");
          own.Open(true);
          own.AddEach(w.rows, static_cast<std::size_t>(c) * scale.oneByOne, scale.oneByOne);
          own.Close();
          std::_Exit(0);
        }
      }
      for (const pid_t child : children) {
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
          Fail("a process adding at the same time failed");
      }
    });
    shared.Open();
    shared.ScanInKeyOrder(2 * scale.oneByOne);  // every record of both is there
    shared.Close();
  }
  return m;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Case {
  const char* name;
  std::size_t measure;  // its place in Measures::seconds
  double target;
  bool durable;         // against the better of the two SQLite modes
};
constexpr Case kCases[] = {
    {"(a) batch ADD, STREAM/transaction", 0, 1.0, false},
    {"(b) ADD one by one, each durable", 1, 1.0, true},
    {"(c) full scan in NUM_KEY order", 2, 1.0, false},
    {"(d) random look-ups by NUM_KEY", 3, 1.0, false},
    {"(e) PUT changing FAM (a key field)", 4, 1.5, false},
    {"(f) DELETE", 5, 1.5, false},
    {"(h) batch ADD in one LOGOUT/COMMIT", 6, 1.0, false},
    {"(i) 2 processes ADD one by one, durable", 7, 1.0, true},
    {"(j) one year's records, filter (view)", 8, 1.0, false},
    {"(k) employees' records by NUM_KEY", 9, 1.0, false},
};

double MedianOf(const std::vector<Measures>& runs, std::size_t measure) {
  std::vector<double> v;
  for (const Measures& m : runs) v.push_back(m.seconds[measure]);
  return Median(v);
}

int Run(int argc, char** argv) {
  Scale scale = kFull;
  int runs = 3;
  fs::path dir = fs::temp_directory_path();
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--quick") scale = kQuick;
    else if (arg == "--records" && i + 1 < argc) scale.batch = std::max<std::size_t>(40, std::strtoul(argv[++i], nullptr, 10));
    else if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--dir" && i + 1 < argc) dir = argv[++i];
    else if (arg == "--skip-durable") scale.oneByOne = 0;
    else Fail("usage: bench_storage [--quick] [--records N] [--runs N] [--dir PATH] [--skip-durable]");
  }
  std::string pattern = (dir / "bench_storage.XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("cannot make a directory in " + dir.string());
  const fs::path work = pattern;

  const std::vector<Row> rows = Generate(scale.batch);
  const Work w = Plan(rows, scale);

  std::vector<Measures> vxr, journal, wal;
  for (int r = 0; r < runs; ++r) {
    const fs::path runDir = work / std::to_string(r);
    fs::create_directories(runDir);
    vxr.push_back(Measure<VxrStore>(runDir, "NBASA", w, scale));
    journal.push_back(Measure<SqliteStore>(runDir, "NBASA.sqlite", w, scale));
    wal.push_back(Measure<SqliteWalStore>(runDir, "NBASA.wal.sqlite", w, scale));
    fs::remove_all(runDir);
    for (const Measures* lite : {&journal.back(), &wal.back()}) {
      const Measures& v = vxr.back();
      if (v.scanSum != lite->scanSum || v.lookupSum != lite->lookupSum || v.yearSum != lite->yearSum ||
          v.employeeSum != lite->employeeSum)
        Fail("the two stores read different records");
    }
  }
  fs::remove_all(work);

  std::printf("NBASA, %zu records (%zu bytes each in VXR); SQLite %s (rollback journal, WAL; synchronous=FULL); "
              "median of %d runs\n",
              rows.size(), rows[0].image.size(), sqlite3_libversion(), runs);
  std::printf("%-40s %11s %11s %11s %7s %7s  %s\n", "case", "VXR", "journal", "WAL", "ratio", "target", "met?");
  auto line = [](const char* name, double x, double y, double z, double ratio, double target) {
    std::printf("%-40s %9.3f s %9.3f s %9.3f s %7.2f %7.1f  %s\n", name, x, y, z, ratio, target,
                ratio <= target ? "yes" : "NO");
  };
  for (const Case& c : kCases) {
    const double x = MedianOf(vxr, c.measure), y = MedianOf(journal, c.measure), z = MedianOf(wal, c.measure);
    if (y == 0 || z == 0) {
      std::printf("%-40s %11s %11s %11s %7s %7.1f  %s\n", c.name, "-", "-", "-", "-", c.target, "skipped");
      continue;
    }
    line(c.name, x, y, z, x / (c.durable ? std::min(y, z) : y), c.target);
    if (c.measure == 5) {  // (g) after (f), as the cases were first numbered
      const double a = static_cast<double>(vxr[0].bytes), b = static_cast<double>(journal[0].bytes),
                   d = static_cast<double>(wal[0].bytes);
      std::printf("%-40s %8.2f MB %8.2f MB %8.2f MB %7.2f %7.1f  %s\n", "(g) file size after (a)", a / 1e6, b / 1e6,
                  d / 1e6, a / b, 1.0, a / b <= 1.0 ? "yes" : "NO");
    }
  }
  return 0;
}

}  // namespace
}  // namespace zelvo

int main(int argc, char** argv) {
  zelvo::RegisterBuiltInDrivers();
  return zelvo::Run(argc, argv);
}
