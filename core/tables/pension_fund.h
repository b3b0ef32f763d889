// The pension-fund program's tables, opened as dBase IV files at its fixed
// path: SPISOK (the list of insured persons) and PENSTA (work periods). The
// layouts are that program's; a REAL field carries its dBase column in its
// external name ("NOM=N(10.0)"), a one-character logical column is a
// STRING(1) named "METKA=L". Neither table has keys: both are read in
// physical order.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_PENSTA_FIELDS(FIELD) \
  FIELD(NOM, Real().External("NOM=N(10.0)"))        \
  FIELD(PER, Real().External("PER=N(2.0)"))         \
  FIELD(TIP, String(1))                             \
  FIELD(ST, Date())                                 \
  FIELD(FN, Date())                                 \
  FIELD(TERR, String(3))                            \
  FIELD(KOEF, Real().External("KOEF=N(4.2)"))       \
  FIELD(TRUD, String(6))                            \
  FIELD(STOSN, String(7))                           \
  FIELD(STDOP1, Real().External("STDOP1=N(5.0)"))   \
  FIELD(STDOP2, Real().External("STDOP2=N(2.0)"))   \
  FIELD(STDOP3, String(9))                          \
  FIELD(VSOSN, String(8))                           \
  FIELD(VSDOP1, Real().External("VSDOP1=N(5.0)"))   \
  FIELD(VSDOP2, Real().External("VSDOP2=N(4.0)"))   \
  FIELD(VSDOP3, Real().External("VSDOP3=N(7.2)"))   \
  FIELD(KPOS, String(20))                           \
  FIELD(NOMPACK, Real().External("NOMPACK=N(3.0)"))
ZELVO_DECLARE_FIELDS(Pensta, PEN, ZELVO_PENSTA_FIELDS);

inline constexpr TableDeclaration kPenstaTable{
    .label = "PENSTA", .prefix = "PEN", .fileName = "C:\\INP_2004\\BASE2004\\PENSTA.DBF",
    .driver = Driver::Dbase, .messageName = "pensta", .fields = kPenstaFields};

