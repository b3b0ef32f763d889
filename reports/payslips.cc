#include "reports/payslips.h"

#include "core/dictionary_setup.h"
#include "core/startup/program_objects.h"
#include "core/pay_values.h"
#include "core/program_variables.h"
#include "core/tables/basa.h"
#include "core/tables/nbasa.h"
#include "reports/report_procedure.h"
#include "reports/selection_form.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo {

// What a payslip computes for its record.
#define ZELVO_PAYSLIP_VALUES(FIELD) \
  FIELD(FAML, String(30))           \
  FIELD(SUMOKLL, Decimal(7, 2))     \
  FIELD(SUMTARL, Decimal(7, 2))     \
  FIELD(SUMTARPL, Decimal(7, 2))    \
  FIELD(PRPRL, Decimal(5, 1))       \
  FIELD(VYCHETYL, Decimal(7, 2))    \
  FIELD(KVYDACHEL, Decimal(7, 2))   \
  FIELD(DOLGL, Decimal(7, 2))
ZELVO_DECLARE_FIELDS(PayslipValues, SLIP, ZELVO_PAYSLIP_VALUES);

namespace {

constexpr const char* kMonthFilter = "year(NBA:data)=year(dat) and month(NBA:data)=month(dat)";
constexpr const char* kChosenFilter =
    "year(NBA:data)=year(dat) and month(NBA:data)=month(dat) and "
    "(NBA:num=num1 or NBA:num=num2 or NBA:num=num3 or NBA:num=num4)";
constexpr std::size_t kSurnameKey = 2;  // NBA:FAM_KEY
constexpr std::size_t kNumberKey = 1;   // BAS:NUM_KEY

std::string Clipped(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// A number picture narrower than its field shows "####" for the larger
// amounts the field holds (a tariff sum of 10 656.00 in "@n_7.2b"): such a
// picture is widened to the field's digits and its box moved left by the
// added width, so the right edge stays where the layout puts it.
struct FittedPicture {
  std::string picture;
  double shift = 0;
};

FittedPicture FitToField(const std::string& picture, const FieldDeclaration& field, const ReportFont& font) {
  const std::optional<Picture> given = Picture::Parse(picture);
  if (!given || field.type != FieldType::Decimal) return {picture, 0};
  const int needed = field.size + (field.places > 0 ? 1 : 0);
  if (given->width() >= needed) return {picture, 0};
  const std::size_t digits = picture.find_first_of("0123456789");
  const std::size_t end = picture.find_first_not_of("0123456789", digits);
  std::string wider = picture.substr(0, digits) + std::to_string(needed) + picture.substr(end);
  if (!Picture::Parse(wider)) return {picture, 0};
  return {wider, DigitsWidth(font, needed - given->width())};
}

class PayslipReport final : public ReportProcedure {
 public:
  PayslipReport(PayslipSelection selection, ErrorReporter& reporter, IniStore& settings)
      : ReportProcedure(selection == PayslipSelection::Month ? "RaschPr" : "RaschSelPr", reporter, settings,
                        kNbasaTable, kSurnameKey, selection == PayslipSelection::Month ? kMonthFilter : kChosenFilter,
                        kA4Portrait, {13, 10, 270, 298}),
        slip_(layout.Detail(91, 131)) {
    LayOut(selection == PayslipSelection::Chosen);
  }

 protected:
  Level PrintRecord() override;

 private:
  void LayOut(bool chosen);
  FieldBinding Pay(const char* name, FieldHandle field) {
    return FieldBinding(std::string("NBA:") + name, relations::NBASA->Me().file().Record(), field);
  }
  FieldBinding Own(const char* name, FieldHandle field) { return FieldBinding(name, values_, field); }

  RecordBuffer values_{kPayslipValuesFields};
  Band& slip_;
};

void PayslipReport::LayOut(bool chosen) {
  Band& b = slip_;
  const ReportFont text{10};
  const ReportFont small{8};
  const auto right = TextAlignment::Right;
  auto label = [&](double x, double y, const char* caption, ReportFont font = {10}) {
    b.Text(x, y, Cp1251Literal(caption), font);
  };
  auto number = [&](double x, double y, FieldBinding value, const char* picture, ReportFont font = {10}) {
    const FittedPicture fitted = FitToField(picture, value.Declaration(), font);
    b.Field(x - fitted.shift, y, std::move(value), fitted.picture, font, right);
  };
  // The frame.
  b.Line(0, 0, 0, 130);
  b.Line(90, 0, 0, 130);
  b.Line(0, 0, 90, 0);
  b.Line(0, 130, 90, 0);

  // The top block.
  b.Field(3, 1, Pay("NUM", NBA.NUM), "@n_4b", text, right, 8);
  label(21, 1, "Лицевой счет за");
  b.Field(47, 1, Pay("DATA", NBA.DATA), "@d6.", text);
  b.Field(2, 6, Own("FAML", SLIP.FAML), "@s30", text);
  label(1, 11, "Оклад");
  number(15, 11, Pay("OKLAD", NBA.OKLAD), "@n_8.2b");
  label(36, 11, "Кол-во льгот иждивенцев");
  number(79, 11, Pay("KLG", NBA.KLG), "@n2b");
  label(1, 17, "Тариф");
  number(12, 17, Pay("TARIF", NBA.TARIF), "@n_5.2b");
  label(27, 17, "КТУ");
  number(35, 17, Pay("KTU", NBA.KTU), "@n_4.2b");
  label(47, 17, "Рабочие дни месяца");
  number(82, 17, FieldBinding("DNR", PayValues(), PAY.DNR), "@n2");
  struct Basis {
    double y;
    const char* caption;
    FieldBinding sum;
    const char* sumPicture;
    double sumX;
    FieldBinding count;
    const char* countPicture;
    double countX;
    const char* unit;
  };
  const Basis bases[] = {
      {23, "Сумма по окладу", Own("SUMOKLL", SLIP.SUMOKLL), "@n_8.2b", 41, Pay("DNI", NBA.DNI), "@n_2b", 70, "дней"},
      {28, "Сумма по тарифу", Own("SUMTARL", SLIP.SUMTARL), "@n_7.2b", 43, Pay("CASY", NBA.CASY), "@n_3b", 68,
       "часов"},
      {33, "Сумма по тарифу подрост.", Own("SUMTARPL", SLIP.SUMTARPL), "@n_7.2b", 43, Pay("CASYP", NBA.CASYP), "@n3b",
       68, "часов"},
      {38, "Сумма по тарифу сдельн.", Pay("SUMTARS", NBA.SUMTARS), "@n_7.2b", 43, Pay("CASYS", NBA.CASYS), "@n3b", 68,
       "часов"},
      {43, "Сумма по среднему", Pay("SRED", NBA.SRED), "@n_7.2b", 43, Pay("CASYSRED", NBA.CASYSRED), "@n3b", 68,
       "часов"},
  };
  for (const Basis& basis : bases) {
    label(1, basis.y, basis.caption);
    number(basis.sumX, basis.y, basis.sum, basis.sumPicture);
    label(62, basis.y, "за");
    number(basis.countX, basis.y, basis.count, basis.countPicture);
    label(79, basis.y, basis.unit);
  }

  // The accruals, left of the rule at x 43.
  b.Line(43, 49, 0, 81);
  struct Row {
    double y;
    const char* caption;
    FieldBinding value;
    const char* picture;
    double x;
  };
  const Row accruals[] = {
      {47, "Больн.", Pay("BOLNICA", NBA.BOLNICA), "@n_9.2b", 22},
      {52, "Отпуск.", Pay("OTPUSK", NBA.OTPUSK), "@n_9.2b", 22},
      {57, "Комп.", Pay("COMP", NBA.COMP), "@n_7.2b", 26},
      {62, "Мат.выг.", Pay("VYGODA", NBA.VYGODA), "@n_7.2b", 26},
      {67, "Ремонт", Pay("REMONT", NBA.REMONT), "@n_7.2b", 26},
      {72, "Мат.пом.", Pay("POMOSCH", NBA.POMOSCH), "@n_9.2b", 22},
      {77, "Премия", Pay("PREMIJ", NBA.PREMIJ), "@n_9.2b", 22},
      {82, "Премия %", Pay("PREMIJPR", NBA.PREMIJPR), "@n_7.2b", 26},
      {87, "Тр.согл", Pay("TRUD", NBA.TRUD), "@n_9.2b", 22},
      {92, "Совмещ.", Pay("SOVMECH", NBA.SOVMECH), "@n_7.2b", 26},
      {96, "Бригад.", Pay("BRIGADA", NBA.BRIGADA), "@n_7.2b", 26},
      {101, "Возврат", Pay("VOZVRAT", NBA.VOZVRAT), "@n_9.2b", 22},
      {105, "Классн.", Pay("KLASS", NBA.KLASS), "@n_7.2b", 26},
      {chosen ? 110.0 : 111.0, "Мойка", Pay("MOIKA", NBA.MOIKA), "@n_7.2b", 26},
      {115, "Прочие", Pay("PROCH", NBA.PROCH), "@N-_10.2B", 21},
      {120, "Пособие", Pay("POSOBIE", NBA.POSOBIE), "@n_8.2b", 24},
      {chosen ? 124.0 : 125.0, "Ночные", Pay("NOCHNYE", NBA.NOCHNYE), "@n_8.2b", 24},
  };
  for (const Row& row : accruals) {
    label(2, row.y, row.caption);
    number(row.x, row.y, row.value, row.picture);
  }
  // The days and hours beside some accruals, and the premium's percent.
  number(15, 47, Pay("BTXT", NBA.BTXT), "@n3b");
  number(15, 52, Pay("OTXT", NBA.OTXT), "@n3b");
  number(15, 57, Pay("CTXT", NBA.CTXT), "@n3b");
  b.Field(14, 67, Pay("CASYR", NBA.CASYR), "@n_3b", small, TextAlignment::Left);
  label(20, 67, "час", small);
  number(15, 82, Own("PRPRL", SLIP.PRPRL), "@n5.1b", small);

  // The totals and deductions, right of the rule.
  for (double y : {49, 60, 65, 111, 116, 122}) b.Line(43, y, 47, 0);
  const Row deductions[] = {
      {50, "Сумма льгот ижд.", Pay("SUMLG", NBA.SUMLG), "@n_7.2b", 73},
      {55, "Сумма льгот лич.", Pay("SUMLGL", NBA.SUMLGL), "@n_7.2b", 73},
      {60, "Начислено", Pay("SUMM", NBA.SUMM), "@n_9.2b", 70},
      {65, "Налог пд 13%", Pay("N12", NBA.N12), "@n_7.2b", 73},
      {70, "Выдано из кассы", Pay("AVANS", NBA.AVANS), "@n_9.2b", 70},
      {75, "Подотчет", Pay("PODOTCHET", NBA.PODOTCHET), "@n_9.2b", 70},
      {80, "Ссуда", Pay("SSUDA", NBA.SSUDA), "@n_9.2b", 70},
      {85, "Удерж.за матер.", Pay("VYCHMATERIAL", NBA.VYCHMATERIAL), "@n_9.2b", 70},
      {90, "Удерж.за товары", Pay("VYCHTOVAR", NBA.VYCHTOVAR), "@n_9.2b", 70},
      {96, "Удерж. долга", Pay("DOLGRETURN", NBA.DOLGRETURN), "@n_9.2b", 70},
      {101, "Проч.удерж.", Pay("PROCHIE", NBA.PROCHIE), "@n-_10.2b", 69},
      {106, "Алименты", Pay("ALIMENT", NBA.ALIMENT), "@n_7.2b", 73},
      {112, "Итого вычеты", Own("VYCHETYL", SLIP.VYCHETYL), "@n_9.2b", chosen ? 72.0 : 70.0},
      {118, "К выдаче", Own("KVYDACHEL", SLIP.KVYDACHEL), "@n_8.2b", 72},
      {124, "Долг", Own("DOLGL", SLIP.DOLGL), "@n_8.2b", 72},
  };
  for (const Row& row : deductions) {
    label(44, row.y, row.caption);
    number(row.x, row.y, row.value, row.picture);
  }
}

Level PayslipReport::PrintRecord() {
  const RecordBuffer& pay = relations::NBASA->Me().file().Record();
  TableManager& register_ = relations::BASA->Me();
  RecordBuffer& employee = register_.file().Record();
  RecordBuffer& v = values_;
  v.Clear();

  // The employee's name from the register; a number the register does not
  // hold prints no name rather than the name last read.
  (void)BAS.NUM.Set(employee, NBA.NUM.Get(pay));
  (void)register_.FetchOrClear(kNumberKey);
  std::string name = Clipped(BAS.FAM.Get(employee)) + " " + Clipped(BAS.NOM.Get(employee)) + " " +
                     Clipped(BAS.PER.Get(employee));
  if (name.find_first_not_of(' ') == std::string::npos) name.clear();
  (void)SLIP.FAML.Set(v, name.substr(0, 30));

  const Decimal tariff = NBA.TARIF.Get(pay), share = NBA.KTU.Get(pay);
  (void)SLIP.SUMTARL.Set(v, tariff * share * NBA.CASY.Get(pay));
  (void)SLIP.SUMTARPL.Set(v, tariff * share * NBA.CASYP.Get(pay));
  (void)SLIP.SUMOKLL.Set(v, NBA.OKLAD.Get(pay) * share * NBA.DNI.Get(pay) / Decimal(PAY.DNR.Get(PayValues())));
  const Decimal premium = NBA.PREMIJPR.Get(pay);
  (void)SLIP.PRPRL.Set(v, premium * 100 / SLIP.SUMTARL.Get(v) + premium * 100 / SLIP.SUMOKLL.Get(v));
  const Decimal withheld = NBA.AVANS.Get(pay) + NBA.ALIMENT.Get(pay) + NBA.PODOTCHET.Get(pay) + NBA.SSUDA.Get(pay) +
                           NBA.PROCHIE.Get(pay) + NBA.VYCHMATERIAL.Get(pay) + NBA.VYCHTOVAR.Get(pay) +
                           NBA.DOLGRETURN.Get(pay) + NBA.N12.Get(pay);
  (void)SLIP.VYCHETYL.Set(v, withheld);
  const Decimal accrued = NBA.SUMM.Get(pay), total = SLIP.VYCHETYL.Get(v);
  if (accrued > total) {
    (void)SLIP.KVYDACHEL.Set(v, accrued - total);
  } else {
    (void)SLIP.DOLGL.Set(v, total - accrued);
  }
  composer.PrintBand(slip_);
  return LevelOk;
}

}  // namespace

std::unique_ptr<ReportRunner> MakePayslipReport(PayslipSelection selection) {
  return std::make_unique<PayslipReport>(selection, ProgramErrors(), ProgramSettings());
}

void RaschPr() { (void)MakePayslipReport(PayslipSelection::Month)->RunWindow(); }

void RaschSelPr() {
  NumRasSel();  // whichever button closed it, the numbers stand
  (void)MakePayslipReport(PayslipSelection::Chosen)->RunWindow();
}

void NumRasSel() {
  RecordBuffer& variables = ProgramVariables();
  SelectionForm form("NumRasSel", ProgramErrors(), ProgramSettings(), "Update the mnz File", SelectionForm::OkCloses);
  form.Prompt(Cp1251Literal("Номера расчеток"));
  form.Entry("", FieldBinding("NUM1", variables, VAR.num1), "@n_5b");
  form.Entry("", FieldBinding("NUM2", variables, VAR.num2), "@n_5b");
  form.Entry("", FieldBinding("NUM3", variables, VAR.num3), "@n_5b");
  form.Entry("", FieldBinding("NUM4", variables, VAR.num4), "@n_5b");
  (void)form.RunWindow();
}

}  // namespace zelvo
