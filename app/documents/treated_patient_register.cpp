// The treated-patient register of a document set (see
// treated_patient_register.h).
#include "treated_patient_register.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <functional>
#include <memory>
#include <vector>

#include "document_header.h"
#include "domain/common.h"
#include "domain/money.h"
#include "domain/run_user.h"
#include "excel_range.h"
#include "firebird/fb_query.h"
#include "firebird/fb_statement.h"
#include "register_rows.h"
#include "workbook/cell_address.h"

namespace kelmo {

namespace {

const QString kReportCondition = QStringLiteral(
    "where ((s.REPN = :repn1) or (s.REPN = :repn2) or (s.REPN = :repn3) or (s.REPN = :repn4))");

// A case with each of its treatment sheets of the payment kind, in one
// statement: the cases in name order (the case id parting namesakes), a
// case's sheets in order of their number. A case without such sheets gives
// no row, as it writes nothing.
const QString kCaseSheets = QStringLiteral(
    "select s.ID_ILL, s.FAMILY, s.NAME, s.FATHER, s.DR, s.NOMIB, s.SERIA, s.NUMBER, s.D_SERIA, "
    "s.D_NOMBER, m.STAC_DIAG, m.KOD_MES, m.KD, m.KDOMS, m.KDMES, m.KDSVMES, m.KDNOT, r.NAME as "
    "r_Name, p.NAME as p_Name, m.ACCOMP1, m.ACCOMP2, m.ACCOMP3, m.MES_ACC1, m.MES_ACC2, "
    "m.MES_ACC3, m.ACCOMP_L1, m.ACCOMP_L2, m.ACCOMP_L3, m.COP1COST, m.COP2COST, m.COP3COST, "
    "m.DOPCOST, m.OCNCOST, m.OCNCOSTPOMES, m.OCNCOSTSVMES, m.NOM_MTL, "
    "cast(m.mod_ffoms_cost+m.mod_tfoms_cost as numeric(15,2)) modern,m.mod_ffoms_cost ffoms, "
    "m.mod_tfoms_cost tfoms, iif(s.dopfond=1,m.ocncost,0) cost_ncz from stacion s join mtl m "
    "on m.id_ill=s.id_ill left JOIN Profil p on (p.TIP_PROF=m.profil_bed) left JOIN Res_lecen "
    "r on (m.RES_LECHEN=r.MYKEY) ");
const QString kCaseSheetsOrder = QStringLiteral(
    " and (m.oplat=:oplat) order by s.FAMILY, s.NAME, s.FATHER, s.ID_ILL, m.NOM_MTL");

// The condition on MCOD of the flat layout leaves out the cases that carry
// none.
const QString kMcodCondition = QStringLiteral(" and ((s.MCOD=:mcod)or(s.MCOD<>:mcod))");
const QString kFlatCases = kCaseSheets + kReportCondition + kMcodCondition + kCaseSheetsOrder;
const QString kFlatCaseCount =
    QStringLiteral("select count(*) from stacion s ") + kReportCondition + kMcodCondition;

// The insurers of a report: all of an out-of-region report's, the one of
// an insurer's register.
const QString kInsurersSelect = QStringLiteral(
    "select distinct s.POLIS, c.COMP_NAME from stacion s left JOIN company c on "
    "(c.COMP_CODE=s.POLIS) left join mtl m on m.id_ill=s.id_ill ");
const QString kInsurersOrder = QStringLiteral(" and (m.oplat=:oplat) order by s.POLIS");
const QString kInsurers = kInsurersSelect + kReportCondition + kInsurersOrder;
const QString kOwnInsurer =
    kInsurersSelect + kReportCondition + QStringLiteral(" and (s.POLIS=:own)") + kInsurersOrder;

// The cases of one insurer; a case without a policy code is listed under
// the insurer row that has none, not lost.
const QString kPolisCondition = QStringLiteral(" and (s.POLIS is not distinct from :polis)");
const QString kInsurerCases = kCaseSheets + kReportCondition + kPolisCondition + kCaseSheetsOrder;
// The cases of an insurer's register, which leaves out those without MCOD
// as the flat layout does.
const QString kOwnCases =
    kCaseSheets + kReportCondition + kPolisCondition + kMcodCondition + kCaseSheetsOrder;
const QString kOwnCaseCount = QStringLiteral("select count(*) from stacion s ") + kReportCondition +
                              kPolisCondition + kMcodCondition;

// The children's line; its payment kind is the compulsory insurance's
// whatever the run's.
const QString kChildren = QStringLiteral(
    "select sum(iif(s.dopfond=1,m.ocncost,0)) cost_ncz, sum(m.kd) kd,sum(m.kdoms) "
    "kdoms,sum(m.kdmes) kdmes,sum(m.kdsvmes) kdsvmes, sum(m.kdnot) kdnot,sum(m.ocncost) "
    "ocncost,sum(m.ocncostpomes) ocncostpomes, sum(m.ocncostsvmes) "
    "ocncostsvmes,sum(m.mod_ffoms_cost+m.mod_tfoms_cost) modern, sum(m.mod_ffoms_cost) "
    "ffoms,sum(m.mod_tfoms_cost) tfoms from mtl m join stacion s on s.id_ill=m.id_ill where "
    "((m.repn=:repn1) or (m.repn=:repn2) or (m.repn=:repn3) or (m.repn=:repn4)) and m.oplat=1 "
    "and s.vozrast<18");

// Columns of a sheet in kCaseSheets, by index after the case's ten.
enum SheetColumn {
  kStacDiag,
  kKodMes,
  kKd,
  kKdOms,
  kKdMes,
  kKdSvMes,
  kKdNot,
  kResultName,
  kProfileName,
  kAccomp1,
  kMesAcc1 = kAccomp1 + 3,
  kAccompL1 = kMesAcc1 + 3,
  kCop1Cost = kAccompL1 + 3,
  kDopCost = kCop1Cost + 3,
  kOcnCost,
  kOcnCostPoMes,
  kOcnCostSvMes,
  kNomMtl,
  kModern,
  kFfoms,
  kTfoms,
  kCostNcz,
};

constexpr int kCaseColumns = 10;

// Columns of the register, 1 to 19 (A to S).
enum Column { A = 1, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S };

// One case as the case statements give it.
struct CaseRow {
  int IdIll = 0;
  QString Family, Name, Father, Dr, Nomib, Seria, Number, DSeria, DNomber;
};

using SheetRow = std::vector<QVariant>;

// Runs a case statement and hands every case with its sheets to `onCase`,
// one case at a time.
void ForEachCase(FbStatement& statement,
                 const std::function<void(const CaseRow&, const std::vector<SheetRow>&)>& onCase) {
  CaseRow c;
  std::vector<SheetRow> sheets;
  statement.ExecRows([&](const QSqlQuery& q) {
    const int id = q.value(0).toInt();
    if (!sheets.empty() && id != c.IdIll) {
      onCase(c, sheets);
      sheets.clear();
    }
    if (sheets.empty()) {
      c.IdIll = id;
      c.Family = q.value(1).toString();
      c.Name = q.value(2).toString();
      c.Father = q.value(3).toString();
      const QVariant dr = q.value(4);
      c.Dr = dr.isNull() ? QString() : ShortDateText(dr.toDate());
      c.Nomib = q.value(5).toString();
      c.Seria = q.value(6).toString();
      c.Number = q.value(7).toString();
      c.DSeria = q.value(8).toString();
      c.DNomber = q.value(9).toString();
    }
    SheetRow row(kCostNcz + 1);
    for (int i = 0; i <= kCostNcz; ++i) row[i] = q.value(kCaseColumns + i);
    sheets.push_back(std::move(row));
  });
  if (!sheets.empty()) onCase(c, sheets);
}

// Money of the blocks and totals: the shortest text of the value, up to 15
// significant digits, "." as separator.
QString General(double value) {
  return QString::number(value, 'g', 15);
}

double RoundKopecks(double value) {
  return RoundToKopecks(Money::FromDouble(value)).ToDouble();
}

// The sums of a case, an insurer group or a register.
struct Sums {
  qint64 Days[5] = {};  // KD, KDOMS, KDMES, KDSVMES, KDNOT
  double Ocn = 0, Dop = 0, Full = 0, PoMes = 0, SvMes = 0;
  Money Ncz;
  double Modern = 0, Ffoms = 0, Dorer = 0;
};

// The values of one treatment sheet.
struct SheetValues {
  qint64 Days[5] = {};
  Money Ncz;
  double Ocn = 0, Dop = 0, Full = 0, PoMes = 0, SvMes = 0;
  double Modern = 0, Ffoms = 0, Dorer = 0;

