// The oncology data and referrals of one case of a DBF registry, through the
// registry database's NEW_ONCO* procedures: each oncology row of the case
// (oncology.DBF, by the case key) with its diagnostics, refusals, services
// (each followed by its drugs) and consilia, depth first, then the case's
// referrals (onco_direction.DBF). A table the folder lacks is skipped.
// Every procedure input not named for a row is NULL.
//
// Errors: DbfFieldError, DatabaseError, dbfsql::EDbfSqlError; the caller
// undoes the case's rows.
#pragma once

#include <QString>
#include <memory>

namespace kelmo {

class FbDatabase;
class FbTransaction;

class OncologyLoader {
 public:
  OncologyLoader(FbDatabase& db, FbTransaction& tr, const QString& folder);
  ~OncologyLoader();
  OncologyLoader(const OncologyLoader&) = delete;
  OncologyLoader& operator=(const OncologyLoader&) = delete;

  // Loads the oncology data of the case whose key (ID read as integer) is
  // `caseKey`, under the case id and report number given.
  void LoadCase(double caseKey, int idIll, int repn);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelmo
