#include "core/windows/frame/menu_commands.h"

#include "core/windows/reference/dni_r.h"
#include "core/windows/reference/konst.h"
#include "core/windows/reference/obekt.h"
#include "core/windows/reference/uchastok.h"
#include "core/windows/requisites/osnova.h"

namespace zelvo {
namespace {

constexpr MenuCommand kCommands[] = {
    {"&Базовые данные", "&Константы", "Konst", &Konst},
    {"&Базовые данные", "&Рабочие дни", "DniR", &DniR},
    {"&Базовые данные", "&Сотрудники", "Sotrudnik", nullptr},
    {"&Базовые данные", "&Объекты", "Obekt", &Obekt},
    {"&Базовые данные", "&Участки", "Uchastok", &Uchastok},
    {"&Базовые данные", "&Реквизиты предприятия", "Osnova", &Osnova},

    {"&Текущие данные", "&Ввод из списка", "Bolnica", nullptr},
    {"&Текущие данные", "&Сдельная работа", "Sdelka", nullptr},
    {"&Текущие данные", "&Расчет зарплаты", "Nbasa", nullptr},
    {"&Текущие данные", "&Налоги на фонд оплаты труда", "Zelvo", nullptr},

    {"&Отчетные документы", "&Печать налоговой карточки", "NalogKartaSel", nullptr},
    {"&Отчетные документы", "&Индивидуальные сведения", "Individ", nullptr},
    {"&Отчетные документы", "&Сводная ведомость", "Svod", nullptr},
    {"&Отчетные документы", "&Карта индивидуальная социального налога", "SetSotrudnik", nullptr},
    {"&Отчетные документы", "&Авансовые платежи", "AvansNew", nullptr},
    {"&Отчетные документы", "&Отчеты по категориям", "KategorPr", nullptr},

    {"&Сервис", "&Исправить номера ПФР", "PfrEdit", nullptr},
    {"&Сервис", "&Передать список в NP 2004", "np2004", nullptr},
    {"&Сервис", "&Период работы", "Pensta", nullptr},
    {"&Сервис", "&Передать в НДФЛ", "ndfl2", nullptr},
};

}  // namespace

std::span<const MenuCommand> MenuCommands() { return kCommands; }

}  // namespace zelvo