  void AddTo(Sums& s) const {
    for (int i = 0; i < 5; ++i) s.Days[i] += Days[i];
    s.Ocn += Ocn;
    s.Dop += Dop;
    s.Full += Full;
    s.PoMes += PoMes;
    s.SvMes += SvMes;
    s.Ncz += Ncz;
    if (Modern > 0) s.Modern += Modern;
    if (Ffoms > 0) s.Ffoms += Ffoms;
    if (Dorer > 0) s.Dorer += Dorer;
  }
};

class RegisterWriter {
 public:
  RegisterWriter(const RegisterInputs& in, RegisterVariant variant,
                 workbook::ExcelApplication& excel)
      : in_(in), variant_(variant), excel_(excel) {}

  workbook::Worksheet& Sheet() { return excel_.ActiveSheet(); }
  workbook::ExcelApplication& Excel() { return excel_; }
  int Row() const { return row_; }
  void SetRow(int row) { row_ = row; }
  // A fresh block lies at the current row (the template's, or a copy).
  void BlockReady() { blockReady_ = true; }
  const Sums& Total() const { return total_; }

  void Put(int row, int column, const QString& text) {
    Sheet().SetText(row, column, text.toStdString());
  }

  // Writes one case's blocks (one a sheet) and its total rows; `group` also
  // receives its sums.
  void WriteCase(const CaseRow& c, const std::vector<SheetRow>& rows, Sums* group) {
    const QString name = RegisterPatientName(c.Family, c.Name, c.Father);
    Sums caseSums;
    for (size_t index = 0; index < rows.size(); ++index) {
      if (index > 0) row_ += 6;
      if (!blockReady_) CopyRangeToCell(excel_, QStringLiteral("A8:S13"), row_, A);
      blockReady_ = false;
      const SheetValues v = Values(rows[index]);
      FillBlock(c, name, rows[index], v);
      v.AddTo(caseSums);
      v.AddTo(total_);
      if (group) v.AddTo(*group);
    }
    const bool caseTotal = rows.size() > 1;
    if (caseTotal) WriteCaseTotal(name, caseSums);
    row_ += caseTotal ? 9 : 6;
  }

