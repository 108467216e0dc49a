// The budget intake's bed days and their recount.
#include "bed_days.h"

#include "domain/run_user.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"

namespace kelmo {

int BedDays(int stacType, const QDateTime& start, const QDateTime& finish, int lpu,
            HolidayCalendar& calendar) {
  return CountBedDays(stacType, start, finish, lpu, calendar, kBudgetRecountSpecialDay);
}

void RecountBedDays(FbDatabase& db, FbTransaction& tr, int repn, int stacType, int lpu,
                    HolidayCalendar& calendar, RunUser* user) {
  FbQuery szKD(db, &tr);
  szKD.setSql(QStringLiteral(
      "select m.id, m.id_ill, m.startd, m.finish from mtl m where repn=:repn and m.kd is null"));
  szKD.setParam(QStringLiteral("repn"), repn);
  szKD.Open();
  if (user) user->BeginPhase(QStringLiteral("Расчет кол-ва койко-дней..."), szKD.RecordCount());
  FbQuery szUpKD(db, &tr);
  szUpKD.setSql(QStringLiteral(
      "update mtl m set m.kd=:kd, m.kdfmtl=:kd, m.kdoms=:kd, m.kdmes=:kd where m.id=:id"));
  for (szKD.First(); !szKD.Eof(); szKD.Next()) {
    const int kd = BedDays(stacType, szKD.FieldByName(QStringLiteral("STARTD")).toDateTime(),
                           szKD.FieldByName(QStringLiteral("FINISH")).toDateTime(), lpu, calendar);
    szUpKD.setParam(QStringLiteral("kd"), kd);
    szUpKD.setParam(QStringLiteral("id"), szKD.FieldByName(QStringLiteral("ID")));
    szUpKD.ExecSQL();
    if (user) user->StepRecord();
  }
  tr.Commit();
  FbQuery szUpStac(db, &tr);
  szUpStac.setSql(QStringLiteral(
      "update stacion s set s.kdf=(select sum(m.kd) from mtl m where m.id_ill=s.id_ill), "
      "s.kdmtl=(select sum(m.kd) from mtl m where m.id_ill=s.id_ill) where s.repn=:repn and "
      "s.kdmtl is null"));
  szUpStac.setParam(QStringLiteral("repn"), repn);
  szUpStac.ExecSQL();
}

}  // namespace kelmo
