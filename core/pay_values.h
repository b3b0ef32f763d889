// The values the monthly pay calculation works with, beside the fields of the
// pay record and its lines:
//
//   PAY   the program-wide pay values, one process-wide instance (PayValues()),
//         shared by the pay-records browse, the pay-record form and the pay-line
//         form: the chosen employee's data, the year-to-date sums, the working
//         days and the tax constants of the month computed.
//   FORM  the values of one pay-record form (a buffer per open form).
//   LINE  the values of one pay-line form (a buffer per open form).
//
// `dat`, `datN`, `numG` and `uchastokg` are program variables (VAR,
// core/program_variables.h) because filters bind them; they are not repeated here.
//
// Each set is a record layout of its own, declared like a table's fields, so
// every value has its declared type in one place and is read and written with
// the same handles as fields: a decimal store rounds half away from zero to its
// places, and a value that does not fit is refused (the value keeps its bytes).
//
//     RecordBuffer& pay = PayValues();
//     Decimal salary = PAY.OKLADG.Get(pay);            // DECIMAL(7,2)
//     RecordBuffer form(kPayFormFields);               // all zero: a form just opened
//     (void)FORM.SUMOKLL.Set(form, Decimal(10000) * 10 / 21);   // 4761.90
//
// The calculation takes the buffers explicitly through PayGlobals, so tests
// run on fresh buffers and never on the process-wide ones. Like all program
// state the buffers are touched only by the thread holding the run token.
#pragma once

#include "storage/declare_fields.h"
#include "core/program_variables.h"
#include "storage/record_buffer.h"

namespace zelvo {

#define ZELVO_PAY_VALUES(FIELD)                                                        \
  FIELD(FAMG, String(23))      /* surname of the chosen employee */                   \
  FIELD(NOMG, String(20))      /* name */                                              \
  FIELD(PERG, String(20))      /* patronymic */                                        \
  FIELD(POSTG, String(20))     /* position */                                          \
  FIELD(OKLADG, Decimal(7, 2)) /* monthly salary */                                    \
  FIELD(TARIFG, Decimal(7, 2)) /* hourly rate */                                       \
  FIELD(KTUG, Decimal(3, 2))   /* participation coefficient */                         \
  FIELD(KLASSG, Decimal(3, 0)) /* class bonus percent */                               \
  FIELD(MOIKAG, Decimal(3, 0)) /* car-washing percent */                               \
  FIELD(HG, Byte())            /* Chernobyl */                                         \
  FIELD(AG, Byte())            /* Afghanistan */                                       \
  FIELD(IG, Byte())            /* disabled */                                          \
  FIELD(OG, Byte())            /* single mother */                                     \
  FIELD(PG, Byte())            /* migrant */                                           \
  FIELD(DATK, Date())          /* dismissal date */                                    \
  FIELD(SPR, Decimal(9, 2))    /* income from a previous employer this year */        \
  FIELD(IGD1G, Byte())         /* 1 when dependant 1 counts for the deduction */      \
  FIELD(IGD2G, Byte())                                                                 \
  FIELD(IGD3G, Byte())                                                                 \
  FIELD(IGD4G, Byte())                                                                 \
  FIELD(IGD5G, Byte())                                                                 \
  FIELD(KIGD, Byte())          /* dependants counted for the deduction */             \
  FIELD(ALIMG, Byte())         /* alimony code 0..3 */                                 \
  FIELD(F, Decimal(9, 2))      /* payroll fund of the year before this month */       \
  FIELD(BOLNG, Decimal(9, 2))  /* sick pay of the year before this month */           \
  FIELD(COMPG, Decimal(9, 2))  /* compensation of the year before this month */       \
  FIELD(POMOSCHG, Decimal(9, 2)) /* material aid of the year before this month */     \
  FIELD(DNR, Byte())           /* working days of the month */                         \
  FIELD(G1, Decimal(9, 2))     /* personal deduction */                                \
  FIELD(G2, Decimal(9, 2))     /* deduction per dependant */                           \
  FIELD(G3, Decimal(9, 2))     /* year-to-date income limit of the deductions */      \
  FIELD(G4, Decimal(9, 2))     /* yearly non-taxable material aid */                  \
  FIELD(G5, Decimal(9, 2))     /* non-taxable gift, shown only */                      \
  FIELD(G6, Decimal(9, 2))     /* Afghanistan deduction */                             \
  FIELD(G7, Decimal(9, 2))     /* Chernobyl deduction */                               \
  FIELD(G8, Decimal(9, 2))     /* property deduction, loaded only */                   \
  FIELD(G9, Decimal(9, 2))     /* disabled deduction */                                \
  FIELD(G0, Decimal(9, 2))     /* migrant deduction */                                 \
  FIELD(F28, Decimal(7, 2))    /* pension contribution of the month, shown only */    \
  FIELD(MESTOG, String(20))    /* work object of the current line */
ZELVO_DECLARE_FIELDS(PayValues, PAY, ZELVO_PAY_VALUES);

#define ZELVO_PAY_FORM_VALUES(FIELD)                                                   \
  FIELD(SUMOKLL, Decimal(7, 2))   /* pay by salary */                                  \
  FIELD(SUMTARL, Decimal(7, 2))   /* pay by tariff */                                  \
  FIELD(SUMTARPL, Decimal(7, 2))  /* pay by tariff for a minor's hours */              \
  FIELD(OMPL, Decimal(9, 2))      /* taxable part of this month's material aid */     \
  FIELD(REG13, Decimal(7, 2))     /* manual correction added to the income tax */     \
  FIELD(VYCHETYL, Decimal(7, 2))  /* total withheld */                                 \
  FIELD(KVYDACHEL, Decimal(7, 2)) /* amount to be paid out */                          \
  FIELD(DOLGL, Decimal(7, 2))     /* debt of the employee */
ZELVO_DECLARE_FIELDS(PayForm, FORM, ZELVO_PAY_FORM_VALUES);

#define ZELVO_PAY_LINE_FORM_VALUES(FIELD) \
  FIELD(SUMOKLL, Decimal(7, 2))           \
  FIELD(SUMTARL, Decimal(7, 2))           \
  FIELD(SUMTARPL, Decimal(7, 2))
ZELVO_DECLARE_FIELDS(PayLineForm, LINE, ZELVO_PAY_LINE_FORM_VALUES);

// The process-wide pay values, cleared at start (zero numbers, blank texts, no dates).
RecordBuffer& PayValues();

// The program-wide state one calculation reads and writes: `variables` of the
// layout kProgramVariablesFields (dat, datN, numG, uchastokg), `pay` of the
// layout kPayValuesFields. The buffers are the caller's; they must outlive it.
struct PayGlobals {
  RecordBuffer& variables;
  RecordBuffer& pay;

  // The process-wide pair: ProgramVariables() and PayValues().
  static PayGlobals Program();
};

}  // namespace zelvo