  // The register's total rows from `first` (the flat layout's and the
  // insurer's R + 1, the out-of-region layout's R - 2): three, and the line
  // for children except in an insurer's register.
  void WriteTotals(int first, const QString& caption, const std::array<int, 4>& repn) {
    const int r = first;
    Put(r, C, caption);
    for (int i = 0; i < 5; ++i) Put(r, G + i, QString::number(total_.Days[i]));
    Put(r, N, General(total_.Full));
    Put(r + 1, C, QStringLiteral("в т.ч. по основн."));
    Put(r + 1, N, General(total_.Ocn));
    Put(r + 1, O, General(total_.PoMes));
    Put(r + 1, P, General(total_.SvMes));
    Put(r + 1, Q, General(total_.Modern));
    Put(r + 1, R, General(total_.Ffoms));
    Put(r + 1, S, General(total_.Ncz.ToDouble()));
    Put(r + 2, C,
        variant_ == RegisterVariant::OutOfRegion ? QStringLiteral("в т.ч. по сопутств.")
                                                 : QStringLiteral(" в т.ч. по сопутств."));
    Put(r + 2, N, General(total_.Dop));
    if (variant_ != RegisterVariant::Insurer) WriteChildren(r + 3, repn);
  }

 private:
  SheetValues Values(const SheetRow& row) const {
    SheetValues v;
    for (int i = 0; i < 5; ++i) v.Days[i] = row[kKd + i].toLongLong();
    v.Ncz = MoneyOfField(row[kCostNcz]);
    v.Ocn = row[kOcnCost].toDouble() - v.Ncz.ToDouble();
    v.Dop = row[kDopCost].toDouble();
    if (variant_ == RegisterVariant::OutOfRegion) {
      v.Ocn = RoundKopecks(v.Ocn);
      v.Dop = RoundKopecks(v.Dop);
    }
    v.Full = v.Ocn + v.Dop;
    v.PoMes = row[kOcnCostPoMes].toDouble() - v.Ncz.ToDouble();
    v.SvMes = row[kOcnCostSvMes].toDouble();
    v.Modern = row[kModern].toDouble();
    v.Ffoms = row[kFfoms].toDouble();
    v.Dorer = row[kTfoms].toDouble();
    return v;
  }

