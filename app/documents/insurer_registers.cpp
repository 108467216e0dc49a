// The registers of an insurer's documents (see insurer_registers.h).
#include "insurer_registers.h"

#include "bed_profile_register.h"
#include "treated_patient_register.h"

namespace kelmo {

void WriteInsurerRegisters(InsurerDocumentContext& ctx) {
  const InsurerDocumentInputs& run = ctx.In;
  const InsurerDocumentServices& sv = ctx.Services;
  RegisterInputs in{sv.Db, sv.Tr, sv.User, ctx.Application()};
  CopyRunValues(in, run);
  in.ReportFooter = run.ReportFooter;
  in.Reports = ctx.Reports();
  in.Insurer.Code = ctx.Insurer.Code == 0 ? QString() : ctx.Insurer.CodeText();
  in.Insurer.ShortName = ctx.Insurer.ShortName;
  // Outside a package the registers go to the insurer's own folder, never to
  // the process's current one.
  in.Insurer.DocumentFolder =
      run.XmlPackageMode || run.CurrentFolder.isEmpty() ? ctx.DocumentFolder : run.CurrentFolder;
  WriteBedProfileRegister(in, RegisterVariant::Insurer);
  ctx.PackageWorkbooks << WriteTreatedPatientRegister(in, RegisterVariant::Insurer);
}

}  // namespace kelmo
