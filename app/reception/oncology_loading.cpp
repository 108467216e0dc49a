// Oncology rows of a case through the NEW_ONCO* procedures.
#include "oncology_loading.h"

#include "firebird/fb_statement.h"
#include "keyed_dbf_table.h"

namespace kelmo {

namespace {

const QString kNewOncology = QStringLiteral(
    "execute procedure NEW_ONCOLOGY(:IN_ID_ILL, :IN_NOM_MTL, :IN_REPN, :IN_ID_CAUSE, "
    ":IN_ID_STAGE, :IN_ID_TUMOR, :IN_ID_NODUS, :IN_ID_METAS, :IN_DIST_METAS, :IN_DOSE, "
    ":IN_FRACTIONS, :IN_WEIGHT, :IN_HEIGHT, :IN_BSA)");
const QString kNewDiagnostic = QStringLiteral(
    "execute procedure NEW_ONCO_DIAGNOSTIC(:in_id_onco, :in_diag_date, :in_diag_type, "
    ":in_rec_rslt, :in_id_g_s, :in_id_g_t, :in_id_mark, :in_id_m_r)");
const QString kNewDecline =
    QStringLiteral("execute procedure NEW_ONCO_DECLINE(:in_ID_ONCO, :in_id_dec, :in_date_dec)");
const QString kNewUslug = QStringLiteral(
    "execute procedure NEW_ONCO_USLUG(:IN_ID_ONCO, :IN_ID_U_TYPE, :IN_ID_SURGERY, :IN_ID_T_LINE, "
    ":IN_ID_T_CYCLE, :IN_ID_R_TYPE, :IN_REFLEX)");
const QString kNewMedicals = QStringLiteral(
    "execute procedure NEW_ONCO_MEDICALS(:IN_ID_ONC_USL, :IN_CODE_DRUG, :IN_CODE_SCHEM, "
    ":IN_DATE_INJ)");
const QString kNewConsilium = QStringLiteral(
    "execute procedure NEW_CONSILIUM(:IN_ID_ILL, :IN_NOM_MTL, :IN_PR_CONS, :IN_DT_CONS)");
const QString kNewDirect = QStringLiteral(
    "execute procedure NEW_ONCO_DIRECT(:IN_ID_ILL, :IN_NOM_MTL, :IN_DIR_TYPE, :IN_METHOD, "
    ":IN_USLUG_TO, :IN_DATE_DIR)");

// Inputs passed as stored, from the same-named fields of the row.
void SetStored(FbStatement& q, const DbfRow& row, std::initializer_list<const char*> fields) {
  for (const char* f : fields) {
    const QString name = QString::fromLatin1(f);
    q.Set(QStringLiteral("IN_") + name, ReadStored(row, name));
  }
}

QVariant OneOrNull(const DbfRow& row, const QString& field) {
  return StoredEquals(row, field, 1) ? QVariant(1) : QVariant();
}

}  // namespace

struct OncologyLoader::Impl {
  Impl(FbDatabase& db, FbTransaction& tr, const QString& folder)
      : oncology(folder, QStringLiteral("oncology.dbf"), QStringLiteral("id")),
        diagnostic(folder, QStringLiteral("onco_diagnostic.dbf"), QStringLiteral("id_onco")),
        decline(folder, QStringLiteral("onco_decline.dbf"), QStringLiteral("id_onco")),
        uslug(folder, QStringLiteral("onco_uslug.dbf"), QStringLiteral("id_onco")),
        medicals(folder, QStringLiteral("onco_medicals.dbf"), QStringLiteral("id_onc_usl")),
        consilium(folder, QStringLiteral("consilium.dbf"), QStringLiteral("id_onco")),
        direction(folder, QStringLiteral("onco_direction.dbf"), QStringLiteral("id")),
        spNewOncology(db, &tr),
        spNewOncoDiagnostic(db, &tr),
        spNewOncoDecline(db, &tr),
        spNewOncoUslug(db, &tr),
        spNewOncoMedicals(db, &tr),
        spNewConsilium(db, &tr),
        spNewOncoDirect(db, &tr) {
    if (oncology.Present()) spNewOncology.Prepare(kNewOncology);
    if (diagnostic.Present()) spNewOncoDiagnostic.Prepare(kNewDiagnostic);
    if (decline.Present()) spNewOncoDecline.Prepare(kNewDecline);
    if (uslug.Present()) spNewOncoUslug.Prepare(kNewUslug);
    if (medicals.Present()) spNewOncoMedicals.Prepare(kNewMedicals);
    if (consilium.Present()) spNewConsilium.Prepare(kNewConsilium);
    if (direction.Present()) spNewOncoDirect.Prepare(kNewDirect);
  }