  void FillBlock(const CaseRow& c, const QString& name, const SheetRow& row, const SheetValues& v) {
    const int r = row_;
    auto field = [&row](int column) { return TrimText(row[column].toString()); };
    auto positive = [](double value) { return value > 0 ? General(value) : QString(); };
    Put(r, A, TrimText(c.Seria));
    Put(r, B, TrimText(c.Nomib));
    Put(r, C, name);
    Put(r, D, TrimText(c.Dr));
    Put(r, N, General(v.Full));
    QString number = TrimText(c.Number);
    const bool flat = variant_ == RegisterVariant::Local || variant_ == RegisterVariant::Closing;
    if (flat && number.size() == 16) number = QStringLiteral("ЕНП:") + number;
    Put(r + 1, A, number);
    Put(r + 1, E, field(kStacDiag));
    Put(r + 1, F, field(kKodMes));
    for (int i = 0; i < 5; ++i) Put(r + 1, G + i, QString::number(v.Days[i]));
    Put(r + 1, L, field(kProfileName).left(8));
    Put(r + 1, M, field(kResultName).left(8));
    Put(r + 1, N, General(v.Ocn));
    Put(r + 1, O, General(v.PoMes));
    Put(r + 1, P, General(v.SvMes));
    Put(r + 1, Q, positive(v.Modern));
    Put(r + 1, R, positive(v.Ffoms));
    const bool ncz = variant_ == RegisterVariant::Closing || variant_ == RegisterVariant::Insurer;
    Put(r + 1, S, ncz ? General(v.Ncz.ToDouble()) : positive(v.Dorer));
    Put(r + 2, A, TrimText(c.DSeria));
    Put(r + 2, N, General(row[kDopCost].toDouble()));
    Put(r + 3, A, TrimText(c.DNomber));
    for (int k = 0; k < 3; ++k) {
      const ConcomitantTexts accomp =
          ConcomitantDiagnosis(row[kAccomp1 + k].toString(), row[kMesAcc1 + k].toString(),
                               row[kAccompL1 + k].toString());
      Put(r + 3 + k, E, accomp.Diagnosis);
      Put(r + 3 + k, F, accomp.Standard);
      Put(r + 3 + k, N, General(row[kCop1Cost + k].toDouble()));
    }
  }

  void WriteCaseTotal(const QString& name, const Sums& s) {
    const int r = row_;
    workbook::Worksheet& sheet = Sheet();
    Put(r + 6, B, QStringLiteral("ИТОГО"));
    Put(r + 6, C, name);
    for (int i = 0; i < 5; ++i) sheet.SetNumber(r + 6, G + i, static_cast<double>(s.Days[i]));
    Put(r + 6, N, General(s.Full));
    Put(r + 7, C, QStringLiteral("в т.ч. по основн."));
    Put(r + 7, N, General(s.Ocn));
    Put(r + 7, O, General(s.PoMes));
    Put(r + 7, P, General(s.SvMes));
    Put(r + 7, S, General(s.Ncz.ToDouble()));
    Put(r + 8, C, QStringLiteral("в т.ч. по сопутств."));
    Put(r + 8, N, General(s.Dop));
    workbook::FontChange font;
    font.size = 8;
    font.italic = true;
    sheet.SetFont(workbook::MakeRange(r + 6, A, r + 8, S), font);
    GridCells(excel_, r + 6, A, r + 8, S);
  }