#define ZELVO_SPISOK_FIELDS(FIELD) \
  FIELD(NOM, Real().External("NOM=N(10.0)"))         \
  FIELD(TABNOM, Real().External("TABNOM=N(10.0)"))   \
  FIELD(INN, String(12))                             \
  FIELD(STRAX, String(14))                           \
  FIELD(FAM, String(25))                             \
  FIELD(NAME, String(20))                            \
  FIELD(OTC, String(20))                             \
  FIELD(POL, String(1))                              \
  FIELD(DATEROG, Date())                             \
  FIELD(MROG, String(200))                           \
  FIELD(GRAG, String(3))                             \
  FIELD(DOK, String(35))                             \
  FIELD(DVID, Date())                                \
  FIELD(KVID, String(85))                            \
  FIELD(ADRES, String(200))                          \
  FIELD(AFAKT, String(200))                          \
  FIELD(TED, String(15))                             \
  FIELD(TES, String(15))                             \
  FIELD(KODKAT, String(4))                           \
  FIELD(DOPTAR, String(4))                           \
  FIELD(SUMNAC, Real().External("SUMNAC=N(15.2)"))   \
  FIELD(SUMSTR, Real().External("SUMSTR=N(15.2)"))   \
  FIELD(SUMNAK, Real().External("SUMNAK=N(15.2)"))   \
  FIELD(SUMDOP, Real().External("SUMDOP=N(15.2)"))   \
  FIELD(BLMES, Real().External("BLMES=N(2.0)"))      \
  FIELD(BLDEN, Real().External("BLDEN=N(2.0)"))      \
  FIELD(BSMES, Real().External("BSMES=N(2.0)"))      \
  FIELD(BSDEN, Real().External("BSDEN=N(2.0)"))      \
  FIELD(KODTUSL, String(3))                          \
  FIELD(KOFTUSL, Real().External("KOFTUSL=N(4.2)"))  \
  FIELD(TUSL, String(3))                             \
  FIELD(OSHALL, String(40))                          \
  FIELD(METKA, String(1).External("METKA=L"))        \
  FIELD(GNI, String(4))                              \
  FIELD(STATUS, String(1))                           \
  FIELD(MESTO, String(1))                            \
  FIELD(DATERAB, Date())                             \
  FIELD(DATEUVO, Date())                             \
  FIELD(NOMDOG, String(25))                          \
  FIELD(KODDOG, String(1))                           \
  FIELD(INVALID, Real().External("INVALID=N(1.0)"))  \
  FIELD(INSER, String(7))                            \
  FIELD(INNOM, String(7))                            \
  FIELD(INDATA, Date())                              \
  FIELD(DVIC400, Date())                             \
  FIELD(DVIC500, Date())                             \
  FIELD(DVIC3000, Date())                            \
  FIELD(FVIC400, Date())                             \
  FIELD(FVIC500, Date())                             \
  FIELD(FVIC3000, Date())                            \
  FIELD(NOLG, String(1).External("NOLG=L"))          \
  FIELD(Z13, Real().External("Z13=N(9.0)"))          \
  FIELD(DI, Real().External("DI=N(9.0)"))            \
  FIELD(DU, Real().External("DU=N(9.0)"))            \
  FIELD(I13, Real().External("I13=N(9.0)"))          \
  FIELD(I06, Real().External("I06=N(9.0)"))          \
  FIELD(I35, Real().External("I35=N(9.0)"))          \
  FIELD(U13, Real().External("U13=N(9.0)"))          \
  FIELD(U06, Real().External("U06=N(9.0)"))          \
  FIELD(U35, Real().External("U35=N(9.0)"))          \
  FIELD(NOMSPR, Real().External("NOMSPR=N(8.0)"))    \
  FIELD(SPRZGNI, String(15))                         \
  FIELD(SA13, Real().External("SA13=N(13.2)"))       \
  FIELD(SO13, Real().External("SO13=N(13.2)"))       \
  FIELD(SI13, Real().External("SI13=N(9.0)"))        \
  FIELD(SU13, Real().External("SU13=N(9.0)"))        \
  FIELD(SA06, Real().External("SA06=N(13.2)"))       \
  FIELD(SO06, Real().External("SO06=N(13.2)"))       \
  FIELD(SI06, Real().External("SI06=N(9.0)"))        \
  FIELD(SU06, Real().External("SU06=N(9.0)"))        \
  FIELD(SA35, Real().External("SA35=N(13.2)"))       \
  FIELD(SO35, Real().External("SO35=N(13.2)"))       \
  FIELD(SI35, Real().External("SI35=N(9.0)"))        \
  FIELD(SU35, Real().External("SU35=N(9.0)"))        \
  FIELD(SIMU, Real().External("SIMU=N(13.2)"))       \
  FIELD(SIALL, Real().External("SIALL=N(9.0)"))      \
  FIELD(SUALL, Real().External("SUALL=N(9.0)"))      \
  FIELD(SVALL, Real().External("SVALL=N(9.0)"))      \
  FIELD(SZALL, Real().External("SZALL=N(9.0)"))      \
  FIELD(SGALL, Real().External("SGALL=N(9.0)"))      \
  FIELD(SDALL, Real().External("SDALL=N(9.0)"))      \
  FIELD(PREDSUM, Real().External("PREDSUM=N(11.2)")) \
  FIELD(PREDSKM, Real().External("PREDSKM=N(11.2)")) \
  FIELD(STATVD, String(55))                          \
  FIELD(M1, Real().External("M1=N(12.2)"))           \
  FIELD(M2, Real().External("M2=N(12.2)"))           \
  FIELD(M3, Real().External("M3=N(12.2)"))           \
  FIELD(M4, Real().External("M4=N(12.2)"))           \
  FIELD(M5, Real().External("M5=N(12.2)"))           \
  FIELD(M6, Real().External("M6=N(12.2)"))           \
  FIELD(M7, Real().External("M7=N(12.2)"))           \
  FIELD(M8, Real().External("M8=N(12.2)"))           \
  FIELD(M9, Real().External("M9=N(12.2)"))           \
  FIELD(M10, Real().External("M10=N(12.2)"))         \
  FIELD(M11, Real().External("M11=N(12.2)"))         \
  FIELD(M12, Real().External("M12=N(12.2)"))         \
  FIELD(TPFIS4, String(2))                           \
  FIELD(PACKIS, Real().External("PACKIS=N(5.0)"))    \
  FIELD(DATAIS, Date())                              \
  FIELD(DOKSZV, Real().External("DOKSZV=N(3.0)"))    \
  FIELD(SOTRPK, Real().External("SOTRPK=N(3.0)"))    \
  FIELD(PACKTR, Real().External("PACKTR=N(5.0)"))    \
  FIELD(DATATR, Date())                              \
  FIELD(TPFTRS, String(1))                           \
  FIELD(DOKTRS, Real().External("DOKTRS=N(3.0)"))    \
  FIELD(PACKAV, Real().External("PACKAV=N(5.0)"))    \
  FIELD(PACKAN, Real().External("PACKAN=N(5.0)"))    \
  FIELD(PACK23, Real().External("PACK23=N(5.0)"))    \
  FIELD(DOKANK, Real().External("DOKANK=N(3.0)"))    \
  FIELD(DOK23, Real().External("DOK23=N(3.0)"))      \
  FIELD(DATAAN, Date())                              \
  FIELD(DPFAN, Date())                               \
  FIELD(DPF23, Date())                               \
  FIELD(PRICINA, String(6))                          \
  FIELD(SZV4, String(1))                             \
  FIELD(YESSZVK, String(1).External("YESSZVK=L"))    \
  FIELD(GNIA, String(4))                             \
  FIELD(DTKZ, String(16))                            \
  FIELD(DTKD, String(16))                            \
  FIELD(DTKK, String(16))                            \
  FIELD(DTKS, String(16))                            \
  FIELD(DTKSESN, String(16))                         \
  FIELD(DTKI, String(16))                            \
  FIELD(DTKPIS, String(16))                          \
  FIELD(DTKPIS4, String(16))                         \
  FIELD(DATAVID, Date())                             \
  FIELD(REESTR, Real().External("REESTR=N(3.0)"))    \
  FIELD(NOSIT, String(8))                            \
  FIELD(DATASPR, Date())                             \
  FIELD(DATASSOT, Date())                            \
  FIELD(DATASGNI, Date())                            \
  FIELD(DATAZGNI, Date())                            \
  FIELD(ADV23, String(1))                            \
  FIELD(FLAGI, String(20))
ZELVO_DECLARE_FIELDS(Spisok, SPI, ZELVO_SPISOK_FIELDS);

inline constexpr TableDeclaration kSpisokTable{
    .label = "SPISOK", .prefix = "SPI", .fileName = "C:\\INP_2004\\BASE2004\\SPISOK.DBF",
    .driver = Driver::Dbase, .messageName = "spisok", .fields = kSpisokFields};

}  // namespace zelvo
