// The XML export of one population: the walk over the case query with its
// pairs of documents, the heads and the sums that close each case.
#include "xml_export.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "domain/common.h"
#include "domain/report_parameters.h"
#include "export_package.h"
#include "firebird/fb_database.h"
#include "firebird/fb_statement.h"
#include "xml_export_cases.h"
#include "xml_export_documents.h"
#include "xml_export_sanctions.h"
#include "xmlload/xml_tags.h"

namespace kelmo {
namespace {

const QString kPopulation =
    QStringLiteral(" and (s.polis=:smo or (1=:inogor and s.pol_obl<>'1137'))");

const QString kTotals = QStringLiteral(
    "select r.tip_stac, sum(m.ocncost) ocn, sum(coalesce(m.cost_sf,0)) cost_sf, sum(m.kdoms) "
    "kdoms, sum(coalesce(s.sum_mek,0)) SUM_MEK from stacion s\rjoin mtl m on m.id_ill=s.id_ill\r"
    "join reports r on r.repn=s.repn\rwhere r.repn in %1 and ((s.polis=:smo and 0=:inogor) or "
    "(1=:inogor and s.pol_obl<>'1137'))\rgroup by r.tip_stac");

const QString kBedProfile = QStringLiteral(
    "select pb.id_mp from profil_bed pb\rjoin fed_to_tfoms ft on ft.kod_new=pb.id_mp\r"
    "where pb.bed_id=:profil_bed and ft.kod_old=:pr_oms\r and cast(:out_stac as date) between "
    "pb.datebeg and coalesce(pb.dateend, cast('31.12.9999' as timestamp))");

const QString kInsurerOfTerritory =
    QStringLiteral("select smo.terr_okato, smo.smocod, smo.ogrn from smo where smo.o_terr=:terr");

// The detail statements: the owner's key in the first column (or the first
// two), the values after it; `%1` is the population's filter.
struct DetailStatement {
  DetailRows ExportDetails::*Rows;
  int KeyColumns;
  const char* Text;
};

const DetailStatement kDetails[] = {
    {&ExportDetails::Diagnoses, 2,
     "select d.mtl_id, d.status, d.mes, d.diag from diags d\rjoin stacion s on "
     "s.id_ill=d.mtl_id\rwhere d.status in (12, 13) and %1\rorder by d.id"},
    {&ExportDetails::Diagnoses, 2,
     "select d.mtl_id, d.status, d.mes, d.diag from diags d\rjoin mtl m on m.id=d.mtl_id\r"
     "join stacion s on s.id_ill=m.id_ill\rwhere d.status in (22, 23) and %1\rorder by d.id"},
    {&ExportDetails::Drugs, 1,
     "select l.mtl_id, l.mnn, l.tnn, l.forma, l.doz_ed, l.doz_val, l.kol_ed, l.kol_val, l.dbeg, "
     "l.dend from lekar l\rjoin mtl m on m.id=l.mtl_id\rjoin stacion s on s.id_ill=m.id_ill\r"
     "where %1\rorder by l.id"},
    {&ExportDetails::Referrals, 2,
     "select od.id_ill, od.nom_mtl, cast(null as varchar(6)) napr_mo, od.dir_type, od.method, "
     "od.uslug_to, od.date_dir from onco_direct od\rjoin stacion s on s.id_ill=od.id_ill\r"
     "where %1\rorder by od.id"},
    {&ExportDetails::Consultations, 2,
     "select c.id_ill, c.nom_mtl, c.pr_cons, c.dt_cons from consilium c\rjoin stacion s on "
     "s.id_ill=c.id_ill\rwhere %1\rorder by c.dt_cons, c.id"},
    {&ExportDetails::OncoDiagnostics, 1,
     "select g.id_onco, g.diag_type, g.id_g_s, g.id_g_t, g.id_mark, g.id_m_r, g.rec_rslt, "
     "g.diag_date from onco_diagnostic g\rjoin oncology onc on onc.id_onco=g.id_onco\r"
     "join stacion s on s.id_ill=onc.id_ill\rwhere %1\rorder by g.id"},
    {&ExportDetails::OncoDeclines, 1,
     "select dc.id_onco, dc.id_dec, dc.date_dec from onco_decline dc\rjoin oncology onc on "
     "onc.id_onco=dc.id_onco\rjoin stacion s on s.id_ill=onc.id_ill\rwhere %1\rorder by dc.id"},
    {&ExportDetails::OncoServices, 1,
     "select u.id_onco, u.id_onc_usl, u.id_u_type, u.id_surgery, u.id_t_line, u.id_t_cycle, "
     "u.id_r_type, u.reflex from onco_uslug u\rjoin oncology onc on onc.id_onco=u.id_onco\r"
     "join stacion s on s.id_ill=onc.id_ill\rwhere %1\rorder by u.id_onc_usl"},
    {&ExportDetails::OncoDrugs, 1,
     "select md.id_onc_usl, md.code_drug, md.code_schem, md.date_inj from onco_medicals md\r"
     "join onco_uslug u on u.id_onc_usl=md.id_onc_usl\rjoin oncology onc on "
     "onc.id_onco=u.id_onco\rjoin stacion s on s.id_ill=onc.id_ill\rwhere %1\r"
     "order by md.code_drug, md.code_schem, md.date_inj"},
};

// The pair of documents being written: ordinary or oncology.
struct Pair {
  bool Oncology = false;
  QString PersonName;
  QString MainName;
  std::unique_ptr<ExportDocument> Persons;
  std::unique_ptr<ExportDocument> Main;
};

class Exporter {
 public:
  Exporter(const XmlExportInputs& in, const XmlExportServices& sv) : in_(in), sv_(sv) {}
  XmlExportResult Run();

