#include "reports/payment_order.h"

#include <array>

#include "core/dictionary_setup.h"
#include "core/pay_values.h"
#include "core/program_variables.h"
#include "core/startup/program_objects.h"
#include "core/tables/nbasa.h"
#include "reports/amount_in_words.h"
#include "reports/report_procedure.h"
#include "reports/selection_form.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo {

#define ZELVO_PAYMENT_ORDER_VALUES(FIELD) \
  FIELD(NPP, String(4))                   \
  FIELD(ORDERDATE, Date())                \
  FIELD(SUMMA, String(100))               \
  FIELD(NAZ, String(100))
ZELVO_DECLARE_FIELDS(PaymentOrderValues, PPO, ZELVO_PAYMENT_ORDER_VALUES);

namespace {

// The enterprise's particulars printed on the order (UTF-8 here).
struct PaymentRequisites {
  const char* payer;           // "ИНН " + INN + name
  const char* payerAccount;
  const char* payerBank;
  const char* payerBankCode;  // БИК
  const char* payerCorrespondentAccount;
  const char* payeeBank;
  const char* payeeBankCode;
  const char* payee;  // "ИНН " + INN + name
  const char* payeeAccount;
  const char* taxInspectorateCode;  // 4 digits, in the purpose
  const char* pensionFundNumber;    // 5 digits, in the purpose
};

constexpr PaymentRequisites kPaymentRequisites{
    .payer = "ИНН 5027011234 ООО \"Зелво\"",
    .payerAccount = "40702810400000012345",
    .payerBank = "ОАО \"Промбанк\" г. Люберцы",
    .payerBankCode = "044525123",
    .payerCorrespondentAccount = "30101810400000000123",
    .payeeBank = "ГРКЦ ГУ Банка России по Московской обл.",
    .payeeBankCode = "044583001",
    .payee = "ИНН 7703363868 УФК по МО (ОПФР по МО)",
    .payeeAccount = "40101810600000010102",
    .taxInspectorateCode = "5027",
    .pensionFundNumber = "06012",
};

constexpr std::array<const char*, 12> kMonthNames{"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                                                  "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};

RecordBuffer& OrderValues() {
  static RecordBuffer values(kPaymentOrderValuesFields);
  return values;
}

class PaymentOrderReport final : public ReportProcedure {
 public:
  PaymentOrderReport(ErrorReporter& reporter, IniStore& settings)
      : ReportProcedure("pfPr", reporter, settings, kNbasaTable, 0, {}, kA4Portrait, {25, 25, 173, 191}),
        form_(layout.Detail(173, 191)) {
    LayOut();
  }

 protected:
  Level PrintRecord() override {
    // Every pay record would give the same order: it is printed once.
    if (printed_) return LevelOk;
    printed_ = true;
    RecordBuffer& v = OrderValues();
    (void)PPO.ORDERDATE.Set(v, TODAY());
    (void)PPO.SUMMA.Set(v, AmountInWords(PAY.F28.Get(PayValues())));
    (void)PPO.NAZ.Set(v, PaymentPurpose(VAR.datN.Get(ProgramVariables())));
    composer.PrintBand(form_);
    return LevelOk;
  }

