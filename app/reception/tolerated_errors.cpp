// The walks of the tolerated errors and of the entry errors of a pass.
#include "tolerated_errors.h"

#include <stdexcept>

#include "blocking_errors_section.h"
#include "case_sanctions.h"
#include "domain/common.h"
#include "doubles_overlaps.h"
#include "firebird/fb_query.h"
#include "rule_checks.h"
#include "tolerated_rules.h"
#include "workbook/excel_application.h"
#include "workbook/worksheet.h"

namespace kelmo {
namespace {

constexpr int kRuleLength = 115;
constexpr int kShortRuleLength = 49;

// The bed profile's and the speciality's names of one treatment sheet.
const QStringList kSheetNamesStatement{
    QStringLiteral("select p.bed_name, sp.specname from mtl m"),
    QStringLiteral("join stacion s on s.id_ill=m.id_ill"),
    QStringLiteral("join reports r on r.repn=s.repn"),
    QStringLiteral("left join profil_bed p on p.bed_id=m.profil_bed and p.id_mp=m.pr_fed and "
                   "p.old_bed=m.profile and (r.date_beg between p.datebeg and "
                   "coalesce(p.dateend, '31.12.9999'))"),
    QStringLiteral("left join spr_speciality sp on sp.code_spec=m.prvs and (r.date_beg between "
                   "sp.datebeg and coalesce(sp.dateend, '31.12.9999'))"),
    QStringLiteral("where m.id_ill=:id_ill and m.nom_mtl=:nom_mtl"),
};

QString PopulationWord(Population pass) {
  return pass == Population::Local ? QStringLiteral("местному") : QStringLiteral("иногороднему");
}

// The check procedure's columns of the current row, by upper-case name.
CheckRow RowOf(const FbQuery& q) {
  CheckRow row;
  const QStringList names = q.FieldNames();
  for (int i = 0; i < names.size(); ++i) row.Proc.insert(names[i].toUpper(), q.Value(q.RecNo(), i));
  return row;
}

// A count of a one-row query.
int Count(FbQuery& q) {
  q.Open();
  const int n = q.Eof() ? 0 : q.Value(0, 0).toInt();
  q.Close();
  return n;
}

// The walks' per-row statements: whether the case still has a sheet of the
// run's payment kind, and one of kind 1.
class CaseSheets {
 public:
  explicit CaseSheets(const ReceptionContext& ctx)
      : ofKind_(ctx.Db, &ctx.Tr), kindOne_(ctx.Db, &ctx.Tr) {
    ofKind_.setSql(
        QStringLiteral("select count(*) from mtl where (id_ill=:p_id_ill) and (oplat=:oplat)"));
    ofKind_.setParam(QStringLiteral("oplat"), Code(ctx.PayKind));
    kindOne_.setSql(QStringLiteral("select count(*) from mtl where id_ill=:p_id_ill and vidmtl=1"));
  }
  bool HasSheetOfKind(int idIll) {
    ofKind_.setParam(QStringLiteral("p_id_ill"), idIll);
    return Count(ofKind_) > 0;
  }
  bool HasKindOneSheet(int idIll) {
    kindOne_.setParam(QStringLiteral("p_id_ill"), idIll);
    return Count(kindOne_) > 0;
  }