 private:
  bool ChooseAddressee();
  void RemoveReceivedDocuments() const;
  void Bind(FbStatement& s) const;
  void ReadTotals();
  void ReadDetails();
  void Row(const CaseRow& row);
  // False when the case cannot be written (the message was shown).
  bool OpenCase(const CaseRow& row);
  void OpenPair(bool oncology, const CaseRow& row);
  void SavePair();
  void CloseSheet();
  void CloseCase();
  std::optional<QString> PersonKey(const CaseRow& row);
  std::optional<CaseInsurer> InsurerOf(const CaseRow& row);
  QString BedProfile(const CaseRow& row);

  const XmlExportInputs& in_;
  const XmlExportServices& sv_;
  XmlExportResult result_;
  const rSender* sender_ = nullptr;
  RegistrySourceKind source_ = RegistrySourceKind::XmlPackage;
  ExportDetails details_;
  std::optional<CaseElementContext> context_;

  // Totals of the reports for SCHET.
  Money total_;
  std::map<int, QString> bedDays_;
  int year_ = 0;
  int month_ = 0;

  // The walk.
  bool stopped_ = false;
  bool first_ = true;
  int previousCase_ = -1;
  int previousSheet_ = -1;
  std::optional<Pair> pair_;
  int nZap_ = 0;
  int idserv_ = 0;
  XmlElement zap_;
  xmlNode* zsl_ = nullptr;
  xmlNode* sl_ = nullptr;
  CaseSums caseSums_;
  SheetSums sheetSums_;
  Money caseOcn_, caseSf_, sheetOcn_, sheetSf_, sheetOne_, sank_;
  std::unordered_set<int> operations_, services_;

