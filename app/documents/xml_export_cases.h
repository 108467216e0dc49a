// The elements of one case of the XML export, in the order the exchange
// format lists them: PERS of the person document; ZAP with PACIENT and Z_SL
// of the main document; per main treatment sheet an SL (a child of ZAP) with
// its referrals, consultations, oncology block (ONK_SL) and KSG_KPG; per
// sheet its drugs (LEKAR); per operation and sheet service a USL.
//
// The values come from one row of the case query (CaseRow) and from the
// detail rows read up front (ExportDetails). Pure over them, except for the
// bed profile of a sheet without a federal profile, asked through a callback.
#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <unordered_map>
#include <vector>

#include "domain/domain_codes.h"
#include "domain/money.h"
#include "xml_export.h"
#include "xml_export_documents.h"

namespace kelmo {

// The columns of the case query, in the order of its select list.
enum class Col : int {
  IsOnco,
  Sid,
  Idcase,
  Family,
  Name,
  Father,
  Dr,
  Pol,
  WP,
  PFam,
  PIm,
  POt,
  PDr,
  Snils,
  FDocs,
  DSeria,
  DNomber,
  Seria,
  Number,
  Nomib,
  Okatog,
  Okatop,
  SmoOgrn,
  Vpolis,
  InStac,
  OutStac,
  SmoCod,
  SmoOk,
  Mcod,
  SPodr,
  PrikStart,
  PrikFinish,
  SRslt,
  SIshod,
  KodMess,
  StacDiags,
  DiseTime,
  Vozrast,
  Vozrastm,
  Novor,
  VnovD,
  VnovM,
  SpravDate,
  SumMek,
  Dopfond,
  PolObl,
  PrNov,
  Dz,
  KlReg,
  KlRay,
  KlG,
  KlPunkt,
  KlStreet,
  PPer,
  TalD,
  TalP,
  TalNum,
  Mid,
  Vidmtl,
  VmpMet,
  LpuMcod,
  Podr,
  PrFed,
  ProfilBed,
  Startd,
  Finish,
  Oplat,
  NomMtl,
  StacDiag,
  KodMes,
  VrFio,
  KashMes,
  Rslt,
  Ishod,
  Prvs,
  VersSpec,
  Iddokt,
  StanObsl,
  StanLecen,
  AppKd,
  Ocncost,
  CostSf,
  OnechCost,
  OplatRmis,
  Kuracia,
  Telemed,
  OId,
  Anaesthes,
  DateOper,
  OUslug,
  OIddokt,
  OPrvs,
  UslCost,
  Npl,
  Multi,
  VidVme,
  DiagUsl,
  UId,
  Dokaz,
  Uslug,
  Kolvo,
  Repn,
  TipStac,
  Extren,
  NaprDiag,
  VmpKod,
  PrOms,
  KodMesIt,
  Dreanim,
  Intensiv,
  DateEnd,
  Xmlrep,
  Criteries,
  RepOplat,
  DsOnk,
  KsgId,
  IdOnco,
  IdCause,
  IdStage,
  IdTumor,
  IdNodus,
  IdMetas,
  DistMetas,
  Dose,
  Fractions,
  Weight,
  Height,
  Bsa,
  Napravlen,
  NaprDate,
  CZab,
  Count
};

// The select list of the case query (one expression with its alias per
// column of Col) and its joins, filter and order; the report parameters
// follow ReportParameterList.
QString CaseQueryText(const QList<int>& reports);

// One row of the case query.
class CaseRow {
 public:
  void Read(const QSqlQuery& q);
  const QVariant& operator[](Col c) const { return values_[static_cast<size_t>(c)]; }
  // The column's text; trimmed; a whole number (0 for null).
  QString Text(Col c) const { return ColumnText((*this)[c]); }
  QString Trimmed(Col c) const;
  int Int(Col c) const { return (*this)[c].toInt(); }
  Money Amount(Col c) const { return ColumnMoney((*this)[c]); }

