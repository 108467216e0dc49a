// The bed-profile register of a document set (see bed_profile_register.h).
#include "bed_profile_register.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <vector>

#include "document_header.h"
#include "domain/common.h"
#include "domain/money.h"
#include "domain/run_user.h"
#include "excel_range.h"
#include "firebird/fb_statement.h"
#include "register_rows.h"

namespace kelmo {

namespace {

// The pass's treatment sheets with their bed profile, in order of the
// profile code; the register sums them profile by profile as they come. A
// sheet without a bed profile is summed under a row of its own (no name)
// rather than left out of the register's total. An insurer's register lists
// the profiles of every insurer's sheets and sums its own only.
const QString kProfileSheets = QStringLiteral(
    "select m.profil_bed, p.name, m.kd, m.kdoms, m.ocncost, m.dopcost, s.socium, s.polis from "
    "MTL m "
    "join stacion s on s.id_ill=m.id_ill left JOIN profil p on (p.tip_prof=m.profil_bed) "
    "where ((m.repn=:repn1) or (m.repn=:repn2) or (m.repn=:repn3) or (m.repn=:repn4)) and "
    "(m.oplat=:oplat) and coalesce(s.dopfond,0)=:dopfond order by m.profil_bed");

void WriteRow(workbook::Worksheet& sheet, int row, const QString& title, const ProfileSums& s) {
  auto text = [&](int column, const QString& value) {
    sheet.SetText(row, column, value.toStdString());
  };
  text(1, title);
  text(2, QString::number(s.Kd));
  text(3, QString::number(s.KdOms));
  text(4, MoneyStr(s.Total()));
  text(5, MoneyStr(s.OcnCost));
  text(6, MoneyStr(s.DopCost));
  text(7, QString::number(s.CaseCount));
  text(8, QString::number(s.SociumCount));
}

}  // namespace

QStringList WriteBedProfileRegister(const RegisterInputs& in, RegisterVariant variant) {
  const QString caption = QStringLiteral("Формирование реестра профилей коек...");
  in.User.BeginPhase(caption, 0);
  QStringList saved;
  if (in.TemplateFolder.isEmpty()) return saved;
  const QString careKind = RegisterCareKind(in);
  const bool outOfRegion = variant == RegisterVariant::OutOfRegion;
  const bool insurer = variant == RegisterVariant::Insurer;
  const QString n = QString::number(Number(in.Stac));
  const QString stem = outOfRegion ? QStringLiteral("Profilsi") : QStringLiteral("Profils");
  const QString registryStem = stem + n;
  // A DOPFOND 1 register outside a package gets a name of its own, so that
  // it never takes the place of the DOPFOND 0 register.
  for (const QString& suffix : {QString(), QStringLiteral("_NCZ")}) {
    const QString registryName = registryStem + suffix + QStringLiteral(".xlsx");
    RemoveOldOutput(insurer ? RegisterFileName(in, variant, stem, suffix, registryName)
                            : RegistryFolderFile(in, registryName));
  }
  const QString templ = RegisterTemplate(in, variant, QStringLiteral("profils.xlsx"));
  if (templ.isEmpty() || (outOfRegion && in.Reports.isEmpty())) return saved;

  const std::array<int, 4> repn = RegisterReportNumbers(in.Reports);
  const int passes = variant == RegisterVariant::Closing ? 1 : 2;
  for (int dopfond = 0; dopfond < passes; ++dopfond) {
    workbook::ExcelApplication& excel = in.Excel;
    const auto book = OpenRegisterTemplate(excel, templ, 7, 8, QStringLiteral("таблицы A7:H7"));
    if (outOfRegion || insurer) excel.SetVisible(false);
    workbook::Worksheet& sheet = book->Sheet();
    sheet.SetText(1, 1,
                  RegisterPeriodTitle(QStringLiteral("Реестр коек по профилю"), in).toStdString());
    sheet.SetText(3, 1, RegisterHeading(in, careKind, variant).toStdString());

    FbStatement sheets(in.Db, &in.Tr);
    sheets.Prepare(kProfileSheets);
    for (size_t k = 0; k < repn.size(); ++k)
      sheets.Set(QStringLiteral("repn%1").arg(k + 1), repn[k]);
    sheets.Set(QStringLiteral("oplat"), Code(in.PayKind));
    sheets.Set(QStringLiteral("dopfond"), dopfond);
    struct Profile {
      QString Name;
      ProfileSums Sums;
    };
    std::vector<Profile> profiles;
    QVariant code;
    const QString& ownCode = in.Insurer.Code;
    sheets.ExecRows([&](const QSqlQuery& q) {
      if (profiles.empty() || q.value(0) != code) {
        code = q.value(0);
        profiles.push_back({TrimText(q.value(1).toString()), {}});
      }
      if (insurer && !ownCode.isEmpty() && TrimText(q.value(7).toString()) != ownCode) return;
      profiles.back().Sums.Add(q.value(2).toLongLong(), q.value(3).toLongLong(),
                               MoneyOfField(q.value(4)), MoneyOfField(q.value(5)),
                               q.value(6).toString());
    });
    in.User.BeginPhase(caption, static_cast<int>(profiles.size()));
    int sheetRow = 7;
    ProfileSums total;
    for (const Profile& profile : profiles) {
      WriteRow(sheet, sheetRow++, profile.Name, profile.Sums);
      total.Add(profile.Sums);
      in.User.StepRecord();
    }
    WriteRow(sheet, sheetRow, QStringLiteral("Итого:"), total);
    GridRange(excel, QStringLiteral("A7"), QStringLiteral("H%1").arg(sheetRow));

    const QString suffix = dopfond == 1 ? QStringLiteral("_NCZ") : QString();
    const Money cost = variant == RegisterVariant::Local || insurer ? total.Total().RoundToKopecks()
                                                                    : total.Total();
    if (cost > Money()) {
      const QString name = RegisterFileName(in, variant, stem, suffix,
                                            registryStem + suffix + QStringLiteral(".xlsx"));
      QDir().mkpath(QFileInfo(name).path());
      book->Save(name);
      saved << name;
    }
  }
  return saved;
}

QStringList WriteBedProfileRegister(DocumentRun& run, DocumentSet set) {
  return WriteBedProfileRegister(RegisterInputsOf(run, set), RegisterVariantOf(set));
}

}  // namespace kelmo
