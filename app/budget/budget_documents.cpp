// The three documents of a formed budget report, written from the budget's
// templates into the registry folder: the summary register, the register of
// bed profiles and the register of treated patients.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <optional>

#include "budget_context.h"
#include "documents/document_header.h"
#include "documents/document_workbook.h"
#include "documents/excel_range.h"
#include "documents/register_rows.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

namespace kelmo {

namespace {

QString Plain(double v) {
  return QString::number(v, 'g', QLocale::FloatingPointShortest);
}
QString Fixed2(double v) {
  return QString::number(v, 'f', 2);
}

class Document {
 public:
  Document(BudgetContext& c, workbook::ExcelApplication& excel, const QString& caption,
           const QString& templateName, const QString& output) {
    c.BeginPhase(caption, 0);
    output_ = QDir(c.In.RegistryFolder).filePath(output);
    const QString templ = TemplatePath(c.In.TemplateFolder, templateName);
    // The template is checked before the old document goes: a missing
    // template keeps the earlier document and is reported.
    if (!TemplatePresent(templ)) {
      c.Act().WriteLine(QStringLiteral("Не найден шаблон ") + templ +
                        QStringLiteral(", документ ") + output +
                        QStringLiteral(" не сформирован."));
      return;
    }
    RemoveOldOutput(output_);
    book_.emplace(excel, templ);
    excel.SetVisible(false);
  }
  bool Open() const { return book_.has_value(); }
  workbook::Worksheet& Sheet() { return book_->Sheet(); }
  void Text(int r, int col, const QString& t) { book_->Text(r, col, t); }
  void Number(int r, int col, double v) { book_->Number(r, col, v); }
  void Save() { book_->Save(output_); }

