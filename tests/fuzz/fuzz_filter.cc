// Arbitrary bytes as a filter expression over a bound pay record and two
// variables. Compiling never crashes or recurses without bound: it gives a
// tree or an error with a position inside the text. A tree evaluates in every
// form, twice with the same text. The functions that reach outside (the
// profile file, paths, the clock, chance) are shadowed by bound callables, so
// a run depends on its input alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/date_time.h"
#include "storage/declare_fields.h"
#include "storage/filter/filter_expression.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

#define FUZZ_PAY_FIELDS(FIELD) \
  FIELD(NUM, Decimal(5, 0)) FIELD(DATA, Date()) FIELD(FAM, String(20)) FIELD(NOTE, CString(8)) FIELD(D, Long().Dim(3))
ZELVO_DECLARE_FIELDS(FuzzPay, FPAY, FUZZ_PAY_FIELDS);

struct Fixture {
  Fixture() : record(kFuzzPayFields) {
    record.Clear();
    (void)FPAY.NUM.Set(record, 12);
    (void)FPAY.DATA.Set(record, zelvo::Date(3, 15, 2004));
    (void)FPAY.FAM.Set(record, "Ivanov");
    bindings.BindRecord("NBA", record);
    const zelvo::FieldDeclaration& date = kFuzzPayFields[1];
    bindings.Bind("dat", date, record.Bytes().data() + date.offset);
    for (const char* name : {"GETINI", "PATH", "LONGPATH", "SHORTPATH", "CLOCK", "RANDOM", "TODAY"})
      bindings.BindCallable(name, [](std::span<const std::string_view> args) {
        return args.empty() ? std::string("0") : std::string(args[0]);
      });
  }
  zelvo::RecordBuffer record;
  zelvo::FilterBindings bindings;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zelvo::FilterCompilation compiled = zelvo::FilterExpression::Compile(text, fixture.bindings);
  if (!compiled.ok()) {
    Check(compiled.error.code == zelvo::ErrorCode::InvalidExpression ||
          compiled.error.code == zelvo::ErrorCode::NoBindOnVariable);
    Check(compiled.error.position <= size);
    return 0;
  }
  Check(compiled.end <= size);
  const zelvo::FilterExpression& e = *compiled.expression;
  (void)e.Integer();
  (void)e.Real();
  (void)e.Truth();
  (void)e.Exact();
  const std::string first(e.Text());
  Check(first == e.Text());
  return 0;
}
