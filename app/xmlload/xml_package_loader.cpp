// The loading run of the XML packages of one population.
#include "xml_package_loader.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "domain/case_data.h"
#include "domain/holiday_calendar.h"
#include "firebird/database_error.h"
#include "firebird/fb_database.h"
#include "firebird/fb_statement.h"
#include "package_persons.h"
#include "reference_files.h"
#include "sheet_rows.h"
#include "xml_tags.h"

namespace kelmo {
namespace {

// The cases committed together: a commit ends the transaction the prepared
// statements live in, so committing after every case would prepare them all
// again for every case.
constexpr qint64 kCommitEveryMs = 1000;

const QString kStacionInsert = QStringLiteral(
    "insert into stacion (id_ill, family, name, father, pol, dr, D_SERIA, D_NOMBER, repn, hash, "
    "obl,RESP, RAION, PUNCT, STRIT, HOUSE, COURP, FLAT, G_S, NOMIB, DOKUMENT, POLIS, POL_OBL, "
    "SOCIUM, KATEGOR, PODR, IN_STAC, OUT_STAC, NAPR_DIAG, PROF_DIAG, FIRST, RW_RESULT, "
    "AIDS_RESULT, TRAVMA,BL1_START, BL1_END, BL1_FIRST, BL1_POVOD, BL1_POL, BL1_VOZR, NAPRAVLEN, "
    "VOZRAST, Stac_diagS,Kod_MESS,SRES_LECHEN,SISHOD_LECE,DISE_TIME,IN_STAC_T,OUT_STAC_T,"
    "PRIK_START,PRIK_FINISH,SOOTVTSTV,DATA_ZAPOL,KOD_LPU,NUM_KARTA,VOZRASTM,DATE_CONS,CONSENT,"
    "F_PLACEW,F_STREET,F_NPUNKT,F_OKSM,F_DELEGAT,F_STATUS,F_DOCS,VOV,DATE_N,DATE_E,VPOLIS,MCOD,"
    "PENSION,SERIA,NUMBER,SNILS,OKATOG,OKATOP,RSLT,ISHOD,IDCASE,NOVOR,VNOV_D,VNOV_M,SPRAV_DATE,"
    "SUM_MEK,SUM_MEE,SUM_EKMP,DOPFOND,PR_NOV,DZ,EXPERT,MR,DOST, KL_REG, KL_RAY, KL_G, KL_PUNKT, "
    "KL_STREET,MTLCOSTMTL, P_PER, TAL_D, TAL_P, TAL_NUM, NAPR_DATE, ONCO_SLUCH)");

const QString kParentsInsert = QStringLiteral(
    "insert into Parents (id_ill, repn, family, name, father, DR, pol, seria, number, doc_s, "
    "doc_n, adr, obl, dost)\rvalues (:id_ill, :repn, :family, :name, :father, :DR, :pol, :seria, "
    ":number, :doc_s, :doc_n, :adr, :obl,:dost)");

const QString kXmlFilesInsert = QStringLiteral(
    "insert into xml_files ( repn, smo_mcod, num, code, nschet, dschet, date_beg, lpu_mcod) "
    "values( :repn, :mcod, :num, :code, :nschet, :dschet, :dbeg, :lpu_mcod)");

const QString kReportsInsert = QStringLiteral(
    "insert into REPORTS (REPN, LPU, OPLAT, TIP_STAC, INOGOR, DATE_BEG, DATE_END, DATE_PR, SEE1, "
    "SEE2, SEE3, FILE_OSH, SUM_SF, XMLREP, WHO_PRIN) values (:REPN, :LPU, :OPLAT, :TIP_STAC, "
    ":INOGOR, :DATE_BEG, :DATE_END, :DATE_PR, 0, 0, 0, :FILE_OSH, :SUM_SF, :XMLREP, :WHO_PRIN)");

QVariant NullIfEmpty(const QString& text) {
  return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant AsTimestamp(const QDate& date) {
  return date.isValid() ? QVariant(QDateTime(date, QTime(0, 0))) : QVariant();
}

// Money of a required text: four decimals; raises XmlValueError.
Money MoneyOf(const QString& text) {
  QString t = TrimmedXml(text);
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  const std::optional<Money> value = Money::FromString(t);
  if (!value) throw XmlValueError(("'" + text + "' is not a valid currency value").toStdString());
  return *value;
}

// A file of the package folder by its base name: "<base>.xml" in any case
// of the extension.
QString PackageFile(const QString& folder, const QString& base) {
  for (const char* ext : {".xml", ".XML", ".Xml"}) {
    const QString path = folder + QLatin1Char('/') + base + QLatin1String(ext);
    if (QFileInfo(path).isFile()) return path;
  }
  return folder + QLatin1Char('/') + base + QStringLiteral(".xml");
}

// The first and the last day of the month before the month of `end`.
std::pair<QDate, QDate> PreviousMonth(const QDate& end) {
  const QDate first = QDate(end.year(), end.month(), 1).addMonths(-1);
  return {first, QDate(first.year(), first.month(), first.daysInMonth())};
}

}  // namespace

namespace {

class Loader {
 public:
  Loader(const XmlLoadInputs& in, const XmlLoadServices& sv)
      : in_(in),
        sv_(sv),
        tags_([this](const QString& line) { caseLog_ << line; }),
        calendar_(sv.Db, &sv.Tr),
        stacion_(sv.Db, &sv.Tr),
        parents_(sv.Db, &sv.Tr),
        smoByTerritory_(sv.Db, &sv.Tr),
        smoByCode_(sv.Db, &sv.Tr),
        getIdIll_(sv.Db, &sv.Tr),
        mtlcnt_(sv.Db, &sv.Tr),
        savepoint_(sv.Db, &sv.Tr),
        release_(sv.Db, &sv.Tr),
        undo_(sv.Db, &sv.Tr),
        sheets_(sv.Db, sv.Tr, sv.User, tags_, calendar_) {}