  std::unordered_map<int, QString> keys_;
  std::map<QString, std::optional<CaseInsurer>> territories_;
  std::map<std::tuple<int, int, QDate>, QString> bedProfiles_;
};

bool Exporter::ChooseAddressee() {
  if (sv_.Lists.SenderList.isEmpty()) return false;
  sender_ = &sv_.Lists.SenderList.first();
  // An insurer of the region is the addressee of its number; another code
  // (2989, none) has no addressee, and nothing is exported for it.
  const Insurer* insurer = InsurerOfWhoDetail(in_.InsurerCode);
  for (const rAdresat& a : sender_->Adresats) {
    const bool fits = in_.OutOfRegion ? a.Kind == PartyKind::Fund
                                      : insurer != nullptr && a.Number == insurer->Number;
    if (fits && !a.Files.isEmpty()) {
      result_.File = a.Files.first();
      return true;
    }
  }
  return false;
}

void Exporter::RemoveReceivedDocuments() const {
  const QString folder = in_.RegistryFolder + QStringLiteral("/temp/") + result_.File.SourceName;
  if (result_.File.SourceName.isEmpty() || !QDir(folder).exists()) return;
  const rFile& f = result_.File;
  for (const QString& name : {f.LName, f.HName, f.LcName, f.CName})
    if (!name.isEmpty()) QFile::remove(folder + QLatin1Char('/') + name + QStringLiteral(".xml"));
  // Fails, as it should, while other files remain.
  QDir().rmdir(folder);
}

void Exporter::Bind(FbStatement& s) const {
  for (int i = 0; i < in_.Reports.size(); ++i)
    s.Set(QStringLiteral("repn") + QString::number(i + 1), in_.Reports[i]);
  if (in_.Reports.isEmpty()) s.Set(QStringLiteral("repn1"), 0);
  s.Set(QStringLiteral("smo"), QString::number(in_.OutOfRegion ? 0 : in_.InsurerCode));
  s.Set(QStringLiteral("inogor"), in_.OutOfRegion ? 1 : 0);
}

void Exporter::ReadTotals() {
  FbStatement totals(sv_.Db, &sv_.Tr);
  totals.Prepare(kTotals.arg(ReportParameterList(in_.Reports)));
  Bind(totals);
  totals.ExecRows([this](const QSqlQuery& q) {
    const int type = q.value(0).toInt();
    total_ += ColumnMoney(q.value(1));
    if (type >= 1 && type <= 4) bedDays_[type] = ColumnText(q.value(3));
  });
}

void Exporter::ReadDetails() {
  const QString filter =
      QStringLiteral("s.repn in ") + ReportParameterList(in_.Reports) + kPopulation;
  for (const DetailStatement& d : kDetails) {
    FbStatement s(sv_.Db, &sv_.Tr);
    s.Prepare(QString::fromLatin1(d.Text).arg(filter));
    Bind(s);
    DetailRows& rows = details_.*(d.Rows);
    s.ExecRows([&](const QSqlQuery& q) {
      const qint64 key = d.KeyColumns == 1 ? q.value(0).toLongLong()
                                           : DetailKey(q.value(0).toLongLong(), q.value(1).toInt());
      DetailRow values;
      const int count = q.record().count();
      values.reserve(count - d.KeyColumns);
      for (int i = d.KeyColumns; i < count; ++i) values.push_back(q.value(i));
      rows[key].push_back(std::move(values));
    });
  }
}

std::optional<QString> Exporter::PersonKey(const CaseRow& row) {
  const int id = row.Int(Col::Sid);
  if (in_.FormingForPayer || source_ == RegistrySourceKind::XmlFromDbf) return QString::number(id);
  if (keys_.empty())
    for (const oPacient& p : sv_.Lists.XmlPatients) keys_.emplace(p.RidIll, p.Key);
  const auto found = keys_.find(id);
  if (found != keys_.end()) return found->second;
  sv_.User.Message(QString(), QStringLiteral("Запись не найдена в архиве: ") + QString::number(id),
                   RunMessageIcon::Information);
  return std::nullopt;
}

std::optional<CaseInsurer> Exporter::InsurerOf(const CaseRow& row) {
  if (const QString code = row.Trimmed(Col::SmoCod); !code.isEmpty())
    return CaseInsurer{row.Trimmed(Col::SmoOk), code, row.Trimmed(Col::SmoOgrn)};
  const QString terr = row.Trimmed(Col::PolObl);
  auto found = territories_.find(terr);
  if (found == territories_.end()) {
    FbStatement q(sv_.Db, &sv_.Tr);
    q.Prepare(kInsurerOfTerritory);
    q.Set(QStringLiteral("terr"), terr);
    q.Exec();
    std::optional<CaseInsurer> insurer;
    const QVariant okato = q.Value(QStringLiteral("TERR_OKATO"));
    const QVariant smocod = q.Value(QStringLiteral("SMOCOD"));
    if (!okato.isNull() || !smocod.isNull())
      insurer = CaseInsurer{TrimText(okato.toString()), TrimText(smocod.toString()),
                            TrimText(q.Value(QStringLiteral("OGRN")).toString())};
    found = territories_.emplace(terr, insurer).first;
  }
  if (!found->second)
    sv_.User.Message(QString(), QStringLiteral("Не определена территория страхования!"),
                     RunMessageIcon::Information);
  return found->second;
}

QString Exporter::BedProfile(const CaseRow& row) {
  const auto key = std::make_tuple(row.Int(Col::ProfilBed), row.Int(Col::PrOms),
                                   row[Col::OutStac].toDateTime().date());
  if (const auto found = bedProfiles_.find(key); found != bedProfiles_.end()) return found->second;
  FbStatement q(sv_.Db, &sv_.Tr);
  q.Prepare(kBedProfile);
  q.Set(QStringLiteral("profil_bed"), std::get<0>(key));
  q.Set(QStringLiteral("pr_oms"), std::get<1>(key));
  q.Set(QStringLiteral("out_stac"), row[Col::OutStac]);
  q.Exec();
  return bedProfiles_[key] = ColumnText(q.Value(QStringLiteral("ID_MP")));
}

void Exporter::OpenPair(bool oncology, const CaseRow& row) {
  if (pair_) {
    SavePair();
    nZap_ = 0;
  }
  const rFile& f = result_.File;
  Pair& p = pair_.emplace();
  p.Oncology = oncology;
  p.PersonName = oncology ? f.LcName : f.LName;
  p.MainName = oncology ? f.CName : f.HName;
  const QString folder = result_.Folder + QLatin1Char('/');
  p.Persons = std::make_unique<ExportDocument>(folder + p.PersonName + ".xml", xml_tag::PERS_LIST);
  p.Main = std::make_unique<ExportDocument>(folder + p.MainName + ".xml", xml_tag::ZL_LIST);
  const QString today = in_.Today.toString(QStringLiteral("yyyy-MM-dd"));

  XmlElement head = NewXmlElement(xml_tag::ZGLV);
  AppendAlways(head.get(), "VERSION", QStringLiteral("3.1"));
  if (source_ == RegistrySourceKind::XmlFromDbf)
    AppendAlways(head.get(), "DATA_FORMAT", QStringLiteral("DBF"));
  AppendAlways(head.get(), "DATA", today);
  AppendAlways(head.get(), "FILENAME", p.PersonName);
  AppendAlways(head.get(), "FILENAME1", p.MainName);
  p.Persons->Write(std::move(head));

  head = NewXmlElement(xml_tag::ZGLV);
  AppendAlways(head.get(), "VERSION", QStringLiteral("3.1"));
  AppendAlways(head.get(), "DATA", today);
  AppendAlways(head.get(), "FILENAME", p.MainName);
  AppendAlways(head.get(), "EXPR_VER", in_.ExprVer);
  p.Main->Write(std::move(head));

  // Both pairs carry the totals of all cases of the reports.
  XmlElement schet = NewXmlElement(xml_tag::SCHET);
  xmlNode* s = schet.get();
  AppendAlways(s, "CODE", QString::number(f.Code));
  AppendAlways(s, "CODE_MO", row.Text(Col::LpuMcod));
  AppendAlways(s, "YEAR", QString::number(year_));
  AppendAlways(s, "MONTH", QString::number(month_));
  AppendAlways(s, "NSCHET", f.NSchet);
  AppendAlways(s, "DSCHET",
               source_ == RegistrySourceKind::XmlPackage
                   ? f.DSchet.toString(QStringLiteral("yyyy-MM-dd"))
                   : today);
  AppendAlways(s, "SUMMAV", MoneyStr(total_));
  for (int type = 1; type <= 4; ++type) {
    const auto days = bedDays_.find(type);
    if (days != bedDays_.end() && days->second.toLongLong() > 0)
      AppendXmlElementTs(s, "KOL_KD", days->second, QString::number(type));
    else
      AppendAlways(s, "KOL_KD");
  }
  p.Main->Write(std::move(schet));
}

void Exporter::SavePair() {
  pair_->Persons->Close();
  pair_->Main->Close();
  result_.Documents << pair_->Persons->Path() << pair_->Main->Path();
  pair_.reset();
}

void Exporter::CloseSheet() {
  if (sl_ == nullptr) return;
  if (in_.FormingForPayer) {
    SetXmlText(sheetSums_.SumM, MoneyStr(sheetSf_));
    SetXmlText(sheetSums_.SumvOne, MoneyStr(sheetOne_));
    SetXmlText(sheetSums_.Sump, sank_ > Money() ? QStringLiteral("0") : MoneyStr(sheetOcn_));
  } else {
    SetXmlText(sheetSums_.SumM, MoneyStr(sheetOcn_));
    SetXmlText(sheetSums_.SumvOne, MoneyStr(sheetOne_));
  }
  sl_ = nullptr;
}

void Exporter::CloseCase() {
  if (!zap_) return;
  if (in_.FormingForPayer) {
    SetXmlText(caseSums_.SumM, MoneyStr(caseSf_));
    SetXmlText(caseSums_.Sump, MoneyStr(caseOcn_ - sank_));
  } else {
    SetXmlText(caseSums_.SumM, MoneyStr(caseOcn_));
  }
  pair_->Main->Write(std::move(zap_));
  zsl_ = nullptr;
  ++result_.Cases;
}

bool Exporter::OpenCase(const CaseRow& row) {
  CloseSheet();
  CloseCase();
  const bool oncology = row.Int(Col::IsOnco) == 1;
  // The rows come ordinary cases first: each pair is built at most once.
  if (!pair_ || (oncology && !pair_->Oncology)) OpenPair(oncology, row);
  const std::optional<QString> key = PersonKey(row);
  if (!key) return false;
  const std::optional<CaseInsurer> insurer = InsurerOf(row);
  if (!insurer) return false;
  caseOcn_ = caseSf_ = sheetOcn_ = sheetSf_ = sheetOne_ = sank_ = Money();
  operations_.clear();
  services_.clear();
  pair_->Persons->Write(BuildPers(row, *key, *context_));
  zap_ = BuildZap(row, ++nZap_, *key, *insurer, *context_, zsl_, caseSums_);
  if (in_.FormingForPayer) {
    sank_ = row.Amount(Col::SumMek);
    CaseSanctionInput s;
    s.IdIll = row.Int(Col::Sid);
    s.Repn = row.Int(Col::Repn);
    s.DateEnd = row[Col::DateEnd].toDateTime().date();
    s.SumMek = sank_;
    caseSums_.Sump = AppendSanctionElements(zsl_, s, in_, sv_);
  }
  AppendCaseTail(zsl_, row, *context_);
  return true;
}

void Exporter::Row(const CaseRow& row) {
  if (stopped_) return;
  if (first_) {
    first_ = false;
    source_ =
        row.Int(Col::Xmlrep) != 0 ? RegistrySourceKind::XmlPackage : RegistrySourceKind::XmlFromDbf;
    context_->Source = source_;
    const QDate end = row[Col::DateEnd].toDateTime().date();
    year_ = end.year();
    month_ = end.month();
  }
  const int sid = row.Int(Col::Sid);
  if (sid != previousCase_) {
    previousCase_ = sid;
    previousSheet_ = -1;
    if (!OpenCase(row)) {
      stopped_ = true;
      return;
    }
  }
  xmlNode* zap = zap_.get();
  const int mid = row.Int(Col::Mid);
  if (mid != previousSheet_) {
    previousSheet_ = mid;
    if (row.Int(Col::Vidmtl) == 0) {
      CloseSheet();
      sheetOcn_ = sheetSf_ = sheetOne_ = Money();
      sl_ = AppendSl(zap, row, *context_, sheetSums_);
    }
    caseOcn_ += row.Amount(Col::Ocncost);
    sheetOcn_ += row.Amount(Col::Ocncost);
    caseSf_ += row.Amount(Col::CostSf);
    sheetSf_ += row.Amount(Col::CostSf);
    sheetOne_ += row.Amount(Col::OnechCost);
    AppendDrugs(sl_ != nullptr ? sl_ : zsl_, row, *context_);
  }
  xmlNode* current = sl_ != nullptr ? sl_ : zsl_;
  if (const int op = row.Int(Col::OId); op != 0 && operations_.insert(op).second)
    AppendOperationUsl(current, row, ++idserv_);
  if (const int service = row.Int(Col::UId); service != 0 && services_.insert(service).second)
    AppendSheetServiceUsl(current, row, ++idserv_);
}

XmlExportResult Exporter::Run() {
  if (!in_.XmlPackageMode || in_.Reports.isEmpty() || !ChooseAddressee()) return result_;
  result_.Folder = in_.RegistryFolder + QStringLiteral("/temp/") + in_.ExportLabel;
  const rFile& f = result_.File;
  result_.PackagePath = ExportPackageFile(result_.Folder, f);
  RemoveReceivedDocuments();
  ReadTotals();
  ReadDetails();
  context_.emplace(CaseElementContext{in_, source_, details_, {}});
  context_->BedProfile = [this](const CaseRow& row) { return BedProfile(row); };
  QDir().mkpath(result_.Folder);

  FbStatement cases(sv_.Db, &sv_.Tr);
  cases.Prepare(CaseQueryText(in_.Reports));
  Bind(cases);
  CaseRow row;
  cases.ExecRows([&](const QSqlQuery& q) {
    row.Read(q);
    Row(row);
  });
  if (first_ || stopped_) return result_;
  CloseSheet();
  CloseCase();
  SavePair();
  result_.ReportsToMark = in_.Reports;
  result_.Written = true;
  return result_;
}

}  // namespace

XmlExportResult WriteXmlExport(const XmlExportInputs& in, const XmlExportServices& services) {
  Exporter exporter(in, services);
  return exporter.Run();
}

XmlExportInputs XmlExportInputsOf(const InsurerDocumentContext& ctx) {
  const InsurerDocumentInputs& call = ctx.In;
  XmlExportInputs in;
  in.RegistryFolder = call.RegistryFolder;
  in.XmlPackageMode = call.XmlPackageMode;
  in.OutOfRegion = call.OutOfRegion;
  in.InsurerCode = ctx.Insurer.Code;
  in.ExportLabel = ctx.Insurer.ExportLabel;
  for (const rRepn& r :
       call.Reports[call.OutOfRegion ? Population::OutOfRegion : Population::Local])
    in.Reports << r.Repn;
  in.FormingForPayer = call.Forming && call.WhoDetail.IsFundOrInsurer();
  in.ActsEnabled = static_cast<bool>(ctx.Services.Sanctions);
  in.YearText = call.YearText;
  in.MonthIndex = call.MonthIndex;
  in.ExprVer = call.ExprVer;
  in.Today = ctx.Services.Today ? ctx.Services.Today() : QDate::currentDate();
  return in;
}

XmlExportResult WriteInsurerXmlExport(const InsurerDocumentContext& ctx) {
  const InsurerDocumentServices& s = ctx.Services;
  return WriteXmlExport(XmlExportInputsOf(ctx),
                        XmlExportServices{s.Db, s.Tr, s.User, s.Lists, s.Sanctions});
}

void MarkReportsUploaded(FbDatabase& db, FbTransaction& tr, const QList<int>& reports) {
  if (reports.isEmpty()) return;
  FbStatement mark(db, &tr);
  mark.Prepare(QStringLiteral("update reports r set r.uploaded=1 where r.repn in ") +
               ReportParameterList(reports));
  for (int i = 0; i < reports.size(); ++i)
    mark.Set(QStringLiteral("repn") + QString::number(i + 1), reports[i]);
  mark.Exec();
}

}  // namespace kelmo