  void WriteChildren(int r, const std::array<int, 4>& repn) {
    FbQuery children(in_.Db, &in_.Tr);
    children.setSql(kChildren);
    for (size_t k = 0; k < repn.size(); ++k)
      children.setParam(QStringLiteral("repn%1").arg(k + 1), repn[k]);
    children.Open();
    auto value = [&children](const char* name) {
      return children.FieldByName(QString::fromLatin1(name)).toDouble();
    };
    auto money = [&children](const char* name) {
      return MoneyOfField(children.FieldByName(QString::fromLatin1(name)));
    };
    const bool outOfRegion = variant_ == RegisterVariant::OutOfRegion;
    Put(r, C, QStringLiteral(" в т.ч. по детям"));
    static const char* const kDays[] = {"KD", "KDOMS", "KDMES", "KDSVMES", "KDNOT"};
    for (int i = 0; i < 5; ++i)
      if (value(kDays[i]) > 0) Put(r, G + i, General(value(kDays[i])));
    const Money ncz = money("COST_NCZ");
    const Money ocn = money("OCNCOST") - ncz;
    const Money poMes = money("OCNCOSTPOMES") - ncz;
    if (outOfRegion)
      Put(r, N, MoneyStr(ocn));
    else if (ocn > Money())
      Put(r, N, MoneyText(ocn));
    if (poMes > Money()) Put(r, O, outOfRegion ? MoneyStr(poMes) : MoneyText(poMes));
    if (value("OCNCOSTSVMES") > 0) Put(r, P, General(value("OCNCOSTSVMES")));
    if (value("MODERN") > 0) Put(r, Q, General(value("MODERN")));
    if (value("FFOMS") > 0) Put(r, R, General(value("FFOMS")));
    if (ncz > Money())
      Put(r, S, General(ncz.ToDouble()));
    else if (value("TFOMS") > 0)
      Put(r, S, General(value("TFOMS")));
  }

