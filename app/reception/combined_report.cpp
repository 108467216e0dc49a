// The combined report's run (see combined_report.h).
#include "combined_report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "combined_report_stop.h"
#include "documents/combined_books.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "filenames/file_lookup.h"
#include "institution_workbooks.h"
#include "insurer_rows_append.h"

namespace kelmo {

namespace {

const QString k2778 = QStringLiteral("2778");
const QString k2779 = QStringLiteral("2779");
const QString k2989 = QStringLiteral("2989");
const QString kOutOfRegion = QStringLiteral("Иногородние");

const char* const kTables[] = {"stacion.dbf", "mtl.dbf", "operat.dbf", "parents.dbf", "mtlusl.dbf"};
const QString kOnechCost = QStringLiteral("onechcost.dat");

// A regular file that is not a link: the only kind a copy takes.
bool IsPlainFile(const QString& path) {
  const QFileInfo info(path);
  return !path.isEmpty() && info.isFile() && !info.isSymLink();
}

// The folder's workbook "X.xls" (or "X.xlsx"), a plain file; empty when missing.
QString PlainWorkbook(const QString& folder, const QString& xlsName) {
  const QString path = FindInstitutionWorkbook(folder, xlsName);
  return IsPlainFile(path) ? path : QString();
}

// Removes every spelling of a name from the folder.
void RemoveAllSpellings(const QString& folder, const QString& name) {
  // Each pass removes one spelling; a folder holds few of them.
  for (int spelling = 0; spelling < 64; ++spelling) {
    const QString path = FindFileNoCase(folder, name);
    if (path.isEmpty() || !QFile::remove(path)) return;
  }
}

// A workbook of the merge: its stem and suffix ("sfakt", "_FF" for
// sfakt{N}_FF.xls).
struct Book {
  const char* stem;
  const char* suffix = "";
};

const Book kRegister{"sreestr"};
const Book kUnattachedRegister{"sreestr", "_Neprik"};
const Book kInvoice{"sfakt"};
const Book kOneChannelInvoice{"sfakt", "_ON"};
const Book kUnattachedInvoice{"sfakt", "_Neprik"};
const Book kFfInvoice{"sfakt", "_FF"};
const Book kTfInvoice{"sfakt", "_TF"};
const Book kTrInvoice{"sfakt", "_TR"};
const Book kProfiles{"profils"};

// One click of the combined report.
class CombinedReport {
 public:
  CombinedReport(const CombinedReportInputs& in, const CombinedReportServices& svc)
      : in_(in), svc_(svc), registry_(in.Reception.RegistryFolder) {}

  // Steps from the clearing to the reception; false when a refusal ended it.
  bool Run();

 private:
  int N() const { return Number(in_.Reception.StacType); }
  QString Name(const Book& book) const {
    return QString::fromLatin1(book.stem) + QString::number(N()) +
           QString::fromLatin1(book.suffix) + QStringLiteral(".xls");
  }
  QString Sub(const QString& name) const { return QDir(registry_).filePath(name); }
  bool IsSubFolder(const QString& name) const {
    const QFileInfo info(FindFileNoCase(registry_, name));
    return info.exists() && info.isDir() && !info.isSymLink();
  }
  bool HasTables(const QString& folder) const {
    for (const char* table : {"stacion.dbf", "mtl.dbf", "operat.dbf"})
      if (!IsPlainFile(FindFileNoCase(folder, QString::fromLatin1(table)))) return false;
    return true;
  }
  bool Complete(const QString& name) const { return IsSubFolder(name) && HasTables(Sub(name)); }
  QString Find(const QString& folder, const Book& book) const {
    return PlainWorkbook(folder, Name(book));
  }

  void ClearStaleFiles() const;
  // Copies a file into the registry folder under its own name unless a file
  // of that name (for a workbook: either form) is there; answers the
  // registry folder's file.
  QString CopyIn(const QString& source) const;
  void CopyTables(const QString& folder, bool withOnechCost) const;
  void CopySingleFolderBooks(const QString& folder, bool withOneChannel) const;
  bool MergeFirstPair();
  bool MergeThirdFolder();
  bool OutOfRegionComplete() const;
  void CopyOutOfRegion() const;
  void OpenOperAnalysis() const;

  // The two-folder merge of one kind: when both folders have the workbook,
  // `merge` gets the base's copy (or the registry folder's own) and the
  // other; when only one has it, that one is copied if `copyLone`.
  template <typename Merge>
  bool Pair(const QString& baseFolder, const QString& otherFolder, const Book& book, Merge merge,
            bool copyLone);
  void Required(const QString& baseFolder, const QString& baseWhere, const QString& otherFolder,
                const QString& otherWhere, const Book& book) const;

