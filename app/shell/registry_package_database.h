// The package identification's questions answered by the registry database:
// an institution by its code number (lpu, lpu_mcod) and the reports a fund
// or an insurer forms (reports, xml_files, mtl). Each call runs one select
// and reads all its rows. Raises DatabaseError with the driver's message.
#pragma once

#include "package_identification.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;

class RegistryPackageDatabase : public PackageDatabase {
 public:
  RegistryPackageDatabase(FbDatabase& database, FbTransaction* transaction);
  std::optional<LpuRecord> FindLpu(int mcod) override;
  QList<FormingReportRow> FormingReports(const FormingReportQuery& query) override;

 private:
  FbDatabase& database_;
  FbTransaction* transaction_;
};

}  // namespace kelmo
