// The case-entry program's tables of an institution receiving its package.
#include "case_entry_tables.h"

#include "dbfsql/dbf_query.h"

namespace kelmo {

void WriteCaseEntrySanctions(const QString& folder, const CaseEntrySanctions& entry) {
  dbfsql::TQuery q;
  q.SetDatabaseName(folder);
  q.SetStatement({QStringLiteral("update stacion.dbf s set s.REPEAT_UPL=null"),
                  QStringLiteral("where s.id=:idcase")});
  q.SetParam(QStringLiteral("idcase"), entry.CaseNumber);
  q.ExecSQL();
  if (entry.Sanctions.isEmpty()) return;
  q.SetStatement({QStringLiteral("delete from sank.dbf where id=:id and daterep=:daterep")});
  q.SetParam(QStringLiteral("id"), entry.CaseNumber);
  q.SetParam(QStringLiteral("daterep"), entry.ReportDate);
  q.ExecSQL();
  q.SetStatement({QStringLiteral("insert into sank.dbf (id, s_code, s_sum, s_tip, s_osn, s_com, "
                                 "PENALTY, s_ist, usl_ok, daterep)"),
                  QStringLiteral("values(:id, :s_code, :s_sum, :s_tip, :s_osn, :s_com, 0, "
                                 ":s_ist, :usl_ok, :daterep)")});
  for (const SankCall& s : entry.Sanctions) {
    q.SetParam(QStringLiteral("id"), entry.CaseNumber);
    q.SetParam(QStringLiteral("s_code"), s.SCode);
    q.SetParam(QStringLiteral("s_sum"), s.SSum.ToDouble());
    q.SetParam(QStringLiteral("s_tip"), s.STip);
    q.SetParam(QStringLiteral("s_osn"), s.SOsn);
    q.SetParam(QStringLiteral("s_com"), s.SCom);
    q.SetParam(QStringLiteral("s_ist"), s.SIst);
    q.SetParam(QStringLiteral("usl_ok"), s.UslOk);
    q.SetParam(QStringLiteral("daterep"), entry.ReportDate);
    // The table takes what it can; a row it refuses is passed over.
    try {
      q.ExecSQL();
    } catch (const dbfsql::EDbfSqlError&) {
    }
  }
}

}  // namespace kelmo