 private:
  void LayOut();
  Band& form_;
  bool printed_ = false;
};

void PaymentOrderReport::LayOut() {
  Band& b = form_;
  const PaymentRequisites& r = kPaymentRequisites;
  RecordBuffer& v = OrderValues();
  auto text = [&](double x, double y, const char* caption, ReportFont font = {}) {
    b.Text(x, y, Cp1251Literal(caption), font);
  };
  const ReportFont ten{10};

  text(11, 1, "ПЛАТЕЖНОЕ ПОРУЧЕНИЕ №", {10, true});
  b.Field(63, 1, FieldBinding("NPP", v, PPO.NPP), "@s4", {10, true});
  b.Field(78, 1, FieldBinding("dat", v, PPO.ORDERDATE), "@d6.", {}, TextAlignment::Center);
  text(109, 1, "Электронно");
  b.Box(145, 0, 17, 7);
  text(148, 2, "0401060", {9});
  b.Line(74, 6, 26, 0);
  b.Line(105, 6, 26, 0);
  text(85, 7, "Дата", {6});
  text(113, 7, "Вид платежа", {6});

  text(10, 13, "Сумма");
  text(10, 16, "прописью");
  b.Line(26, 12, 0, 13);
  b.Field(27, 15, FieldBinding("SUMMA", v, PPO.SUMMA), "@s100", ten, TextAlignment::Left, 159, 5);

  text(10, 27, r.payer, ten);
  text(95, 26, "Сумма");
  b.Field(116, 29, FieldBinding("F28", PayValues(), PAY.F28), "@N_8.2", {12}, TextAlignment::Right);
  text(95, 41, "Сч. №");
  text(112, 41, r.payerAccount, ten);
  text(10, 49, "Плательщик");
  text(10, 55, r.payerBank, ten);
  text(95, 54, "БИК");
  text(112, 54, r.payerBankCode, ten);
  text(95, 59, "Сч. №");
  text(112, 59, r.payerCorrespondentAccount, ten);
  text(10, 64, "Банк плательщика");
  text(10, 70, r.payeeBank, ten);
  text(96, 70, "БИК");
  text(112, 70, r.payeeBankCode, ten);
  text(95, 75, "Сч. №");
  text(10, 79, "Банк получателя");
  text(10, 85, r.payee, ten);
  text(95, 84, "Сч. №");
  text(112, 84, r.payeeAccount, ten);

  // The payment codes: captions left of the rules at x 110 and x 149.
  text(94, 100, "Вид оп.");
  text(112, 100, "01");
  text(130, 100, "Срок плат.");
  text(94, 105, "Наз.пл.");
  text(130, 105, "Очер. плат.");
  text(151, 105, "4");
  text(94, 110, "Код");
  text(130, 110, "Рез.поле ");
  text(10, 109, "Получатель");

  text(10, 116, "Назначение платежа");
  b.Field(10, 120, FieldBinding("NAZ", v, PPO.NAZ), "@s100", ten, TextAlignment::Left, 165, 5);

  text(60, 143, "Подписи");
  text(127, 143, "Отметки банка");
  text(24, 160, "М.П.");
  b.Line(55, 156, 60, 0);
  b.Line(55, 171, 60, 0);

  for (double y : {25, 69, 114}) b.Line(10, y, 155, 0);
  b.Line(9, 142, 155, 0);
  for (double y : {54, 84}) b.Line(10, y, 100, 0);
  for (double y : {40, 99}) b.Line(93, y, 72, 0);
  for (double y : {58, 74, 104, 109}) b.Line(93, y, 17, 0);
  for (double y : {104, 109}) b.Line(129, y, 20, 0);
  b.Line(93, 25, 0, 89);
  b.Line(110, 25, 0, 89);
  b.Line(129, 99, 0, 15);
  b.Line(149, 99, 0, 15);
}

}  // namespace

std::string PaymentOrderNumber() { return PPO.NPP.Get(OrderValues()); }
void SetPaymentOrderNumber(std::string_view number) { (void)PPO.NPP.Set(OrderValues(), number); }

std::string PaymentPurpose(DayNumber month) {
  const int m = Month(month);
  const std::string name = m >= 1 && m <= 12 ? kMonthNames[static_cast<std::size_t>(m - 1)] : "";
  const PaymentRequisites& r = kPaymentRequisites;
  return Cp1251Literal("Пенсионный взнос за " + name + " " + std::to_string(Year(month)) + " года код ГНИ " +
                       r.taxInspectorateCode + " рег. " + r.pensionFundNumber + ", без налога (НДС).");
}

std::unique_ptr<ReportRunner> MakePaymentOrderReport() {
  return std::make_unique<PaymentOrderReport>(ProgramErrors(), ProgramSettings());
}

void NumSel() {
  RecordBuffer& v = OrderValues();
  (void)PPO.NPP.Set(v, "");
  SelectionForm form("NumSel", ProgramErrors(), ProgramSettings(), "Update the mnz File", SelectionForm::OkStays);
  form.Entry(Cp1251Literal("Номер платежного поручения"), FieldBinding("NPP", v, PPO.NPP), "@s4");
  (void)form.RunWindow();
}

void pfPr() {
  NumSel();
  (void)MakePaymentOrderReport()->RunWindow();
}

}  // namespace zelvo