 private:
  QString output_;
  std::optional<DocumentWorkbook> book_;
};

void SummaryRegister(BudgetContext& c, workbook::ExcelApplication& excel) {
  const int n = c.In.StacType;
  Document d(c, excel, QStringLiteral("Формирование сводного реестра..."),
             QStringLiteral("budget_sfakt.xlsx"), QStringLiteral("Sfakt%1.xlsx").arg(n));
  if (!d.Open()) return;
  const LpuRequisites& l = c.In.Lpu;
  d.Text(1, 1, QStringLiteral("Сводный реестр № _____ от  ___________"));
  HeaderTexts texts;
  texts.CareKind = CareKindOfStacType(n);
  texts.FundTitle = QStringLiteral("VAZU Толвенской области");
  texts.InnSeparator = QStringLiteral("/");
  WriteRequisitesHeader(d.Sheet(), l, ReadFundRequisites(c.Svc.Db, &c.Svc.Tr, 4), texts);
  d.Text(16, 1,
         PeriodText(QStringLiteral("Оказанная медицинская помощь с "), c.In.PeriodStart,
                    c.In.PeriodEnd));
  FbQuery sum(c.Svc.Db, &c.Svc.Tr);
  sum.setSql(
      QStringLiteral("select SUM(m.kdoms) AS KD,SUM(m.ocncost) AS COST,SUM(m.dopcost) AS DOP "
                     "from mtl m where m.repn=:p_REPN and m.oplat=2"));
  sum.setParam(QStringLiteral("p_REPN"), c.St.ReportNumber);
  sum.Open();
  const int bedDays = sum.FieldByName(QStringLiteral("KD")).toInt();
  const double total = std::nearbyint((sum.FieldByName(QStringLiteral("COST")).toDouble() +
                                       sum.FieldByName(QStringLiteral("DOP")).toDouble()) *
                                      10000) /
                       10000;
  d.Number(16, 3, bedDays);
  // The count of the report's stays goes beside the bed days.
  FbQuery stays(c.Svc.Db, &c.Svc.Tr);
  stays.setSql(QStringLiteral(
      "select count(distinct m.id_ill) from mtl m where m.repn=:p_REPN and m.oplat=2"));
  stays.setParam(QStringLiteral("p_REPN"), c.St.ReportNumber);
  stays.Open();
  d.Number(16, 5, stays.Value(0, 0).toInt());
  d.Text(16, 9, Plain(total));
  d.Text(17, 1, QStringLiteral("ВСЕГО"));
  d.Number(17, 3, bedDays);
  d.Text(17, 9, Plain(total));
  GridRange(excel, QStringLiteral("A16"), QStringLiteral("I17"));
  WriteSignatureBlock(d.Sheet(), {{19, 1}, {19, 2}, {19, 5}, {19, 9}, {21, 1}, false}, l);
  d.Save();
}

void ProfileRegister(BudgetContext& c, workbook::ExcelApplication& excel) {
  const int n = c.In.StacType;
  Document d(c, excel, QStringLiteral("Формирование реестра профилей коек..."),
             QStringLiteral("budget_profils.xlsx"), QStringLiteral("Profils%1.xlsx").arg(n));
  if (!d.Open()) return;
  d.Text(1, 1,
         QStringLiteral("Реестр коек по профилю с ") + ShortDateText(c.In.PeriodStart) +
             QStringLiteral(" по ") + ShortDateText(c.In.PeriodEnd));
  d.Text(3, 1, c.In.Lpu.Name + QStringLiteral(" (") + CareKindOfStacType(n) + QLatin1Char(')'));
  FbQuery prof(c.Svc.Db, &c.Svc.Tr);
  prof.setSql(
      QStringLiteral("select distinct m.pr_oms, p.name from MTL m left JOIN STACION s on "
                     "s.id_ill = m.id_ill left JOIN profil p on (p.tip_prof=m.pr_oms) where "
                     "(s.repn=:repn) and (m.oplat=2) order by m.pr_oms"));
  prof.setParam(QStringLiteral("repn"), c.St.ReportNumber);
  prof.Open();
  c.BeginPhase(QStringLiteral("Формирование реестра профилей коек..."), prof.RecordCount());
  ProfileSums grand;
  auto write = [&](int r, const QString& title, const ProfileSums& t) {
    d.Text(r, 1, title);
    d.Number(r, 2, t.Kd);
    d.Number(r, 3, t.KdOms);
    d.Text(r, 4, Fixed2(t.Total().ToDouble()));
    d.Text(r, 5, Fixed2(t.OcnCost.ToDouble()));
    d.Text(r, 6, Fixed2(t.DopCost.ToDouble()));
    d.Number(r, 7, t.CaseCount);
    d.Number(r, 8, t.SociumCount);
  };
  int r = 7;
  for (prof.First(); !prof.Eof(); prof.Next()) {
    FbQuery rows(c.Svc.Db, &c.Svc.Tr);
    rows.setSql(
        QStringLiteral("select m.kd, m.kdoms, m.ocncost, m.dopcost, s.socium from MTL m left "
                       "JOIN STACION s on (m.id_ill=s.id_ill) where (s.repn=:repn) and "
                       "(m.pr_oms=:pr_oms) and (m.oplat=2)"));
    rows.setParam(QStringLiteral("repn"), c.St.ReportNumber);
    rows.setParam(QStringLiteral("pr_oms"), prof.FieldByName(QStringLiteral("PR_OMS")));
    rows.Open();
    ProfileSums t;
    for (rows.First(); !rows.Eof(); rows.Next()) t.Add(rows);
    grand.Add(t);
    write(r++, TrimText(prof.FieldByName(QStringLiteral("NAME")).toString()), t);
    c.Step();
  }
  write(r, QStringLiteral("Итого:"), grand);
  GridRange(excel, QStringLiteral("A7"), QStringLiteral("H%1").arg(r));
  d.Save();
}

void PatientRegister(BudgetContext& c, workbook::ExcelApplication& excel) {
  const int n = c.In.StacType;
  Document d(c, excel, QStringLiteral("Формирование реестра пролеченных больных..."),
             QStringLiteral("budget_sreestr.xlsx"), QStringLiteral("Sreestr%1.xlsx").arg(n));
  if (!d.Open()) return;
  d.Text(1, 1,
         QStringLiteral("Реестр пролеченных больных с ") + ShortDateText(c.In.PeriodStart) +
             QStringLiteral(" по ") + ShortDateText(c.In.PeriodEnd));
  d.Text(3, 1, c.In.Lpu.Name + QStringLiteral(" (") + CareKindOfStacType(n) + QLatin1Char(')'));
  FbQuery cases(c.Svc.Db, &c.Svc.Tr);
  cases.setSql(QStringLiteral(
      "select distinct s.ID_ILL, s.FAMILY, s.NAME, s.FATHER, s.DR, s.NOMIB,s.NUM_KARTA, s.SERIA, "
      "s.NUMBER, s.D_SERIA, s.D_NOMBER from stacion s left join mtl m on s.id_ill=m.id_ill where "
      "(s.repn=:repn) and m.oplat=2 order by s.FAMILY, s.NAME, s.FATHER"));
  cases.setParam(QStringLiteral("repn"), c.St.ReportNumber);
  cases.Open();
  c.BeginPhase(QStringLiteral("Формирование реестра пролеченных больных..."), cases.RecordCount());
  static const char* const kDays[] = {"KD", "KDOMS", "KDMES", "KDSVMES", "KDNOT"};
  static const char* const kMoney[] = {"OCNCOST", "DOPCOST", "OCNCOSTPOMES", "OCNCOSTSVMES"};
  struct Totals {
    qint64 days[5] = {};
    double money[4] = {};
    void Add(const FbQuery& q) {
      for (int i = 0; i < 5; ++i)
        days[i] += q.FieldByName(QString::fromLatin1(kDays[i])).toLongLong();
      for (int i = 0; i < 4; ++i)
        money[i] += q.FieldByName(QString::fromLatin1(kMoney[i])).toDouble();
    }
  } grand;
  int r = 8;
  for (cases.First(); !cases.Eof(); cases.Next()) {
    auto cf = [&](const char* f) { return cases.FieldByName(QString::fromLatin1(f)); };
    FbQuery sheets(c.Svc.Db, &c.Svc.Tr);
    sheets.setSql(QStringLiteral(
        "select m.STAC_DIAG, m.KOD_MES, m.KD, m.KDOMS, m.KDMES, m.KDSVMES, m.KDNOT, r.NAME as "
        "R_NAME, p.NAME as P_NAME, m.ACCOMP1, m.ACCOMP2, m.ACCOMP3, m.MES_ACC1, m.MES_ACC2, "
        "m.MES_ACC3, m.ACCOMP_L1, m.ACCOMP_L2, m.ACCOMP_L3, m.COP1COST, m.COP2COST, m.COP3COST, "
        "m.DOPCOST, m.OCNCOST, m.OCNCOSTPOMES, m.OCNCOSTSVMES from MTL m left join SPR_RES_LECH r "
        "on r.KOD=m.RES_LECHEN left join PROFIL p on p.TIP_PROF=m.PR_OMS where m.id_ill=:id_ill "
        "and m.repn=:repn and m.oplat=2 order by m.NOM_MTL"));
    sheets.setParam(QStringLiteral("id_ill"), cf("ID_ILL"));
    sheets.setParam(QStringLiteral("repn"), c.St.ReportNumber);
    sheets.Open();
    if (sheets.RecordCount() == 0) continue;
    const QString name = RegisterPatientName(cf("FAMILY").toString(), cf("NAME").toString(),
                                             cf("FATHER").toString());
    Totals caseTotals;
    int index = 0;
    for (sheets.First(); !sheets.Eof(); sheets.Next(), ++index) {
      auto sf = [&](const char* f) { return sheets.FieldByName(QString::fromLatin1(f)); };
      if (index > 0) {
        r += 6;
        CopyRangeToCell(excel, QStringLiteral("A7:P12"), r, 1);
      }
      d.Text(r, 1, cf("SERIA").toString());
      d.Text(r, 2, cf("NOMIB").toString());
      d.Text(r, 3, name);
      d.Text(r, 4, ShortDateText(cf("DR").toDate()));
      d.Text(r, 14, Plain(sf("OCNCOST").toDouble() + sf("DOPCOST").toDouble()));
      d.Text(r + 1, 1, cf("NUMBER").toString());
      d.Text(r + 1, 5, sf("STAC_DIAG").toString());
      d.Text(r + 1, 6, sf("KOD_MES").toString());
      for (int i = 0; i < 5; ++i) d.Text(r + 1, 7 + i, sf(kDays[i]).toString());
      d.Text(r + 1, 12, sf("P_NAME").toString().left(8));
      d.Text(r + 1, 13, sf("R_NAME").toString().left(8));
      d.Text(r + 1, 14, Plain(sf("OCNCOST").toDouble()));
      d.Text(r + 1, 15, Plain(sf("OCNCOSTPOMES").toDouble()));
      d.Text(r + 1, 16, Plain(sf("OCNCOSTSVMES").toDouble()));
      d.Text(r + 2, 1, cf("D_SERIA").toString());
      d.Text(r + 2, 14, Plain(sf("DOPCOST").toDouble()));
      d.Text(r + 3, 1, cf("D_NOMBER").toString());
      for (int i = 1; i <= 3; ++i) {
        const QByteArray k = QByteArray::number(i);
        const ConcomitantTexts accomp = ConcomitantDiagnosis(
            sf(("ACCOMP" + k).constData()).toString(), sf(("MES_ACC" + k).constData()).toString(),
            sf(("ACCOMP_L" + k).constData()).toString());
        d.Text(r + 2 + i, 5, accomp.Diagnosis);
        d.Text(r + 2 + i, 6, accomp.Standard);
        d.Text(r + 2 + i, 14, Plain(sf(("COP" + k + "COST").constData()).toDouble()));
      }
      caseTotals.Add(sheets);
      grand.Add(sheets);
    }
    if (index > 1) {
      d.Text(r + 6, 2, QStringLiteral("ИТОГО"));
      d.Text(r + 6, 3, name);
      for (int i = 0; i < 5; ++i) d.Number(r + 6, 7 + i, caseTotals.days[i]);
      d.Text(r + 6, 14, Plain(caseTotals.money[0] + caseTotals.money[1]));
      d.Text(r + 7, 3, QStringLiteral("в т.ч. по основн."));
      d.Text(r + 7, 14, Plain(caseTotals.money[0]));
      d.Text(r + 7, 15, Plain(caseTotals.money[2]));
      d.Text(r + 7, 16, Plain(caseTotals.money[3]));
      d.Text(r + 8, 3, QStringLiteral("в т.ч. по сопутств."));
      d.Text(r + 8, 14, Plain(caseTotals.money[1]));
      workbook::FontChange italic;
      italic.size = 8;
      italic.italic = true;
      d.Sheet().SetFont(
          workbook::ParseRange(QStringLiteral("A%1:S%2").arg(r + 6).arg(r + 8).toStdString()),
          italic);
      GridRange(excel, QStringLiteral("A%1").arg(r + 6), QStringLiteral("S%1").arg(r + 8));
    }
    r += index > 1 ? 9 : 6;
    if (cases.RecNo() < cases.RecordCount() - 1)
      CopyRangeToCell(excel, QStringLiteral("A8:S13"), r, 1);
    c.Step();
  }
  d.Text(r + 1, 3, QStringLiteral("Итого:"));
  for (int i = 0; i < 5; ++i) d.Number(r + 1, 7 + i, grand.days[i]);
  d.Text(r + 1, 14, Plain(grand.money[0] + grand.money[1]));
  d.Text(r + 2, 3, QStringLiteral("в т.ч. по основн."));
  d.Text(r + 2, 14, Plain(grand.money[0]));
  d.Text(r + 2, 15, Plain(grand.money[2]));
  d.Text(r + 2, 16, Plain(grand.money[3]));
  d.Text(r + 3, 3, QStringLiteral(" в т.ч. по сопутств."));
  d.Text(r + 3, 14, Plain(grand.money[1]));
  OutlineRange(excel, QStringLiteral("A%1").arg(r + 1), QStringLiteral("P%1").arg(r + 3));
  d.Text(r + 6, 2, c.In.ReportFooter);
  d.Save();
}

}  // namespace

void WriteDocuments(BudgetContext& c) {
  workbook::ExcelApplication excel;
  SummaryRegister(c, excel);
  ProfileRegister(c, excel);
  PatientRegister(c, excel);
  excel.Quit();
}

}  // namespace kelmo