 private:
  FbQuery ofKind_;
  FbQuery kindOne_;
};

void ToleratedWalk(const ReceptionContext& ctx, Population pass, FbQuery& sp, int year) {
  ReceptionState& state = ctx.State;
  ctx.BeginPhase(
      QStringLiteral("Проверка допустимых ошибок ") + PassWord(pass) + QStringLiteral("..."),
      sp.RecordCount());
  CaseSheets sheets(ctx);
  FbQuery names(ctx.Db, &ctx.Tr);
  names.setSql(kSheetNamesStatement);
  FbQuery ageMonths(ctx.Db, &ctx.Tr);
  ageMonths.setSql(QStringLiteral("select s.vozrastm from stacion s where s.id_ill=:id"));
  FindingsSection section(ctx.Act(), FindingsSectionKind::Tolerated, pass);
  int storedCase = 0;
  for (sp.First(); !sp.Eof(); sp.Next(), ctx.StepRecord()) {
    const CheckRow row = RowOf(sp);
    const int idIll = row.Int(QStringLiteral("ID_ILL"));
    state.CurrentPatientName = TrimText(row.Text(QStringLiteral("FAMILY")));
    ToleratedContext tc;
    tc.Pass = pass;
    tc.WhoDetail = ctx.WhoDetail;
    tc.MonthIndex = ctx.MonthIndex;
    tc.Year = year;
    tc.LpuId = ctx.LpuId;
    tc.RegistrySource = state.RegistrySource;
    tc.ProfilesLicensedTwice = state.ProfilesLicensedTwice;
    tc.HasKindOneSheet = sheets.HasKindOneSheet(idIll);
    if (!sheets.HasSheetOfKind(idIll)) continue;
    tc.AgeMonths = [&] {
      ageMonths.setParam(QStringLiteral("id"), idIll);
      return Count(ageMonths);
    };
    tc.OverlapWithDatabase = [&](QString& text, bool& refused) {
      CheckedStay stay{idIll,
                       row.Text(QStringLiteral("FAMILY")),
                       row.Text(QStringLiteral("NAME")),
                       row.Text(QStringLiteral("FATHER")),
                       row.Value(QStringLiteral("DR")).toDateTime(),
                       row.Value(QStringLiteral("DIN_STAC")).toDateTime(),
                       row.Value(QStringLiteral("DOUT_STAC")).toDateTime()};
      CheckOverlapWithDatabase(ctx, pass, stay, text, refused);
    };
    auto sheetName = [&](const char* column) {
      names.setParam(QStringLiteral("id_ill"), idIll);
      names.setParam(QStringLiteral("nom_mtl"), row.Int(QStringLiteral("NOMMTL")));
      names.Open();
      const QString name =
          names.Eof() ? QString() : names.FieldByName(QString::fromLatin1(column)).toString();
      names.Close();
      return name;
    };
    tc.BedName = [&] { return sheetName("BED_NAME"); };
    tc.DoctorFieldName = [&] { return sheetName("SPECNAME"); };
    ToleratedFindings found;
    found.CaseId = idIll;
    try {
      CheckToleratedRules(row, tc, found);
    } catch (const ConversionError&) {
      // A value that cannot be read passes the row over.
      continue;
    }
    if (found.StoresSanctions) {
      StoreCaseSanctions(ctx.Db, ctx.Tr, ctx.Acts, found.SanctionsToStore,
                         ToleratedSanctionTarget(row, storedCase != idIll),
                         SanctionParty{ctx.WhoDetail, ctx.Receiving, ctx.PayKind});
      storedCase = idIll;
    }
    if (!found.Refused && found.Tolerated)
      section.List(row.Text(QStringLiteral("NOMIB")), row.Text(QStringLiteral("FAMILY")), QString(),
                   0, found.Text);
  }
  state.Pass[pass].NonBlockingErrorsSum = section.End();
}

// The institution's treated-patient register, open for the entry-error walk
// of a reception of a DBF registry's local pass.
class RegisterWorkbook {
 public:
  explicit RegisterWorkbook(const ReceptionContext& ctx, Population pass) {
    if (pass != Population::Local || !ctx.Receiving || ctx.State.XmlPackageMode || !ctx.Excel)
      return;
    path_ = ctx.FindInstitutionWorkbook(QStringLiteral("sreestr%1.xls").arg(Number(ctx.StacType)));
    if (path_.isEmpty()) return;
    excel_ = ctx.Excel;
    sheet_ = &excel_->Open(path_.toStdString()).ActiveSheet();
  }
  ~RegisterWorkbook() {
    if (!excel_) return;
    try {
      excel_->CloseAll();
    } catch (const std::exception&) {
    }
  }
  RegisterWorkbook(const RegisterWorkbook&) = delete;
  RegisterWorkbook& operator=(const RegisterWorkbook&) = delete;

  bool IsOpen() const { return sheet_ != nullptr; }
  // The case's amount text and its value; a text that is no number is an
  // error naming the workbook.
  QString AmountText(const QString& nomib, const QString& family, double& amount) const {
    amount = 0;
    const QString text = RegisterAmountText(
        [this](int row, int column) { return QString::fromStdString(sheet_->Text(row, column)); },
        sheet_->LastRow(), nomib, family);
    if (TrimText(text).isEmpty()) return text;
    bool ok = false;
    amount = TrimText(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok)
      throw std::runtime_error((QStringLiteral("Сумма случая в файле ") + path_ +
                                QStringLiteral(" не является числом: ") + text)
                                   .toStdString());
    return text;
  }

