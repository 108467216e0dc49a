// Package identification for the fund and the insurers forming: the reports
// come from the registry database.
#include "package_identification.h"

#include <QDir>

#include "data_file_dialog.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "package_identification_parts.h"

namespace kelmo {

using namespace package_identification;

bool PackageIdentification::DatabaseBranch(const IdentificationInput& input, bool& XmlPackageMode) {
  PackageLists& lists = ThePackageLists();
  const PayKind payKind = input.PayListKind;
  TheRunState().PayKind = payKind;
  const QChar letter = payKind == PayKind::Vmp ? u'T' : u'H';
  for (int t = 1; t <= 4; ++t) SetBox(dialog_.InPatientTypeBox(t), false);

  // The fund forms the out-of-region reports (as party number 3), an insurer
  // its own insured's.
  const HomeRegion& region = TheHomeRegion();
  int smoCode = region.FundExchangeCode, number = 3;
  Population population = Population::OutOfRegion;
  QString name = QString::fromUtf8(region.FundSenderName);
  if (const Insurer* insurer = input.WhoDetail.InsurerEntry()) {
    smoCode = insurer->ExchangeCode;
    number = insurer->Number;
    name = QString::fromUtf8(insurer->SenderName);
    population = Population::Local;
  }
  const int inog = population == Population::OutOfRegion ? 1 : 0;
  lists.AddresseeSmoCode = smoCode;
  lists.SenderList.append(rSender());

  FormingReportQuery query;
  query.Lpu = input.CurrentLpu;
  query.Oplat = Code(payKind);
  query.MonthStart = QDate(input.Year, input.Month, 1);
  query.SmoCode = smoCode;
  query.Inog = inog;
  const QList<FormingReportRow> rows = database_.FormingReports(query);
  if (rows.isEmpty()) {
    ShowRefusal(QStringLiteral(
        "Не найдены данные для выгрузки.\nВнимательно проверьте указанные параметры."));
    return true;
  }
  rSender& sender = lists.SenderList.first();
  sender.Number = rows.first().Mcod;
  sender.Name = TrimText(rows.first().Name);
  sender.Code = u'M' + QString::number(rows.first().Mcod);
  sender.Kind = PartyKind::Institution;
  sender.LpuId = input.CurrentLpu;

  QList<rRepn>& reports = lists.ReportLists[population];
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const FormingReportRow& row = rows[i];
    const QString body = QString(input.WhoDetail.IsFund() ? u'T' : u'S') +
                         QString::number(smoCode) + u'M' + QString::number(row.Mcod) + u'_' +
                         YearDigits(input.Year) + TwoDigits(input.Month) + QString::number(row.Num);
    const QString packageName = letter + body;
    if (i == 0 || row.Repn != rows[i - 1].Repn) {
      rRepn report;
      report.Repn = row.Repn;
      report.TipStac = static_cast<std::uint8_t>(row.TipStac);
      reports.append(report);
    }
    rSMOf smo;
    smo.SmoCode = smoCode;
    smo.Num = row.Num;
    smo.DSchet = row.DSchet;
    smo.NSchet = TrimText(row.NSchet);
    smo.Code = row.Code;
    reports.last().Smos.append(smo);
    if (row.TipStac >= 1 && row.TipStac <= 4) SetBox(dialog_.InPatientTypeBox(row.TipStac), true);

    qsizetype at = -1;
    for (qsizetype j = 0; j < sender.Adresats.size() && at < 0; ++j) {
      for (const rFile& f : sender.Adresats[j].Files) {
        if (f.HName == packageName) at = j;
      }
    }
    if (at < 0) {
      rAdresat adresat;
      adresat.Kind = population == Population::OutOfRegion ? PartyKind::Fund : PartyKind::Insurer;
      adresat.Number = number;
      adresat.Name = name;
      rFile file;
      file.SourceName = packageName + QStringLiteral(".xml");
      file.LName = u'L' + body;
      file.HName = packageName;
      file.DSchet = row.DSchet;
      file.NSchet = TrimText(row.NSchet);
      file.Code = row.Code;
      if (row.NeedOncoFile) {
        file.LcName = QStringLiteral("LC") + body;
        file.CName = u'C' + body;
      }
      adresat.Files.append(file);
      sender.Adresats.append(adresat);
      at = sender.Adresats.size() - 1;
    }
    if (row.TipStac >= 1 && row.TipStac <= 4) sender.Adresats[at].StacTypes[row.TipStac - 1] = true;
  }
  ShowPackageParties();
  const std::pair<QRadioButton*, PayKind> buttons[] = {
      {dialog_.RadioButton1, PayKind::Oms},
      {dialog_.RadioButton3, PayKind::Vmp},
      {dialog_.RadioButton2, PayKind::Rehabilitation}};
  for (const auto& [button, kind] : buttons) {
    button->setEnabled(kind == payKind);
    if (kind == payKind) {
      button->setChecked(true);
    } else {
      UncheckRadio(button);
    }
  }
  XmlPackageMode = true;
  return false;
}

}  // namespace kelmo