  void LoadRecord(const DbfRow& row, int idIll, int repn);

  KeyedDbfTable oncology, diagnostic, decline, uslug, medicals, consilium, direction;
  FbStatement spNewOncology, spNewOncoDiagnostic, spNewOncoDecline, spNewOncoUslug,
      spNewOncoMedicals, spNewConsilium, spNewOncoDirect;
};

void OncologyLoader::Impl::LoadRecord(const DbfRow& row, int idIll, int repn) {
  FbStatement& onc = spNewOncology;
  onc.Clear();
  onc.Set(QStringLiteral("IN_ID_ILL"), idIll);
  onc.Set(QStringLiteral("IN_REPN"), repn);
  SetStored(onc, row,
            {"NOM_MTL", "ID_CAUSE", "ID_STAGE", "ID_TUMOR", "ID_NODUS", "ID_METAS", "DOSE",
             "FRACTIONS", "WEIGHT", "HEIGHT", "BSA"});
  onc.Set(QStringLiteral("IN_DIST_METAS"), OneOrNull(row, QStringLiteral("DIST_METAS")));
  onc.Exec();
  const int idOnco = onc.Value(QStringLiteral("OUT_ID_ONCO")).toInt();
  const double key = static_cast<double>(ReadInteger(row, QStringLiteral("ID_ONCO")));

  for (const DbfRow& d : diagnostic.RowsOf(key)) {
    FbStatement& q = spNewOncoDiagnostic;
    q.Clear();
    q.Set(QStringLiteral("IN_ID_ONCO"), idOnco);
    SetStored(q, d, {"DIAG_DATE", "DIAG_TYPE", "REC_RSLT"});
    if (StoredEquals(d, QStringLiteral("DIAG_TYPE"), 1)) SetStored(q, d, {"ID_G_S", "ID_G_T"});
    if (StoredEquals(d, QStringLiteral("DIAG_TYPE"), 2)) SetStored(q, d, {"ID_MARK", "ID_M_R"});
    q.Exec();
  }
  for (const DbfRow& d : decline.RowsOf(key)) {
    FbStatement& q = spNewOncoDecline;
    q.Clear();
    q.Set(QStringLiteral("IN_ID_ONCO"), idOnco);
    SetStored(q, d, {"ID_DEC", "DATE_DEC"});
    q.Exec();
  }
  for (const DbfRow& u : uslug.RowsOf(key)) {
    FbStatement& q = spNewOncoUslug;
    q.Clear();
    q.Set(QStringLiteral("IN_ID_ONCO"), idOnco);
    SetStored(q, u, {"ID_U_TYPE", "ID_SURGERY", "ID_T_LINE", "ID_T_CYCLE", "ID_R_TYPE"});
    q.Set(QStringLiteral("IN_REFLEX"), OneOrNull(u, QStringLiteral("REFLEX")));
    q.Exec();
    // The drugs are keyed by the id the database drew for the service.
    const int idUsl = q.Value(QStringLiteral("OUT_ID_ONC_USL")).toInt();
    for (const DbfRow& m : medicals.RowsOf(idUsl)) {
      FbStatement& med = spNewOncoMedicals;
      med.Clear();
      med.Set(QStringLiteral("IN_ID_ONC_USL"), idUsl);
      SetStored(med, m, {"CODE_DRUG", "CODE_SCHEM", "DATE_INJ"});
      med.Exec();
    }
  }
  for (const DbfRow& c : consilium.RowsOf(key)) {
    FbStatement& q = spNewConsilium;
    q.Clear();
    q.Set(QStringLiteral("IN_ID_ILL"), idIll);
    q.Set(QStringLiteral("IN_NOM_MTL"), ReadStored(row, QStringLiteral("NOM_MTL")));
    SetStored(q, c, {"PR_CONS", "DT_CONS"});
    q.Exec();
  }
}

OncologyLoader::OncologyLoader(FbDatabase& db, FbTransaction& tr, const QString& folder)
    : impl_(std::make_unique<Impl>(db, tr, folder)) {}

OncologyLoader::~OncologyLoader() = default;

void OncologyLoader::LoadCase(double caseKey, int idIll, int repn) {
  Impl& d = *impl_;
  for (const DbfRow& row : d.oncology.RowsOf(caseKey)) d.LoadRecord(row, idIll, repn);
  for (const DbfRow& row : d.direction.RowsOf(caseKey)) {
    FbStatement& q = d.spNewOncoDirect;
    q.Clear();
    q.Set(QStringLiteral("IN_ID_ILL"), idIll);
    SetStored(q, row, {"NOM_MTL", "DIR_TYPE", "METHOD", "USLUG_TO", "DATE_DIR"});
    q.Exec();
  }
}

}  // namespace kelmo