  int Run(int repn);

 private:
  struct Pair {
    const rAdresat* addressee = nullptr;
    const rFile* file = nullptr;
    bool oncology = false;
    PersonFile persons;
    QString mainName;
    QString mainPath;
  };

  void Prepare();
  void LoadAddressees();
  void LoadPair(Pair& pair);
  void LoadZap(const XmlNode& zap, const Pair& pair);
  void WriteCase(const XmlNode& zap, const XmlNode& zsl, const rPers& person, rRepn& report,
                 const Pair& pair, const QStringList& insurer, int uslOk, const QDate& out);
  void GatherSanctions(const XmlNode& zsl, const Pair& pair, const rRepn& report, int uslOk,
                       bool& carries, QVariant& sumMek);
  QStringList Insurer(const XmlNode& pacient, QString& key);
  QVariant Outcome(const char* table, int code, const QDate& out);
  void Bookkeeping();
  void Commit(bool force);
  void Problem(const QString& text, const QString& nomib, const QString& family);
  // A failure that stops the reception: shown, then the act's line.
  XmlLoadStopped Stopped(const QString& text, const QString& family) const;

  const XmlLoadInputs& in_;
  const XmlLoadServices& sv_;
  TagReader tags_;
  RegistryHolidayCalendar calendar_;
  FbStatement stacion_, parents_, smoByTerritory_, smoByCode_, getIdIll_, mtlcnt_;
  FbStatement savepoint_, release_, undo_;
  SheetRows sheets_;
  QDate ps_, pe_, qs_, qe_;
  QElapsedTimer sinceCommit_;
  // The sanctions of the case being loaded, stored outside the registry
  // once its rows are written.
  QList<SankCall> pendingActs_;
  std::optional<CaseEntrySanctions> pendingEntry_;
  // The log lines of the person or case being read: they reach the run's
  // log when the load fails there, so a package of any size keeps the
  // memory of one record's lines.
  QStringList caseLog_;
  // The insurer rows found, by the kind of key and the key.
  std::map<std::pair<bool, QString>, QStringList> insurers_;
};

void Loader::Prepare() {
  stacion_.Prepare(InsertWithValues(kStacionInsert));
  parents_.Prepare(kParentsInsert);
  smoByTerritory_.Prepare(QStringLiteral(
      "select first 1 s.o_cod comp_code, s.o_terr terr_code, s.smocod comp_okato, s.terr_okato "
      "from smo s\rwhere s.terr_okato = :key"));
  smoByCode_.Prepare(QStringLiteral(
      "select first 1 s.o_cod comp_code, s.o_terr terr_code, s.smocod comp_okato, s.terr_okato "
      "from smo s\rwhere s.smocod = :key"));
  getIdIll_.Prepare(QStringLiteral("select RID_ILL from GETID_ILL"));
  mtlcnt_.Prepare(QStringLiteral("update stacion s set s.mtlcnt=:cnt where s.id_ill=:id_ill"));
  savepoint_.Prepare(QStringLiteral("SAVEPOINT KELMO_XML_CASE"));
  release_.Prepare(QStringLiteral("RELEASE SAVEPOINT KELMO_XML_CASE ONLY"));
  undo_.Prepare(QStringLiteral("ROLLBACK TO SAVEPOINT KELMO_XML_CASE"));
  sheets_.Prepare();
}

void Loader::Commit(bool force) {
  if (!force && sinceCommit_.elapsed() < kCommitEveryMs) return;
  sv_.Tr.Commit();
  sinceCommit_.restart();
}

void Loader::Problem(const QString& text, const QString& nomib, const QString& family) {
  sv_.State.XmlLoadErrors.append({text, nomib, family});
}

XmlLoadStopped Loader::Stopped(const QString& text, const QString& family) const {
  sv_.User.Message(QString(), text, RunMessageIcon::None);
  return XmlLoadStopped(QStringLiteral("Ошибка при загрузке XML на пациенте ") + family +
                        QStringLiteral(": ") + text);
}

int Loader::Run(int repn) {
  ReceptionState& state = sv_.State;
  PackageLists& lists = sv_.Lists;
  state.XmlLoadErrors.clear();
  state.Pass[in_.Pass].InvoiceTotal = Money();
  state.LpuInvoiceSum = Money();
  ps_ = in_.PeriodStart;
  pe_ = in_.PeriodEnd;
  std::tie(qs_, qe_) = PreviousMonth(pe_);

  QList<rRepn>& reports = lists.ReportLists[in_.Pass];
  if (reports.isEmpty()) return repn;
  FbStatement getRepn(sv_.Db, &sv_.Tr);
  getRepn.Prepare(QStringLiteral("select RREPN from GETREPN"));
  for (rRepn& report : reports) {
    getRepn.Exec();
    report.Repn = getRepn.Value(QStringLiteral("RREPN")).toInt();
    repn = report.Repn;
  }
  Prepare();
  sinceCommit_.start();
  try {
    LoadAddressees();
  } catch (...) {
    for (const QString& line : caseLog_) sv_.Run.Log.AddLine(line, false);
    // Every case ended whole or undone: what was loaded before stays.
    try {
      sv_.Tr.Commit();
    } catch (const std::exception&) {
    }
    throw;
  }
  Bookkeeping();
  Commit(true);
  if (!lists.XmlPatients.isEmpty()) state.PassHasData = true;
  return repn;
}

void Loader::LoadAddressees() {
  PackageLists& lists = sv_.Lists;
  if (!lists.SenderList.isEmpty()) {
    const rSender& sender = lists.SenderList.first();
    for (int index = 0; index < sender.Adresats.size(); ++index) {
      const rAdresat& a = sender.Adresats[index];
      const bool fund = a.Kind == PartyKind::Fund;
      if (fund != (in_.Pass == Population::OutOfRegion) || a.Files.isEmpty()) continue;
      const rFile& file = a.Files.first();
      for (const bool oncology : {false, true}) {
        const QString personName =
            !oncology ? file.LName
                      : (file.SourceName.startsWith(QLatin1Char('T')) ? QString() : file.LcName);
        if (personName.isEmpty()) continue;
        Pair pair;
        pair.addressee = &a;
        pair.file = &file;
        pair.oncology = oncology;
        const QString folder = in_.RegistryFolder + QStringLiteral("/temp/") + file.SourceName;
        pair.persons =
            ReadPersonFile(PackageFile(folder, personName), tags_, [this](const QString& fam) {
              caseLog_.clear();
              caseLog_ << QStringLiteral("Чтение данных случая из файла L.");
              sv_.State.CurrentPatientName = fam;
            });
        pair.mainName = pair.persons.MainFileName;
        pair.mainPath = PackageFile(folder, pair.mainName);
        LoadPair(pair);
      }
      // The addressee's reference files, then its package folder goes.
      LoadReferenceFiles(in_, sv_, tags_, index);
    }
  }
}

void Loader::LoadPair(Pair& pair) {
  ReceptionState& state = sv_.State;
  RunState& run = sv_.Run;
  QString label;
  if (in_.Pass == Population::OutOfRegion)
    label = QStringLiteral("иногор.");
  else if (pair.addressee->Number == 1)
    label = QStringLiteral("Бервинта");
  else if (pair.addressee->Number == 2)
    label = QStringLiteral("ЗНТ");
  else
    label = QStringLiteral("???");
  sv_.User.BeginPhase(QStringLiteral("Загрузка данных (") + label + QStringLiteral(")..."),
                      static_cast<int>(pair.persons.Persons.size()));
  state.RegistrySource = pair.persons.Source;
  // The whole main file is read once before any of its cases is loaded: a
  // file that cannot be read or parsed loads nothing.
  StreamXmlFile(pair.mainPath, {}, [](XmlNode&&) {});
  sheets_.BeginFile(pair.mainName, pair.oncology);
  StreamXmlFile(pair.mainPath, {xml_tag::ZGLV, xml_tag::ZAP}, [&](XmlNode&& node) {
    if (node.Name == QLatin1String(xml_tag::ZGLV)) {
      const XmlNode* ver = node.First("EXPR_VER");
      if (ver != nullptr && !ver->FullText().isEmpty()) run.PackageExprVer = ver->FullText();
      return;
    }
    caseLog_ = QStringList{QStringLiteral("============================"),
                           QStringLiteral("Чтение данных случая из файла H."),
                           QStringLiteral("============================")};
    LoadZap(node, pair);
    sv_.User.StepRecord();
    Commit(false);
  });
}

QStringList Loader::Insurer(const XmlNode& pacient, QString& key) {
  const QString smoOk = RequiredText(pacient, "SMO_OK");
  const bool home = smoOk == QLatin1String("37000");
  key = home ? RequiredText(pacient, "SMO") : smoOk;
  if (key.isEmpty()) {
    const XmlNode* id = pacient.First("ID_PAC");
    sv_.User.Message(QString(), id != nullptr ? id->FullText() : QString(), RunMessageIcon::None);
    throw XmlValueError("Не указан код страховой медицинской организации пациента");
  }
  // The insurer table does not change while a package loads.
  const auto cacheKey = std::make_pair(home, key);
  if (const auto found = insurers_.find(cacheKey); found != insurers_.end()) return found->second;
  FbStatement& q = home ? smoByCode_ : smoByTerritory_;
  q.Set(QStringLiteral("key"), key);
  q.Exec();
  // comp_okato, terr_okato, comp_code, terr_code; all empty without a row.
  auto text = [&q](const char* column) {
    const QVariant v = q.Value(QString::fromLatin1(column));
    return v.isNull() ? QString() : v.toString();
  };
  return insurers_[cacheKey] = {text("COMP_OKATO"), text("TERR_OKATO"), text("COMP_CODE"),
                                text("TERR_CODE")};
}

void Loader::LoadZap(const XmlNode& zap, const Pair& pair) {
  ReceptionState& state = sv_.State;
  PackageLists& lists = sv_.Lists;
  const XmlNode& pacient = RequiredChild(zap, xml_tag::PACIENT);
  QString key;
  const QStringList insurer = Insurer(pacient, key);
  const QString idPac = TrimmedXml(RequiredText(pacient, "ID_PAC"));
  const rPers* person = pair.persons.Find(idPac);
  // A missing person skips only its own case.
  if (person == nullptr) return;
  state.CurrentPatientName = person->Fam;
  const XmlNode& zsl = RequiredChild(zap, xml_tag::Z_SL);
  tags_.Int(zsl, "VIDPOM");
  const int uslOk = tags_.Int(zsl, "USL_OK");
  const int type = InPatientTypeOfConditions(uslOk);
  QList<rRepn>& reports = lists.ReportLists[in_.Pass];
  rRepn* report = nullptr;
  for (rRepn& r : reports) {
    if (r.TipStac == type) {
      report = &r;
      break;
    }
  }
  if (report != nullptr) {
    const int code = in_.Pass == Population::OutOfRegion ? 45 : XmlInteger(key);
    const bool listed = std::any_of(report->Smos.cbegin(), report->Smos.cend(),
                                    [code](const rSMOf& s) { return s.SmoCode == code; });
    if (!listed) {
      rSMOf entry;
      entry.SmoCode = code;
      entry.Num = PackageNumberOfName(pair.mainName);
      entry.NSchet = pair.file->NSchet;
      entry.Code = pair.file->Code;
      entry.DSchet = pair.file->DSchet;
      report->Smos.append(entry);
    }
  }
  const QDate out = XmlDate(RequiredText(zsl, "DATE_Z_2"));
  const int rslt = tags_.Int(zsl, "RSLT");
  const int prNov = tags_.Int(zap, "PR_NOV");
  QString formName;
  const int vidpom = tags_.Int(zsl, "VIDPOM");
  // A care form the table does not hold matches no payment kind.
  const PayKind kind = PayKindOfCareForm(vidpom, &formName);
  if (kind != in_.PayKind && in_.YearText.toInt() >= 2018 && in_.MonthIndex >= 6) {
    sv_.User.Message(QString(),
                     QStringLiteral("Форма оказания МП \"") + formName + QLatin1Char('(') +
                         QString::number(vidpom) + QStringLiteral(")\"") +
                         QStringLiteral(" случая с пациентом ") + person->Fam +
                         QStringLiteral(" (IDCASE ") + tags_.Text(zsl, "IDCASE") +
                         QStringLiteral(") не совпадает с выбранным видом оплаты \"") +
                         in_.PayKindName + QLatin1Char('(') + QString::number(Code(in_.PayKind)) +
                         QStringLiteral(")\"") + QStringLiteral(". Случай будет пропущен."),
                     RunMessageIcon::None);
  }
  const bool inPeriod = (ps_ <= out && out <= pe_) ||
                        (qs_ <= out && out <= qe_ && (rslt == 105 || rslt == 205)) ||
                        (prNov == 1 && out <= pe_);
  if (report == nullptr || !inPeriod || kind != in_.PayKind) return;
  WriteCase(zap, zsl, *person, *report, pair, insurer, uslOk, out);
}

QVariant Loader::Outcome(const char* table, int code, const QDate& out) {
  return sheets_.Outcome(table, code, out);
}

void Loader::GatherSanctions(const XmlNode& zsl, const Pair& pair, const rRepn& report, int uslOk,
                             bool& carries, QVariant& sumMek) {
  carries = false;
  sumMek = QVariant();
  const bool institution = in_.WhoDetail.IsInstitution();
  if (!in_.Receiving || !(institution || in_.WhoDetail.IsFund())) return;
  const XmlNode* sankIt = zsl.First("SANK_IT");
  Money total;
  if (sankIt != nullptr) {
    total = MoneyOf(sankIt->FullText());
    sumMek = total.ToDouble();
  }
  const bool caseEntry = institution && !in_.KvillonPath.isEmpty() && sv_.CaseEntry;
  const bool acts = in_.ActsEnabled && sv_.ActsSanction;
  if (!acts && !caseEntry) return;
  // The case-entry program's case row is reset even without sanctions.
  const int caseNumber = tags_.Int(zsl, "IDCASE");
  CaseEntrySanctions entry;
  entry.CaseNumber = caseNumber;
  entry.ReportDate = QDate(pe_.year(), pe_.month(), 1);
  for (const XmlNode* sank : zsl.All(xml_tag::SANK)) {
    SankCall s;
    s.SSum = MoneyOf(RequiredText(*sank, "S_SUM"));
    s.SOsn = tags_.Int(*sank, "S_OSN");
    s.SCom = tags_.Text(*sank, "S_COM");
    s.SIst = tags_.Int(*sank, "S_IST");
    s.STip = tags_.Int(*sank, "S_TIP");
    s.SCode = tags_.Text(*sank, "S_CODE");
    s.UslOk = uslOk;
    s.IdReport = report.Repn;
    s.DateReport = pe_;
    s.IdCase = sv_.State.CurrentCaseId;
    s.CaseNumber = caseNumber;
    s.Mcod = sv_.Lists.SenderList.isEmpty() ? 0 : sv_.Lists.SenderList.first().Number;
    s.Sumv = total;
    s.Smo = pair.addressee->Kind == PartyKind::Fund ? 45 : 45000 + pair.addressee->Number;
    s.IdAkt = -1;
    carries = true;
    entry.Sanctions.append(s);
    // The acts database takes every sanction of a package as a МЭК.
    s.STip = 1;
    if (acts) pendingActs_.append(s);
  }
  // The case-entry program's tables keep every SANK of the case.
  if (caseEntry) pendingEntry_ = entry;
}

void Loader::WriteCase(const XmlNode& zap, const XmlNode& zsl, const rPers& person, rRepn& report,
                       const Pair& pair, const QStringList& insurer, int uslOk, const QDate& out) {
  ReceptionState& state = sv_.State;
  PackageLists& lists = sv_.Lists;
  const XmlNode& pacient = RequiredChild(zap, xml_tag::PACIENT);
  const QString nomib = tags_.Text(zsl, "NHISTORY");
  const QString family = person.Fam.isEmpty() ? QString() : person.Fam.toUpper();
  // An unknown insurer writes nothing for the case; the act names it.
  if (insurer[0].isEmpty()) {
    Problem(QStringLiteral("Неизвестная СМО;"), nomib, family);
    return;
  }
  // The sheet ids are checked before anything is written.
  QString sheetProblem;
  const std::vector<std::pair<int, const XmlNode*>> sheets = OrderedSheets(zap, sheetProblem);
  if (!sheetProblem.isEmpty()) {
    Problem(sheetProblem, nomib, family);
    return;
  }

  getIdIll_.Exec();
  const int idIll = getIdIll_.Value(QStringLiteral("RID_ILL")).toInt();
  state.CurrentCaseId = idIll;
  pendingActs_.clear();
  pendingEntry_.reset();
  savepoint_.Exec();
  try {
    tags_.Text(zsl, "LPU");
    FbStatement& s = stacion_;
    auto set = [&s](const char* name, const QVariant& value) {
      s.Set(QString::fromLatin1(name), value);
    };
    // Group A.
    const QDate in = XmlDate(RequiredText(zsl, "DATE_Z_1"));
    set("id_ill", idIll);
    set("repn", report.Repn);
    set("PR_NOV", tags_.Int(zap, "PR_NOV"));
    set("IDCASE", tags_.Int(zsl, "IDCASE"));
    set("family", NullIfEmpty(family));
    set("name", NullIfEmpty(person.Im.toUpper()));
    set("father", NullIfEmpty(person.Ot.toUpper()));
    set("pol", person.W);
    // A blank birth date is no date: the row and the ages stay null.
    set("dr", AsTimestamp(person.Dr));
    set("D_SERIA", person.DocSer);
    set("D_NOMBER", person.DocNum);
    for (const char* blank : {"hash", "RESP", "RAION", "PUNCT", "STRIT", "HOUSE", "COURP", "FLAT",
                              "SOCIUM", "PROF_DIAG", "IN_STAC_T", "OUT_STAC_T"})
      set(blank, QString());
    // OBL is a number column: an empty text is stored as null.
    set("obl", QVariant());
    set("G_S", QVariant());
    set("NOMIB", nomib);
    set("DOKUMENT", 0);
    set("POLIS", insurer[2]);
    set("POL_OBL", insurer[3]);
    set("KATEGOR", 0);
    set("PODR", tags_.IntOrNull(zsl, "PODR"));
    set("IN_STAC", AsTimestamp(in));
    set("OUT_STAC", AsTimestamp(out));
    set("NAPR_DIAG", AdmissionDiagnosis(zsl.First("DS0")));
    for (const char* null :
         {"FIRST",   "RW_RESULT", "AIDS_RESULT", "TRAVMA",  "BL1_START", "BL1_END",  "DATA_ZAPOL",
          "KOD_LPU", "NUM_KARTA", "DATE_CONS",   "CONSENT", "F_PLACEW",  "F_STREET", "F_NPUNKT",
          "F_OKSM",  "F_DELEGAT", "F_STATUS",    "VOV",     "DATE_N",    "DATE_E"})
      set(null, QVariant());
    for (const char* blank : {"BL1_FIRST", "BL1_POVOD", "BL1_POL", "BL1_VOZR"})
      set(blank, QVariant());
    set("NAPRAVLEN", tags_.Int(zsl, "NPR_MO"));
    const QString nprDate = tags_.Text(zsl, "NPR_DATE");
    set("NAPR_DATE", nprDate.isEmpty() ? QVariant() : AsTimestamp(XmlDate(nprDate)));
    set("VOZRAST", person.Dr.isValid() ? QVariant(AgeInYears(person.Dr, in)) : QVariant());
    set("Stac_diagS", tags_.Text(zsl, "DS1"));
    const XmlNode* mes1 = zsl.First("CODE_MES1");
    set("Kod_MESS", mes1 == nullptr ? QVariant() : NullIfEmpty(TrimmedXml(mes1->FullText())));
    const int ishod = tags_.Int(zsl, "ISHOD");
    const int rslt = tags_.Int(zsl, "RSLT");
    set("SRES_LECHEN", Outcome("ishod_fed", ishod, out));
    set("SISHOD_LECE", Outcome("result_fed", rslt, out));
    set("SOOTVTSTV", 1);
    set("VOZRASTM", person.Dr.isValid()
                        ? QVariant(static_cast<int>(std::abs(person.Dr.daysTo(out)) / 30.4375))
                        : QVariant());
    set("F_DOCS", person.DocType.isEmpty() ? 0 : XmlInteger(person.DocType));
    set("VPOLIS", XmlInteger(RequiredText(pacient, "VPOLIS")));
    set("MCOD", tags_.Text(pacient, "MCOD"));
    set("NOVOR", tags_.Text(pacient, "NOVOR"));
    set("PRIK_START", tags_.Text(pacient, "PR_DATE_1"));
    set("PRIK_FINISH", tags_.Text(pacient, "PR_DATE_2"));
    set("VNOV_D", tags_.IntOrNull(pacient, "VNOV_D"));
    set("PENSION", QStringLiteral("0"));
    set("SERIA", tags_.Text(pacient, "SPOLIS"));
    set("NUMBER", tags_.Text(pacient, "NPOLIS"));
    // Group B: a failure from here on stops the reception.
    QVariant sumMek;
    bool carries = false;
    try {
      set("MR", NullIfEmpty(person.Mr));
      set("DOST", NullIfEmpty(person.Dost));
      set("P_PER", tags_.Int(zsl, "P_PER"));
      for (const char* tal : {"TAL_D", "TAL_P"}) {
        const QString text = tags_.Text(zsl, tal);
        set(tal, text.isEmpty() ? QVariant() : AsTimestamp(XmlDate(text)));
      }
      const XmlNode* talNum = zsl.First("TAL_NUM");
      set("TAL_NUM", talNum == nullptr ? QVariant() : QVariant(TrimmedXml(talNum->FullText())));
      set("SNILS", person.Snils);
      set("OKATOG", person.OkatoG);
      const QString& k = person.KladrG;
      set("KL_REG", k.size() >= 2 ? QVariant(k.mid(0, 2)) : QVariant());
      set("KL_RAY", k.size() >= 5 ? QVariant(k.mid(2, 3)) : QVariant());
      set("KL_G", k.size() >= 8 ? QVariant(k.mid(5, 3)) : QVariant());
      set("KL_PUNKT", k.size() >= 11 ? QVariant(k.mid(8, 3)) : QVariant());
      set("KL_STREET", k.size() >= 15 ? QVariant(k.mid(11, 4)) : QVariant());
      set("OKATOP", NullIfEmpty(person.OkatoP));
      set("RSLT", rslt);
      set("ISHOD", ishod);
      set("VNOV_M", tags_.IntOrNull(zsl, "VNOV_M"));
      set("DISE_TIME", tags_.IntOrNull(zsl, "DISE_TIME"));
      const XmlNode* ref = zsl.First("REF_COST_DATE");
      set("SPRAV_DATE", ref == nullptr ? QVariant() : AsTimestamp(XmlDate(ref->FullText())));
      set("EXPERT", QVariant());
      set("ONCO_SLUCH", pair.oncology ? QVariant(1) : QVariant());
      state.CurrentPatientName = family;
      const bool fromDbf = pair.persons.Source == RegistrySourceKind::XmlFromDbf;
      set("DOPFOND", fromDbf ? QVariant(tags_.Int(zsl, "DOPFOND")) : QVariant());
      const XmlNode* dz = zsl.First("DZ");
      set("DZ", fromDbf && dz != nullptr ? AsTimestamp(XmlDate(dz->FullText())) : QVariant());
      GatherSanctions(zsl, pair, report, uslOk, carries, sumMek);
      set("SUM_MEK", sumMek);
      set("SUM_MEE", QVariant());
      set("SUM_EKMP", QVariant());
      set("EXPERT", carries ? QVariant(4) : QVariant());
      set("MTLCOSTMTL", carries ? QVariant(sumMek.isNull() ? 0.0 : sumMek.toDouble()) : QVariant());
    } catch (const DatabaseError&) {
      throw;
    } catch (const std::exception& error) {
      throw Stopped(QString::fromUtf8(error.what()), family);
    }
    try {
      stacion_.Exec();
    } catch (const DatabaseError& error) {
      throw CaseRefused(QString::fromUtf8(error.what()).toStdString());
    }
    if (!person.FamP.isEmpty()) {
      FbStatement& p = parents_;
      p.Set(QStringLiteral("id_ill"), idIll);
      p.Set(QStringLiteral("repn"), report.Repn);
      p.Set(QStringLiteral("family"), TrimmedXml(person.FamP).toUpper());
      p.Set(QStringLiteral("name"), TrimmedXml(person.ImP).toUpper());
      p.Set(QStringLiteral("father"), TrimmedXml(person.OtP).toUpper());
      p.Set(QStringLiteral("DR"),
            AsTimestamp(person.DrP.isValid() ? person.DrP : QDate(1900, 1, 1)));
      p.Set(QStringLiteral("pol"), person.WP);
      p.Set(QStringLiteral("seria"), tags_.Text(pacient, "SPOLIS"));
      p.Set(QStringLiteral("number"), tags_.Text(pacient, "NPOLIS"));
      p.Set(QStringLiteral("doc_s"), person.DocSer);
      p.Set(QStringLiteral("doc_n"), person.DocNum);
      p.Set(QStringLiteral("adr"), QString());
      p.Set(QStringLiteral("obl"),
            in_.Pass == Population::Local ? QStringLiteral("1137") : QString());
      p.Set(QStringLiteral("dost"), NullIfEmpty(person.DostP));
      try {
        p.Exec();
      } catch (const DatabaseError& error) {
        throw CaseRefused(QString::fromUtf8(error.what()).toStdString());
      }
    }
    oPacient patient;
    patient.RidIll = idIll;
    patient.Key = person.IdPac;
    patient.NHistory = nomib;
    SheetCase sheetCase;
    sheetCase.IdIll = idIll;
    sheetCase.Report = &report;
    sheetCase.Patient = &patient;
    sheetCase.Out = out;
    sheetCase.Oncology = pair.oncology;
    sheetCase.CarriesSanctions = carries;
    sheetCase.Surname = person.Fam;
    sheetCase.Lpu = lists.SenderList.isEmpty() ? 0 : lists.SenderList.first().LpuId;
    sheetCase.Vidpom = RequiredText(zsl, "VIDPOM");
    for (const auto& [number, sl] : sheets) sheets_.Load(*sl, number, sheetCase, in_);
    mtlcnt_.Set(QStringLiteral("cnt"), static_cast<int>(sheets.size()));
    mtlcnt_.Set(QStringLiteral("id_ill"), idIll);
    mtlcnt_.Exec();
    release_.Exec();
    lists.XmlPatients.append(patient);
    sheets_.AddTotals(sheetCase);
  } catch (const CaseRefused& error) {
    undo_.Exec();
    release_.Exec();
    Problem(QStringLiteral("Случай не загружен: ") + QString::fromUtf8(error.what()), nomib,
            family);
    return;
  } catch (...) {
    // Whole or not at all: the case's rows go before the error leaves.
    try {
      undo_.Exec();
      release_.Exec();
    } catch (const std::exception&) {
    }
    throw;
  }
  // The case's sanctions outside the registry: a failure there stops the
  // reception, as one while they are gathered does.
  try {
    for (const SankCall& s : pendingActs_) sv_.ActsSanction(s);
    if (pendingEntry_) sv_.CaseEntry(*pendingEntry_);
  } catch (const std::exception& error) {
    throw Stopped(QString::fromUtf8(error.what()), family);
  }
}

void Loader::Bookkeeping() {
  PackageLists& lists = sv_.Lists;
  const rSender* sender = lists.SenderList.isEmpty() ? nullptr : &lists.SenderList.first();
  const bool fromDbf = sv_.State.RegistrySource == RegistrySourceKind::XmlFromDbf;
  FbStatement files(sv_.Db, &sv_.Tr);
  files.Prepare(kXmlFilesInsert);
  FbStatement reportRow(sv_.Db, &sv_.Tr);
  reportRow.Prepare(kReportsInsert);
  const QDate monthStart(in_.YearText.toInt(), in_.MonthIndex + 1, 1);
  for (const rRepn& report : lists.ReportLists[in_.Pass]) {
    for (const rSMOf& smo : report.Smos) {
      files.Set(QStringLiteral("repn"), report.Repn);
      files.Set(QStringLiteral("mcod"), smo.SmoCode);
      files.Set(QStringLiteral("num"), smo.Num);
      files.Set(QStringLiteral("code"), smo.Code);
      files.Set(QStringLiteral("nschet"), smo.NSchet);
      files.Set(QStringLiteral("dschet"), fromDbf ? QVariant() : AsTimestamp(smo.DSchet));
      files.Set(QStringLiteral("dbeg"), AsTimestamp(monthStart));
      files.Set(QStringLiteral("lpu_mcod"), sender ? sender->Number : 0);
      files.Exec();
    }
    reportRow.Set(QStringLiteral("REPN"), report.Repn);
    reportRow.Set(QStringLiteral("LPU"), sender ? sender->LpuId : 0);
    reportRow.Set(QStringLiteral("OPLAT"), Code(in_.PayKind));
    reportRow.Set(QStringLiteral("TIP_STAC"), static_cast<int>(report.TipStac));
    reportRow.Set(QStringLiteral("INOGOR"),
                  in_.Pass == Population::Local ? QStringLiteral("0") : QStringLiteral("1"));
    reportRow.Set(QStringLiteral("DATE_BEG"), AsTimestamp(in_.PeriodStart));
    reportRow.Set(QStringLiteral("DATE_END"), AsTimestamp(in_.PeriodEnd));
    reportRow.Set(QStringLiteral("DATE_PR"), QDateTime::currentDateTime());
    reportRow.Set(QStringLiteral("FILE_OSH"), sv_.Run.ProtocolPath);
    reportRow.Set(QStringLiteral("SUM_SF"), report.SumInvoice.ToDouble());
    reportRow.Set(QStringLiteral("XMLREP"),
                  sv_.State.RegistrySource == RegistrySourceKind::XmlPackage ? 1 : 0);
    reportRow.Set(QStringLiteral("WHO_PRIN"), in_.ComputerName.left(16).toUpper());
    reportRow.Exec();
  }
}

}  // namespace

int LoadXmlPackage(const XmlLoadInputs& in, const XmlLoadServices& services, int repn) {
  Loader loader(in, services);
  return loader.Run(repn);
}

}  // namespace kelmo
