// The sanctions of a check row in the acts database and the registry.
#include "case_sanctions.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "documents/document_header.h"
#include "domain/common.h"
#include "firebird/database_error.h"
#include "firebird/fb_query.h"
#include "shell/acts_connection.h"

namespace kelmo {
namespace {

// Rolls the acts database's transaction back unless committed.
class ActsTransaction {
 public:
  explicit ActsTransaction(ActsConnection* acts) : acts_(acts) {
    if (acts_ && !acts_->Database().transaction())
      throw DatabaseError(QStringLiteral("База актов: не удалось начать транзакцию: ") +
                          acts_->Database().lastError().text());
  }
  ~ActsTransaction() {
    if (acts_ && !committed_) acts_->Database().rollback();
  }
  ActsTransaction(const ActsTransaction&) = delete;
  ActsTransaction& operator=(const ActsTransaction&) = delete;
  void Commit() {
    if (!acts_) return;
    if (!acts_->Database().commit())
      throw DatabaseError(QStringLiteral("База актов: не удалось сохранить санкции: ") +
                          acts_->Database().lastError().text());
    committed_ = true;
  }

 private:
  ActsConnection* acts_;
  bool committed_ = false;
};

QVariant Amount(Money value) {
  return QString::number(value.ToDouble(), 'f', 2);
}

}  // namespace

bool StoresSanctions(const SanctionParty& party) {
  return (!party.WhoDetail.IsInstitution() && party.Receiving) ||
         (party.WhoDetail.IsInstitution() && !party.Receiving);
}

int ConditionOfCare(int stacTypeNumber, PayKind payKind) {
  switch (stacTypeNumber) {
    case 1:
      if (payKind == PayKind::Oms) return 1;
      if (payKind == PayKind::Vmp) return 11;
      if (payKind == PayKind::Rehabilitation) return 12;
      return 10;
    case 2:
      return 22;
    case 3:
      return 23;
    case 4:
      return 24;
    default:
      return 0;
  }
}

int InsurerOfRow(const QString& smoCode) {
  const QString text = smoCode.isEmpty() ? QStringLiteral("0") : smoCode;
  bool ok = false;
  const int code = text.trimmed().toInt(&ok);
  if (!ok)
    throw ConversionError(QStringLiteral("'%1' не является кодом страховой компании").arg(text));
  return code == 45001 || code == 45002 ? code : 45;
}

QList<SankCall> SankCalls(const QList<rMEK>& sanctions, const SanctionTarget& target,
                          const SanctionParty& party) {
  QList<SankCall> calls;
  if (sanctions.isEmpty() || party.WhoDetail.IsInstitution() || sanctions.first().Kind != 1)
    return calls;
  const int smo = InsurerOfRow(target.SmoCode);
  const int uslOk = ConditionOfCare(target.StacTypeNumber, party.PayKind);
  for (qsizetype i = 0; i < sanctions.size(); ++i) {
    const rMEK& entry = sanctions[i];
    SankCall call;
    call.UslOk = uslOk;
    call.IdReport = target.Repn;
    call.DateReport = target.DateRep;
    call.IdCase = entry.CaseId;
    call.Mcod = target.LpuMcod;
    call.Sumv = target.Amount;
    call.STip = entry.Kind;
    call.Smo = smo;
    call.SOsn = entry.BasisCode;
    call.SCom = entry.Text;
    call.SIst = party.WhoDetail.IsFund() ? 2 : 1;
    call.SSum = entry.Kind == 1 && i == 0 ? target.Amount : Money();
    if (entry.Kind == 1) call.IdAkt = -1;
    calls.append(call);
  }
  return calls;
}

void CallSetSank(ActsConnection& acts, const SankCall& call) {
  QSqlQuery q(acts.Database());
  if (!q.prepare(QStringLiteral("{call sp_set_sank(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)}")))
    throw DatabaseError(QStringLiteral("База актов: sp_set_sank: ") + q.lastError().text());
  q.addBindValue(call.UslOk);
  q.addBindValue(call.IdReport);
  q.addBindValue(call.DateReport);
  q.addBindValue(call.IdCase);
  q.addBindValue(call.Mcod);
  q.addBindValue(call.Smo);
  q.addBindValue(Amount(call.SSum));
  q.addBindValue(Amount(call.Sumv));
  q.addBindValue(Amount(call.SPenalty));
  q.addBindValue(call.STip);
  q.addBindValue(call.SOsn);
  q.addBindValue(call.SCom.left(250));
  q.addBindValue(call.SIst);
  q.addBindValue(call.IdAkt.isNull() ? QVariant(QMetaType(QMetaType::Int)) : call.IdAkt);
  q.addBindValue(call.ParamGroup);
  if (!q.exec())
    throw DatabaseError(QStringLiteral("База актов: sp_set_sank: ") + q.lastError().text());
}

void StoreCaseSanctions(FbDatabase& db, FbTransaction& tr, ActsConnection* acts,
                        const QList<rMEK>& sanctions, const SanctionTarget& target,
                        const SanctionParty& party) {
  if (sanctions.isEmpty() || !StoresSanctions(party)) return;
  const QList<SankCall> calls = SankCalls(sanctions, target, party);
  ActsTransaction actsTr(calls.isEmpty() ? nullptr : acts);
  if (acts)
    for (const SankCall& call : calls) CallSetSank(*acts, call);
  if (!calls.isEmpty()) {
    FbQuery ins(db, &tr);
    ins.setSql(
        QStringLiteral("insert into mek_cases (ID_ILL, ERROR_TYPE, ERROR_TEXT) "
                       "values (:id_ill, :error_type, :error_text)"));
    for (const rMEK& entry : sanctions) {
      ins.setParam(QStringLiteral("id_ill"), target.IdIll);
      ins.setParam(QStringLiteral("error_type"), target.MtlOncoStatus);
      ins.setParam(QStringLiteral("error_text"), entry.Text);
      ins.ExecSQL();
    }
  }
  // The case's sums by the first sanction's kind; a later store of the same
  // case keeps the МЭК sum its first store set.
  const rMEK& first = sanctions.first();
  if (target.FirstStoreOfCase || first.Kind != 1) {
    QVariant sumMek, sumMee, sumEkmp, expert;
    const QMetaType intType(QMetaType::Int);
    sumMek = sumMee = sumEkmp = QVariant(QMetaType(QMetaType::Double));
    expert = QVariant(intType);
    switch (first.Kind) {
      case 1:
        sumMek = target.Amount.ToDouble();
        expert = 4;
        break;
      case 2:
        sumMee = 0.0;
        expert = 1;
        break;
      case 3:
        sumEkmp = 0.0;
        expert = 2;
        break;
      default:
        break;
    }
    FbQuery up(db, &tr);
    up.setSql(
        QStringLiteral("update stacion s set s.sum_mek=:sum_mek, s.sum_mee=:sum_mee, "
                       "s.sum_ekmp=:sum_ekmp, s.expert=:expert where id_ill=:id_ill"));
    up.setParam(QStringLiteral("sum_mek"), sumMek);
    up.setParam(QStringLiteral("sum_mee"), sumMee);
    up.setParam(QStringLiteral("sum_ekmp"), sumEkmp);
    up.setParam(QStringLiteral("expert"), expert);
    up.setParam(QStringLiteral("id_ill"), first.CaseId);
    up.ExecSQL();
  }
  actsTr.Commit();
}

QList<ActsSanction> ReadCaseSanctions(ActsConnection& acts, int idCase, const QDate& dateEnd,
                                      int repn) {
  QSqlQuery q(acts.Database());
  q.setForwardOnly(true);
  if (!q.prepare(QStringLiteral(
          "select * from sank s where s.IDCASE=? and s.DATE_REPORT=? and s.ID_REPORT=? "
          "and s.usl_ok in (1,11,12,22,23,24) and s.s_tip in (1,10,11,12)")))
    throw DatabaseError(QStringLiteral("База актов: sank: ") + q.lastError().text());
  q.addBindValue(idCase);
  q.addBindValue(QDateTime(dateEnd, QTime(0, 0)));
  q.addBindValue(repn);
  if (!q.exec()) throw DatabaseError(QStringLiteral("База актов: sank: ") + q.lastError().text());
  const QSqlRecord record = q.record();
  auto column = [&record](const char* name) { return record.indexOf(QString::fromLatin1(name)); };
  const int code = column("s_code") >= 0 ? column("s_code") : column("id");
  QList<ActsSanction> rows;
  while (q.next()) {
    ActsSanction s;
    s.Code = TrimText(q.value(code).toString());
    s.Sum = MoneyOfField(q.value(column("s_sum")));
    s.Reason = TrimText(q.value(column("s_osn")).toString());
    s.Comment = TrimText(q.value(column("s_com")).toString());
    s.Source = TrimText(q.value(column("s_ist")).toString());
    rows << s;
  }
  return rows;
}

}  // namespace kelmo