 private:
  QString path_;
  workbook::ExcelApplication* excel_ = nullptr;
  const workbook::Worksheet* sheet_ = nullptr;
};

void EntryErrorWalk(const ReceptionContext& ctx, Population pass, FbQuery& sp) {
  ctx.BeginPhase(
      QStringLiteral("Проверка допустимых ошибок ") + PassWord(pass) + QStringLiteral("..."),
      sp.RecordCount());
  CaseSheets sheets(ctx);
  const RegisterWorkbook book(ctx, pass);
  FindingsSection section(ctx.Act(), FindingsSectionKind::EntryErrors, pass);
  for (sp.First(); !sp.Eof(); sp.Next(), ctx.StepRecord()) {
    const CheckRow row = RowOf(sp);
    if (!sheets.HasSheetOfKind(row.Int(QStringLiteral("ID_ILL")))) continue;
    const QString finding = EntryErrorOf(row);
    if (finding.isEmpty()) continue;
    double amount = 0;
    const QString amountText =
        book.IsOpen() ? book.AmountText(row.Text(QStringLiteral("NOMIB")),
                                        TrimText(row.Text(QStringLiteral("FAMILY"))), amount)
                      : QString();
    section.List(row.Text(QStringLiteral("NOMIB")), row.Text(QStringLiteral("FAMILY")), amountText,
                 amount, finding);
  }
  PassTotals& totals = ctx.State.Pass[pass];
  totals.EntryErrorsSum = section.End();
  if (ctx.Receiving)
    ctx.Act().WriteLine(AllSectionsLine(
        pass, totals.BlockingErrorsSum + totals.NonBlockingErrorsSum + totals.EntryErrorsSum));
}

}  // namespace

SanctionTarget ToleratedSanctionTarget(const CheckRow& row, bool firstOfCase) {
  SanctionTarget target;
  target.IdIll = row.Int(QStringLiteral("ID_ILL"));
  target.MtlOncoStatus = row.Int(QStringLiteral("MTL_ONCO_STATUS"));
  target.SmoCode = row.Text(QStringLiteral("H_SMOCOD"));
  target.Repn = row.Int(QStringLiteral("REPN"));
  target.LpuMcod = row.Int(QStringLiteral("LPU_MCOD"));
  target.DateRep = row.Date(QStringLiteral("DATE_REP"));
  target.StacTypeNumber = row.Int(QStringLiteral("P_TS"));
  target.Amount = Money::FromDouble(row.Value(QStringLiteral("COST_SF")).toDouble());
  target.FirstStoreOfCase = firstOfCase;
  return target;
}

FindingsSection::FindingsSection(ActFile& act, FindingsSectionKind kind, Population pass)
    : act_(act), kind_(kind), pass_(pass) {}

QString FindingsSection::Title(FindingsSectionKind kind, Population pass) {
  if (kind == FindingsSectionKind::Tolerated)
    return QStringLiteral(
               "Обнаружены ошибки, которые не повлияют на прием реестра пролеченных больных по ") +
           PopulationWord(pass) + QStringLiteral(" населению:");
  return QStringLiteral(
             "Обнаружены ошибки, допущенные при формировании базы пролеченных больных по ") +
         PopulationWord(pass) + QStringLiteral(" населению по программе \"Квиллон\":");
}

QString FindingsSection::NothingFound(FindingsSectionKind kind, Population pass) {
  if (kind == FindingsSectionKind::Tolerated)
    return QStringLiteral("Ошибки, которые не влияют на прием реестра пролеченных больных по ") +
           PopulationWord(pass) + QStringLiteral(" населению не обнаружены.");
  return QStringLiteral("Ошибки, допущенные при формировании базы пролеченных больных по ") +
         PopulationWord(pass) +
         QStringLiteral(" населению по программе \"Квиллон\" не обнаружены.");
}

void FindingsSection::List(const QString& nomib, const QString& family, const QString& amountText,
                           double amount, const QString& findings) {
  if (!started_) {
    started_ = true;
    act_.WriteLines({Title(kind_, pass_), RuleLine(QLatin1Char('-'), kRuleLength),
                     BlockingErrorsSection::Head(), RuleLine(QLatin1Char('-'), kRuleLength)});
  }
  act_.WriteLines(
      BlockingErrorsSection::TextLines(nomib, TrimText(family), TrimText(amountText), findings));
  sum_ += amount;
}

double FindingsSection::End() {
  if (started_)
    act_.WriteLines({RuleLine(QLatin1Char('-'), kRuleLength),
                     BlockingErrorsSection::TotalLine(sum_),
                     RuleLine(QLatin1Char('-'), kShortRuleLength)});
  else
    act_.WriteLine(NothingFound(kind_, pass_));
  return sum_;
}

QString AllSectionsLine(Population pass, double sum) {
  return QStringLiteral("Всего по некорректным данным по ") + PopulationWord(pass) +
         QStringLiteral(" населению: ") + SectionSumText(sum);
}

QString RegisterAmountText(const std::function<QString(int row, int column)>& cell, int lastRow,
                           const QString& nomib, const QString& family) {
  for (int r = 7; r <= lastRow; ++r) {
    QString caption;
    try {
      caption = cell(r, 3);
    } catch (const std::exception&) {
      // An unreadable caption counts as no total.
    }
    if (TrimText(caption).toUpper().contains(QStringLiteral("ИТОГО"))) return QString();
    const QString number = TrimText(cell(r, 2));
    if (number.isEmpty() || number != nomib || !caption.contains(TrimText(family))) continue;
    const QString amount = cell(r, 14);
    if (!amount.isEmpty()) return amount;
  }
  return QString();
}

void RunToleratedErrors(const ReceptionContext& ctx, Population pass, FbQuery* checkRows) {
  const QList<int> reports = PassReports(ThePackageLists(), pass);
  if (reports.size() > 4)
    throw std::runtime_error(
        QStringLiteral("Проверка ошибок принимает не более четырёх отчётов прохода, а их %1.")
            .arg(reports.size())
            .toStdString());
  bool yearOk = false;
  const int year = ctx.YearText.trimmed().toInt(&yearOk);
  if (!yearOk) throw ConversionError(QStringLiteral("'%1' не является годом").arg(ctx.YearText));
  std::unique_ptr<FbQuery> own;
  if (!checkRows) {
    own = OpenCheckProcedure(ctx, reports);
    checkRows = own.get();
  }
  ToleratedWalk(ctx, pass, *checkRows, year);
  EntryErrorWalk(ctx, pass, *checkRows);
}

}  // namespace kelmo