  // The merges of the two-folder table, bound to the click's session and
  // its user; each answers a workbook pair as `Pair` calls it.
  auto RegisterMergeFrom(int firstRow) {
    return [this, firstRow](const QString& base, const QString& other) {
      return MergeRegisterBook(Books(), RegisterMerge{base, other, firstRow}, svc_.Reception.User);
    };
  }
  auto InvoiceMergeOf(InvoiceKind kind, bool removeSignatureRows = false) {
    return [this, kind, removeSignatureRows](const QString& base, const QString& other) {
      return MergeInvoiceBook(Books(), Invoice(kind, base, other, removeSignatureRows),
                              svc_.Reception.User);
    };
  }

  CombinedBooksSession& Books() {
    if (!books_) books_.emplace();
    return *books_;
  }
  InvoiceMerge Invoice(InvoiceKind kind, const QString& base, const QString& other,
                       bool removeSignatureRows = false) const {
    InvoiceMerge merge;
    merge.Kind = kind;
    merge.BasePath = base;
    merge.OtherPath = other;
    merge.RemoveSignatureRows = removeSignatureRows;
    merge.RoundTheClock = in_.Reception.StacType == StacType::RoundTheClock;
    merge.AttachedPopulation = in_.Reception.LpuAttach != 0;
    return merge;
  }