 private:
  std::vector<QVariant> values_ = std::vector<QVariant>(static_cast<size_t>(Col::Count));
};

// Detail rows of the cases read up front, grouped by their owner.
using DetailRow = std::vector<QVariant>;
using DetailRows = std::unordered_map<qint64, std::vector<DetailRow>>;

struct ExportDetails {
  // Diagnoses (mes, diag) by owner id and status: the case's (12, 13) and
  // the sheets' (22, 23).
  DetailRows Diagnoses;
  // Drugs of a sheet (mnn, tnn, forma, doz_ed, doz_val, kol_ed, kol_val,
  // dbeg, dend) by sheet id.
  DetailRows Drugs;
  // Oncology referrals (napr_mo, dir_type, method, uslug_to, date_dir) and
  // consultations (pr_cons, dt_cons) by case id and sheet number.
  DetailRows Referrals;
  DetailRows Consultations;
  // Of an oncology block: diagnostics (diag_type, id_g_s, id_g_t, id_mark,
  // id_m_r, rec_rslt, diag_date), refusals (id_dec, date_dec) and services
  // (id_onc_usl, id_u_type, id_surgery, id_t_line, id_t_cycle, id_r_type,
  // reflex) by id_onco; drugs (code_drug, code_schem, date_inj) by service.
  DetailRows OncoDiagnostics;
  DetailRows OncoDeclines;
  DetailRows OncoServices;
  DetailRows OncoDrugs;
};

inline qint64 DetailKey(qint64 owner, int part) {
  return owner * 4096 + part;
}

// What the case elements need besides the row.
struct CaseElementContext {
  const XmlExportInputs& In;
  RegistrySourceKind Source = RegistrySourceKind::XmlPackage;
  const ExportDetails& Details;
  // PROFIL of a sheet without pr_fed: the bed profile of profil_bed and
  // pr_oms on the discharge date; empty when there is none.
  std::function<QString(const CaseRow&)> BedProfile;
};

// The insurer data of PACIENT.
struct CaseInsurer {
  QString Okato;
  QString Code;
  QString Ogrn;
};

// The placeholders of a case and of a sub-case, filled when they close.
struct CaseSums {
  xmlNode* SumM = nullptr;
  xmlNode* Sump = nullptr;
};
struct SheetSums {
  xmlNode* SumM = nullptr;
  xmlNode* SumvOne = nullptr;
  xmlNode* Sump = nullptr;
};

XmlElement BuildPers(const CaseRow& row, const QString& key, const CaseElementContext& c);

// ZAP with N_ZAP, PR_NOV, PACIENT and Z_SL up to its SUM_M placeholder;
// `zsl` receives Z_SL. The caller adds the sanction elements (after SUM_M)
// and then AppendCaseTail.
XmlElement BuildZap(const CaseRow& row, int nZap, const QString& key, const CaseInsurer& insurer,
                    const CaseElementContext& c, xmlNode*& zsl, CaseSums& sums);
// DOPFOND, the last element of Z_SL.
void AppendCaseTail(xmlNode* zsl, const CaseRow& row, const CaseElementContext& c);

// A new SL of a main sheet, a child of ZAP.
xmlNode* AppendSl(xmlNode* zap, const CaseRow& row, const CaseElementContext& c, SheetSums& sums);

// The drugs of the row's sheet.
void AppendDrugs(xmlNode* parent, const CaseRow& row, const CaseElementContext& c);

// The operation and the sheet service of the row; `idserv` counts on.
void AppendOperationUsl(xmlNode* parent, const CaseRow& row, int idserv);
void AppendSheetServiceUsl(xmlNode* parent, const CaseRow& row, int idserv);

// The items of a CRITERIES text, split at ";" only (a blank or a quote
// belongs to the item), trimmed, empty items left out.
QStringList CriteriaItems(const QString& criteries);

// DET: "0" above 17 years, else "1".
QString ChildMark(const CaseRow& row);

}  // namespace kelmo
