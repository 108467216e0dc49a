// The registers of an insurer's documents (see insurer_registers.h).
#include "insurer_registers.h"

#include "bed_profile_register.h"
#include "treated_patient_register.h"

namespace kelmo {

void WriteInsurerRegisters(InsurerDocumentContext& ctx) {
  const InsurerDocumentInputs& run = ctx.In;
  const InsurerDocumentServices& sv = ctx.Services;
  RegisterInputs in{sv.Db, sv.Tr, sv.User, ctx.Application()};
  in.TemplateFolder = run.TemplateFolder;
  in.RegistryFolder = run.RegistryFolder;
  in.Stac = StacTypeOfNumber(run.StacType);
  in.PayKind = run.PayKind;
  in.PeriodStart = run.PeriodStart;
  in.PeriodEnd = run.PeriodEnd;
  in.LpuName = run.Lpu.Name;
  in.LpuMcod = run.Lpu.Mcod;
  in.ReportFooter = run.ReportFooter;
  in.XmlPackageMode = run.XmlPackageMode;
  in.PayFolderWord = run.PayWord;
  in.HasRoundTheClock = run.HasRoundTheClock;
  in.HasDayHospital = run.HasDayHospital;
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