  const RegisterInputs& in_;
  RegisterVariant variant_;
  workbook::ExcelApplication& excel_;
  int row_ = 8;
  bool blockReady_ = true;
  Sums total_;
};

std::unique_ptr<DocumentWorkbook> OpenTemplate(workbook::ExcelApplication& excel,
                                               const QString& templ, const RegisterInputs& in,
                                               const QString& careKind, RegisterVariant variant) {
  auto book = OpenRegisterTemplate(excel, templ, 13, S, QStringLiteral("блока A8:S13"));
  if (variant == RegisterVariant::OutOfRegion || variant == RegisterVariant::Insurer)
    excel.SetVisible(false);
  book->Text(1, A, RegisterPeriodTitle(QStringLiteral("Реестр пролеченных больных"), in));
  book->Text(3, A, RegisterHeading(in, careKind, variant));
  return book;
}

// Saves the register when its full cost (an insurer's: its main cost) is
// above zero.
bool SaveRegister(DocumentWorkbook& book, double total, const QString& name) {
  if (!(total > 0)) return false;
  QDir().mkpath(QFileInfo(name).path());
  book.Save(name);
  return true;
}

QStringList WriteFlat(const RegisterInputs& in, RegisterVariant variant, const QString& templ) {
  QStringList saved;
  workbook::ExcelApplication& excel = in.Excel;
  const auto book = OpenTemplate(excel, templ, in, RegisterCareKind(in), variant);
  const std::array<int, 4> repn = RegisterReportNumbers(in.Reports);
  FbQuery count(in.Db, &in.Tr);
  count.setSql(kFlatCaseCount);
  FbStatement cases(in.Db, &in.Tr);
  cases.Prepare(kFlatCases);
  for (size_t k = 0; k < repn.size(); ++k) {
    count.setParam(QStringLiteral("repn%1").arg(k + 1), repn[k]);
    cases.Set(QStringLiteral("repn%1").arg(k + 1), repn[k]);
  }
  count.setParam(QStringLiteral("mcod"), in.LpuMcod);
  cases.Set(QStringLiteral("mcod"), in.LpuMcod);
  cases.Set(QStringLiteral("oplat"), Code(in.PayKind));
  count.Open();
  in.User.BeginPhase(QStringLiteral("Формирование реестра пролеченных больных..."),
                     count.Value(0, 0).toInt());
  RegisterWriter writer(in, variant, excel);
  ForEachCase(cases, [&](const CaseRow& c, const std::vector<SheetRow>& sheets) {
    writer.WriteCase(c, sheets, nullptr);
    in.User.StepRecord();
  });
  const int r = writer.Row();
  writer.WriteTotals(r + 1, QStringLiteral("Итого:"), repn);
  OutlineRange(excel, QStringLiteral("A%1").arg(r + 1), QStringLiteral("S%1").arg(r + 4));
  writer.Put(r + 6, B, in.ReportFooter);
  writer.Sheet().Select({8, A});
  const QString n = QString::number(Number(in.Stac));
  const QString name = RegisterFileName(in, variant, QStringLiteral("Sreestr"), QString(),
                                        QStringLiteral("Sreestr") + n + QStringLiteral(".xlsx"));
  if (SaveRegister(*book, writer.Total().Full, name)) saved << name;
  return saved;
}

QString OutOfRegionCareKind(int tipStac) {
  switch (tipStac) {
    case 2:
      return QStringLiteral("дневной стационар при поликлинике");
    case 3:
      return QStringLiteral("дневной стационар на дому");
    case 4:
      return QStringLiteral("дневной стационар при стационаре");
    default:
      return QStringLiteral("Круглосуточный стационар");
  }
}

// One out-of-region report's workbook, in a session of its own.
QString WriteOutOfRegionReport(const RegisterInputs& in, const QString& templ, const rRepn& report,
                               const QStringList& savedSoFar) {
  workbook::ExcelApplication excel;
  auto book = OpenTemplate(excel, templ, in, OutOfRegionCareKind(report.TipStac),
                           RegisterVariant::OutOfRegion);
  const std::array<int, 4> repn = {report.Repn, 0, 0, 0};
  FbQuery insurers(in.Db, &in.Tr);
  insurers.setSql(kInsurers);
  for (size_t k = 0; k < repn.size(); ++k)
    insurers.setParam(QStringLiteral("repn%1").arg(k + 1), repn[k]);
  insurers.setParam(QStringLiteral("oplat"), Code(in.PayKind));
  insurers.Open();
  in.User.BeginPhase(QStringLiteral("Формирование реестра пролеченных больных..."),
                     insurers.RecordCount());
  FbStatement cases(in.Db, &in.Tr);
  cases.Prepare(kInsurerCases);
  for (size_t k = 0; k < repn.size(); ++k) cases.Set(QStringLiteral("repn%1").arg(k + 1), repn[k]);
  cases.Set(QStringLiteral("oplat"), Code(in.PayKind));
  RegisterWriter writer(in, RegisterVariant::OutOfRegion, excel);
  for (insurers.First(); !insurers.Eof(); insurers.Next()) {
    workbook::Worksheet& sheet = writer.Sheet();
    const int nameRow = writer.Row() - 4;
    writer.Put(nameRow, B, TrimText(insurers.FieldByName(QStringLiteral("COMP_NAME")).toString()));
    workbook::FontChange font;
    font.bold = true;
    font.size = 8;
    font.italic = true;
    sheet.SetFont(workbook::MakeRange(nameRow, B, nameRow, B), font);
    const QVariant polis = insurers.FieldByName(QStringLiteral("POLIS"));
    cases.Set(QStringLiteral("polis"), polis.isNull() ? QVariant() : polis);
    Sums group;
    ForEachCase(cases, [&](const CaseRow& c, const std::vector<SheetRow>& sheets) {
      writer.WriteCase(c, sheets, &group);
    });
    const int r = writer.Row();
    writer.Put(r + 1, C, QStringLiteral("Итого по страх. компании"));
    for (int i = 0; i < 5; ++i) writer.Put(r + 1, G + i, QString::number(group.Days[i]));
    writer.Put(r + 1, N, General(group.Full));
    writer.Put(r + 2, C, QStringLiteral("в т.ч. по основн."));
    writer.Put(r + 2, N, General(group.Ocn));
    writer.Put(r + 2, O, General(group.PoMes));
    writer.Put(r + 2, P, General(group.SvMes));
    writer.Put(r + 2, Q, General(group.Modern));
    writer.Put(r + 2, R, General(group.Ffoms));
    writer.Put(r + 2, S, General(group.Ncz.ToDouble()));
    writer.Put(r + 3, C, QStringLiteral("в т.ч. по сопутств."));
    writer.Put(r + 3, N, General(group.Dop));
    workbook::FontChange italic;
    italic.italic = true;
    sheet.SetFont(workbook::MakeRange(r + 1, A, r + 3, S), italic);
    OutlineRange(excel, QStringLiteral("A%1").arg(r + 1), QStringLiteral("S%1").arg(r + 3));
    writer.SetRow(r + 5);
    if (insurers.RecNo() < insurers.RecordCount() - 1) {
      CopyRangeToCell(excel, QStringLiteral("A5:S13"), writer.Row(), A);
      writer.BlockReady();
    }
    writer.SetRow(writer.Row() + 3);
    in.User.StepRecord();
  }
  const int r = writer.Row();
  writer.Put(r - 3, B, QStringLiteral("По всем страховым организациям"));
  workbook::FontChange bold;
  bold.bold = true;
  writer.Sheet().SetFont(workbook::MakeRange(r - 3, B, r - 3, B), bold);
  writer.WriteTotals(r - 2, QStringLiteral("Итого"), repn);
  OutlineRange(excel, QStringLiteral("A%1").arg(r - 2), QStringLiteral("S%1").arg(r + 1));
  writer.Put(r + 3, B, in.ReportFooter);
  writer.Sheet().Select({8, A});
  // Two reports of one in-patient type keep a workbook each.
  const QString stem = QStringLiteral("Sreestri") + QString::number(report.TipStac);
  QString name = RegisterFileName(in, RegisterVariant::OutOfRegion, stem, QString(), QString());
  if (savedSoFar.contains(name))
    name = RegisterFileName(in, RegisterVariant::OutOfRegion, stem,
                            QStringLiteral("_%1").arg(report.Repn), QString());
  const bool saved = SaveRegister(*book, writer.Total().Full, name);
  book.reset();
  excel.SetDisplayAlerts(false);
  excel.Quit();
  return saved ? name : QString();
}

// The insurer's register of one report: its insurer's row and cases.
void WriteInsurerReport(const RegisterInputs& in, const rRepn& report, DocumentWorkbook& book,
                        RegisterWriter& writer) {
  const std::array<int, 4> repn = {report.Repn, 0, 0, 0};
  const bool ownOnly = !in.Insurer.Code.isEmpty();
  FbQuery insurers(in.Db, &in.Tr);
  insurers.setSql(ownOnly ? kOwnInsurer : kInsurers);
  FbQuery count(in.Db, &in.Tr);
  count.setSql(kOwnCaseCount);
  FbStatement cases(in.Db, &in.Tr);
  cases.Prepare(kOwnCases);
  for (size_t k = 0; k < repn.size(); ++k) {
    const QString name = QStringLiteral("repn%1").arg(k + 1);
    insurers.setParam(name, repn[k]);
    count.setParam(name, repn[k]);
    cases.Set(name, repn[k]);
  }
  insurers.setParam(QStringLiteral("oplat"), Code(in.PayKind));
  if (ownOnly) insurers.setParam(QStringLiteral("own"), in.Insurer.Code);
  count.setParam(QStringLiteral("mcod"), in.LpuMcod);
  cases.Set(QStringLiteral("mcod"), in.LpuMcod);
  cases.Set(QStringLiteral("oplat"), Code(in.PayKind));
  insurers.Open();
  for (insurers.First(); !insurers.Eof(); insurers.Next()) {
    book.Text(4, A, TrimText(insurers.FieldByName(QStringLiteral("COMP_NAME")).toString()));
    workbook::FontChange bold;
    bold.bold = true;
    writer.Sheet().SetFont(workbook::MakeRange(4, A, 4, A), bold);
    const QVariant polis = insurers.FieldByName(QStringLiteral("POLIS"));
    count.setParam(QStringLiteral("polis"), polis);
    cases.Set(QStringLiteral("polis"), polis);
    count.Open();
    in.User.BeginPhase(QStringLiteral("Формирование реестра пролеченных больных..."),
                       count.Value(0, 0).toInt());
    count.Close();
    ForEachCase(cases, [&](const CaseRow& c, const std::vector<SheetRow>& sheets) {
      writer.WriteCase(c, sheets, nullptr);
      in.User.StepRecord();
    });
  }
  const int r = writer.Row();
  writer.WriteTotals(r + 1, QStringLiteral("Итого:"), repn);
  GridCells(writer.Excel(), r + 1, A, r + 3, S);
  writer.Put(r + 5, B, in.ReportFooter);
  writer.Sheet().Select({7, A});
}

// An insurer's registers: one workbook a report, each saved when its main
// cost is above zero; a second report of the same in-patient type adds
// "_<report number>" to its name.
QStringList WriteInsurerRegisters(const RegisterInputs& in) {
  QStringList saved;
  const QString templ =
      RegisterTemplate(in, RegisterVariant::Insurer, QStringLiteral("sreestr.xlsx"));
  const QString n = QString::number(Number(in.Stac));
  auto nameOf = [&in, &n](const rRepn& report, const QString& suffix) {
    return RegisterFileName(in, RegisterVariant::Insurer,
                            QStringLiteral("Sreestr") + QString::number(report.TipStac), suffix,
                            QStringLiteral("Sreestr") + n + suffix + QStringLiteral(".xlsx"));
  };
  // A report without cases of the insurer leaves no file of an earlier run.
  for (const rRepn& report : in.Reports) {
    RemoveOldOutput(nameOf(report, QString()));
    RemoveOldOutput(nameOf(report, QStringLiteral("_%1").arg(report.Repn)));
  }
  if (templ.isEmpty()) return saved;
  for (const rRepn& report : in.Reports) {
    workbook::ExcelApplication& excel = in.Excel;
    const auto book =
        OpenTemplate(excel, templ, in, RegisterCareKindOf(StacTypeOfNumber(report.TipStac)),
                     RegisterVariant::Insurer);
    RegisterWriter writer(in, RegisterVariant::Insurer, excel);
    WriteInsurerReport(in, report, *book, writer);
    QString name = nameOf(report, QString());
    if (saved.contains(name)) name = nameOf(report, QStringLiteral("_%1").arg(report.Repn));
    if (SaveRegister(*book, writer.Total().Ocn, name)) saved << name;
  }
  return saved;
}

}  // namespace

QStringList WriteTreatedPatientRegister(const RegisterInputs& in, RegisterVariant variant) {
  in.User.BeginPhase(QStringLiteral("Формирование реестра пролеченных больных..."), 0);
  QStringList saved;
  if (in.TemplateFolder.isEmpty()) return saved;
  if (variant == RegisterVariant::Insurer) return WriteInsurerRegisters(in);
  const bool outOfRegion = variant == RegisterVariant::OutOfRegion;
  const QString n = QString::number(Number(in.Stac));
  if (!outOfRegion) {
    RemoveOldOutput(
        RegistryFolderFile(in, QStringLiteral("Sreestr") + n + QStringLiteral(".xlsx")));
    return WriteFlat(in, variant, RegisterTemplate(in, variant, QStringLiteral("sreestr.xlsx")));
  }
  if (in.PackageFiles) in.PackageFiles->clear();
  RemoveOldOutput(RegistryFolderFile(in, QStringLiteral("Sreestri") + n + QStringLiteral(".xlsx")));
  const QString templ = RegisterTemplate(in, variant, QStringLiteral("sreestr.xlsx"));
  if (templ.isEmpty()) return saved;
  for (const rRepn& report : in.Reports) {
    const QString name = WriteOutOfRegionReport(in, templ, report, saved);
    if (name.isEmpty()) continue;
    saved << name;
    if (in.PackageFiles) in.PackageFiles->append(name);
  }
  return saved;
}

QStringList WriteTreatedPatientRegister(DocumentRun& run, DocumentSet set) {
  return WriteTreatedPatientRegister(RegisterInputsOf(run, set), RegisterVariantOf(set));
}

}  // namespace kelmo