  const CombinedReportInputs& in_;
  const CombinedReportServices& svc_;
  QString registry_;
  // The two spreadsheet applications and the merges' state, made when the
  // first two-folder merge starts.
  std::optional<CombinedBooksSession> books_;
};

void CombinedReport::ClearStaleFiles() const {
  for (const QString& name : CombinedReportStaleFiles(N())) {
    RemoveAllSpellings(registry_, name);
    if (name.endsWith(QStringLiteral(".xls"))) RemoveAllSpellings(registry_, name + u'x');
  }
}

QString CombinedReport::CopyIn(const QString& source) const {
  const QString name = QFileInfo(source).fileName();
  const QString lower = name.toLower();
  QString present;
  if (lower.endsWith(QStringLiteral(".xlsx")))
    present = FindInstitutionWorkbook(registry_, name.chopped(1));
  else if (lower.endsWith(QStringLiteral(".xls")))
    present = FindInstitutionWorkbook(registry_, name);
  else
    present = FindFileNoCase(registry_, name);
  if (!present.isEmpty() || !IsPlainFile(source)) return present;
  const QString target = QDir(registry_).filePath(name);
  return QFile::copy(source, target) ? target : QString();
}

void CombinedReport::CopyTables(const QString& folder, bool withOnechCost) const {
  QStringList names;
  for (const char* table : kTables) names << QString::fromLatin1(table);
  if (withOnechCost) names << kOnechCost;
  for (const QString& name : names) {
    const QString source = FindFileNoCase(folder, name);
    if (!source.isEmpty()) CopyIn(source);
  }
}

void CombinedReport::CopySingleFolderBooks(const QString& folder, bool withOneChannel) const {
  std::vector<Book> books = {kInvoice,   kProfiles,          kRegister,          kFfInvoice,
                             kTfInvoice, kUnattachedInvoice, kUnattachedRegister};
  if (withOneChannel) books.push_back(kOneChannelInvoice);
  for (const Book& book : books) {
    const QString source = Find(folder, book);
    if (!source.isEmpty()) CopyIn(source);
  }
}

void CombinedReport::Required(const QString& baseFolder, const QString& baseWhere,
                              const QString& otherFolder, const QString& otherWhere,
                              const Book& book) const {
  for (const auto& [folder, where] : {std::pair{baseFolder, baseWhere}, {otherFolder, otherWhere}})
    if (Find(folder, book).isEmpty())
      throw CombinedReportStop(QStringLiteral("Файл не найден"),
                               QStringLiteral("Не найден файл ") + where + Name(book));
}

template <typename Merge>
bool CombinedReport::Pair(const QString& baseFolder, const QString& otherFolder, const Book& book,
                          Merge merge, bool copyLone) {
  const QString base = Find(baseFolder, book), other = Find(otherFolder, book);
  if (!base.isEmpty() && !other.isEmpty())
    return merge(baseFolder == registry_ ? base : CopyIn(base), other);
  if (copyLone) {
    if (!base.isEmpty()) CopyIn(base);
    if (!other.isEmpty()) CopyIn(other);
  }
  return true;
}

bool CombinedReport::MergeFirstPair() {
  RunUser& user = svc_.Reception.User;
  const QString first = Sub(k2778), second = Sub(k2779);
  const QString where1 = QStringLiteral("\\2778\\"), where2 = QStringLiteral("\\2779\\");
  const auto registers = RegisterMergeFrom(7);
  const auto invoices = [this](InvoiceKind kind, bool removeSignatureRows = false) {
    return InvoiceMergeOf(kind, removeSignatureRows);
  };

  // The registers are tested before the spreadsheet applications start.
  Required(first, where1, second, where2, kRegister);
  Books();
  if (!Pair(first, second, kRegister, registers, true) ||
      !Pair(first, second, kUnattachedRegister, registers, true))
    return false;
  Required(first, where1, second, where2, kInvoice);
  if (!Pair(first, second, kInvoice, invoices(InvoiceKind::Basic), true)) return false;
  // The one-channel invoice: the "2778" one is taken, with the "2779" one
  // merged into it; a lone "2779" one is not.
  if (const QString base = Find(first, kOneChannelInvoice); !base.isEmpty()) {
    const QString copy = CopyIn(base);
    if (const QString other = Find(second, kOneChannelInvoice); !other.isEmpty())
      if (!MergeInvoiceBook(Books(), Invoice(InvoiceKind::Oncology, copy, other), user))
        return false;
  }
  if (!Pair(first, second, kUnattachedInvoice, invoices(InvoiceKind::Unattached, true), true) ||
      !Pair(first, second, kFfInvoice, invoices(InvoiceKind::FF), true) ||
      !Pair(first, second, kTfInvoice, invoices(InvoiceKind::TF), true) ||
      !Pair(first, second, kTrInvoice, invoices(InvoiceKind::TR), true))
    return false;
  Required(first, where1, second, where2, kProfiles);
  if (!Pair(
          first, second, kProfiles,
          [&](const QString& base, const QString& other) {
            return MergeProfileBook(Books(), base, other, ProfileCellFailure::Message, user);
          },
          true))
    return false;
  AppendInsurerRows(registry_, InsurerRowsMember::Insurer2779);
  return true;
}

bool CombinedReport::MergeThirdFolder() {
  RunUser& user = svc_.Reception.User;
  const QString third = Sub(k2989);
  const QString where0 = QStringLiteral("\\"), where3 = QStringLiteral("\\2989\\");
  const auto invoices = [this](InvoiceKind kind) { return InvoiceMergeOf(kind); };
  const auto registers = [this](int firstRow) { return RegisterMergeFrom(firstRow); };

  Required(registry_, where0, third, where3, kRegister);
  Books();
  // The basic invoice comes before the unattached register here.
  if (!Pair(registry_, third, kRegister, registers(8), false)) return false;
  Required(registry_, where0, third, where3, kInvoice);
  if (!Pair(registry_, third, kInvoice, invoices(InvoiceKind::Basic), false) ||
      !Pair(registry_, third, kUnattachedRegister, registers(7), false) ||
      !Pair(registry_, third, kUnattachedInvoice, invoices(InvoiceKind::Unattached), false) ||
      !Pair(registry_, third, kFfInvoice, invoices(InvoiceKind::FF), false) ||
      !Pair(registry_, third, kTfInvoice, invoices(InvoiceKind::TF), false) ||
      !Pair(registry_, third, kTrInvoice, invoices(InvoiceKind::TR), false))
    return false;
  Required(registry_, where0, third, where3, kProfiles);
  if (!Pair(
          registry_, third, kProfiles,
          [&](const QString& base, const QString& other) {
            return MergeProfileBook(Books(), base, other, ProfileCellFailure::Raise, user);
          },
          false))
    return false;
  AppendInsurerRows(registry_, InsurerRowsMember::Insurer2989);
  return true;
}

const Book kOutOfRegionRequired[] = {{"sreestri"}, {"sfakti"}, {"profilsi"}};
const Book kOutOfRegionOptional[] = {{"sfakti", "_FF"}, {"sfakti", "_TF"}, {"sfakti", "_ON"}};

bool CombinedReport::OutOfRegionComplete() const {
  if (!Complete(kOutOfRegion)) return false;
  for (const Book& book : kOutOfRegionRequired)
    if (Find(Sub(kOutOfRegion), book).isEmpty()) return false;
  return true;
}

void CombinedReport::CopyOutOfRegion() const {
  for (const auto* books : {&kOutOfRegionRequired, &kOutOfRegionOptional})
    for (const Book& book : *books) {
      const QString source = Find(Sub(kOutOfRegion), book);
      if (!source.isEmpty()) CopyIn(source);
    }
}

void CombinedReport::OpenOperAnalysis() const {
  ReceptionState& state = TheReceptionState();
  state.OperAnalysisOpen = false;
  if (!in_.OperAnalysis || in_.Reception.StacType != StacType::RoundTheClock) return;
  auto file = std::make_unique<QFile>(QDir(registry_).filePath(QStringLiteral("AnalizOperat.txt")));
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw std::runtime_error(
        (QStringLiteral("Не удалось создать файл ") + file->fileName()).toStdString());
  state.OperAnalysisFile = std::move(file);
  state.OperAnalysisOpen = true;
}

// The rebuilt registry is a folder of DBF tables: whatever a package run
// left in the flags and lists must not reach its reception.
void ResetPackageState() {
  ReceptionState& state = TheReceptionState();
  state.XmlPackageMode = false;
  state.PackageConfirmed = false;
  state.RegistrySource = RegistrySourceKind::DbfFolder;
  state.ZeroCostCases.clear();
  state.XmlLoadErrors.clear();
  state.BadDocumentCases.clear();
  PackageLists& lists = ThePackageLists();
  lists.DbfRegistryAllowed = true;
  lists.ReportLists = {};
  lists.SenderList.clear();
  lists.XmlPatients.clear();
  lists.PackageFiles.clear();
  lists.PayFolderWord = PayFolderWordOf(TheRunState().PayKind);
}

// What the reception accumulated in the process-wide variables.
void ResetRunTotals() {
  ReceptionState& state = TheReceptionState();
  state.ReportNumber = {};
  state.ReportNumberCopy = {};
  state.CurrentReportNumber = 0;
  state.CurrentCaseId = 0;
  state.CurrentLpu = 0;
  state.ZeroPassTotals();
  state.ZeroRunTotals();
}

bool CombinedReport::Run() {
  const bool split =
      IsSubFolder(k2778) || IsSubFolder(k2779) || IsSubFolder(k2989) || IsSubFolder(kOutOfRegion);
  if (split) {
    ClearStaleFiles();
    // The first base, from "2778" and "2779".
    if (Complete(k2778)) {
      CopyTables(Sub(k2778), true);
      if (Complete(k2779)) {
        if (!MergeFirstPair()) return false;
      } else {
        CopySingleFolderBooks(Sub(k2778), true);
      }
    } else if (Complete(k2779)) {
      CopyTables(Sub(k2779), true);
      CopySingleFolderBooks(Sub(k2779), true);
    }
    // The third folder: the base when none has a bed-profile register yet.
    // When a base was made all the same (its folder lacked the register),
    // its tables stand and a copy never overwrites them: the third folder's
    // cases are then appended, or they would be lost from the registry.
    if (Complete(k2989)) {
      if (PlainWorkbook(registry_, Name(kProfiles)).isEmpty()) {
        const bool baseTables = !FindFileNoCase(registry_, QStringLiteral("stacion.dbf")).isEmpty();
        if (!baseTables) CopyTables(Sub(k2989), false);
        CopySingleFolderBooks(Sub(k2989), false);
        if (baseTables) AppendInsurerRows(registry_, InsurerRowsMember::Insurer2989);
      } else if (!MergeThirdFolder()) {
        return false;
      }
    }
    if (OutOfRegionComplete()) {
      CopyOutOfRegion();
      AppendInsurerRows(registry_, InsurerRowsMember::OutOfRegion);
    }
  }
  books_.reset();
  OpenOperAnalysis();
  ResetPackageState();
  svc_.Receive(in_.Reception, svc_.Reception);
  ResetRunTotals();
  return true;
}

}  // namespace

QStringList CombinedReportStaleFiles(int stacType) {
  QStringList names;
  for (const char* table : kTables) names << QString::fromLatin1(table);
  const QString n = QString::number(stacType);
  for (const char* stem : {"sfakt", "sreestr", "profils", "sfakti", "sreestri", "profilsi"})
    names << QString::fromLatin1(stem) + n + QStringLiteral(".xls");
  for (const char* variant : {"sfakt%1_FF", "sfakt%1_TF", "sfakt%1_TR", "sfakti%1_FF",
                              "sfakti%1_TF", "sfakt%1_Neprik", "sreestr%1_Neprik", "sfakt%1_ON",
                              // A previous run's out-of-region one-channel invoice
                              // would otherwise stay, as the copy never overwrites.
                              "sfakti%1_ON"})
    names << QString::fromLatin1(variant).arg(n) + QStringLiteral(".xls");
  names << kOnechCost;
  return names;
}

bool RunCombinedReport(const CombinedReportInputs& inputs, const CombinedReportServices& services) {
  ReceptionState& state = TheReceptionState();
  // The analysis file is closed however the click ends (the reception
  // closes it when it shows its act).
  struct CloseAnalysis {
    ReceptionState& state;
    ~CloseAnalysis() {
      if (state.OperAnalysisOpen && state.OperAnalysisFile) state.OperAnalysisFile->close();
      state.OperAnalysisOpen = false;
    }
  } closeAnalysis{state};
  try {
    return CombinedReport(inputs, services).Run();
  } catch (const CombinedReportStop& stop) {
    services.Reception.User.Message(stop.Caption, stop.Text, RunMessageIcon::Error);
    return false;
  }
}

}  // namespace kelmo
