// The budget intake's frame: the start, the protocol, the order of the
// phases, the stops and the end of the run.
#include "budget_run.h"

#include <QDir>
#include <QFileInfo>
#include <optional>
#include <stdexcept>

#include "bed_days.h"
#include "budget_context.h"
#include "domain/case_errors.h"
#include "domain/common.h"
#include "domain/run_state.h"
#include "domain/run_user.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "folder_archive.h"
#include "reception/reception_run.h"
#include "workbook/excel_application.h"

namespace kelmo {

namespace {

QString Prefix(int type) {
  static const char* const kPrefixes[] = {"КрБ", "ДнПолБ", "ДомБ", "ДнСтБ"};
  return QString::fromUtf8(kPrefixes[(type >= 1 && type <= 4 ? type : 1) - 1]);
}

const QString kFilesMissing = QStringLiteral(
    "Дальнейший прием отчета не возможен, в связи с тем, что не найдены все необходимые файлы.");

class BudgetRun {
 public:
  BudgetRun(const BudgetInputs& in, BudgetServices& svc) : c_{in, svc, st_} {}

  BudgetOutcome Execute() {
    if (c_.In.Receiving) {
      excel_ = std::make_unique<workbook::ExcelApplication>();
      c_.Excel = excel_.get();
    }
    CreateProtocol();
    BudgetOutcome out;
    try {
      out.Stop = Body();
    } catch (const std::exception& e) {
      if (st_.Act.IsOpen()) {
        st_.Act.WriteLine(QStringLiteral("Работа прервана из-за ошибки: ") +
                          QString::fromUtf8(e.what()));
        st_.Act.Close();
      }
      Restore();
      throw;
    }
    out.Accepted = st_.IntakeAccepted;
    out.ReportNumber = st_.ReportNumber;
    out.ProtocolPath = st_.ProtocolPath;
    return out;
  }

 private:
  QDateTime Now() const { return c_.Svc.Now ? c_.Svc.Now() : QDateTime::currentDateTime(); }

  void CreateProtocol() {
    const QDateTime now = Now();
    const QString longTime = LongTimeText(now.time());
    const QString dateText = ShortDateText(c_.In.ReceptionDate);
    st_.ProtocolPath =
        QDir(c_.In.RegistryFolder)
            .filePath(Prefix(c_.In.StacType) + dateText.mid(0, 2) + dateText.mid(3, 2) +
                      QLatin1Char('_') + ReceptionTimeTextOf(longTime) + QStringLiteral(".txt"));
    st_.Act.Create(st_.ProtocolPath);
    st_.Act.WriteLines(
        {QStringLiteral("Акт первичного технологического контроля"), QString(),
         QStringLiteral("ЛПУ: ") + TrimText(c_.In.Lpu.FName) + QLatin1Char('.'),
         QStringLiteral("Вид оплаты: бюджет"),
         QStringLiteral("Отчет за период с ") + ShortDateText(c_.In.PeriodStart) +
             QStringLiteral(" по ") + ShortDateText(c_.In.PeriodEnd) + QLatin1Char('.'),
         StacTypeLine(StacTypeOfNumber(c_.In.StacType)),
         QStringLiteral("Дата приема: ") + dateText + QStringLiteral(". Время приема: ") + longTime,
         QString(), QStringLiteral("База данных: ") + c_.In.DatabaseName, QString()});
  }

  void Minimise() {
    if (c_.In.MinimiseDuringRun) c_.Svc.User.MinimiseWindow();
  }
  void Restore() { c_.Svc.User.RestoreWindow(); }
  // The version banner after the protocol's first line.
  void WriteBanner() {
    const RunState& run = TheRunState();
    WriteVersionBanner(st_.ProtocolPath, 1, run.CurrentExprVer, run.PackageExprVer,
                       c_.In.Receiving);
  }
  // The usual stop: its lines, the protocol closed with the banner, the
  // viewer.
  BudgetStop Stop(BudgetStop stop, const QStringList& lines, bool banner = true) {
    Restore();
    st_.Act.WriteLines(lines);
    st_.Act.Close();
    if (banner) WriteBanner();
    ShowProtocol();
    return stop;
  }
  // The viewer shows the protocol where it is now.
  void ShowProtocol() {
    c_.Svc.User.Beep();
    TheRunState().ProtocolPath = st_.ProtocolPath;
    c_.Svc.User.ShowProtocol(false);
  }

  BudgetStop Body() {
    const bool receiving = c_.In.Receiving;
    CheckLicences(c_);
    if (!CheckFiles(c_))
      return Stop(BudgetStop::FilesMissing, receiving ? StopBlock({kFilesMissing}) : QStringList{});
    if (receiving) ReadRegisterVersion(c_);
    switch (CheckMtlStructure(c_)) {
      case 1:
        return Stop(BudgetStop::MtlStructure,
                    receiving
                        ? StopBlock({QStringLiteral("Дальнейший прием отчета не возможен, в "
                                                    "связи с тем, что не верная"),
                                     QStringLiteral("структура файла mtl.dbf(нет поля REANIM).")})
                        : QStringList{});
      case 2:
        return Stop(
            BudgetStop::MtlStructure,
            StopBlock({QStringLiteral("Формирование и прием отчета не возможен, в связи с "
                                      "тем, что не верная"),
                       QStringLiteral("структура файла mtl.dbf(нет поля OPLAT или OTDELENIE).")}));
      default:
        break;
    }
    if (PaymentKindMissing(c_)) return Stop(BudgetStop::PaymentKind, {});
    if (st_.RegisterMissing)
      return Stop(BudgetStop::RegisterMissing,
                  receiving ? StopBlock({kFilesMissing}) : QStringList{});
    CheckDoubles(c_);
    if (CountPeriodStays(c_) == 0) {
      st_.Act.WriteLine(
          QStringLiteral("В базе не найден ни один больной, относящийся к выбранному периоду."));
      c_.Svc.User.Message(
          QStringLiteral("Kelmo.exe"),
          QStringLiteral("Не найден ни одной больной относящийся к выбранному периоду"),
          RunMessageIcon::Question);
      return Stop(BudgetStop::NoStays, {}, false);
    }
    bool nothingToLoad = false;
    if (CountBudgetSheets(c_) == 0) {
      st_.Act.WriteLine(
          QStringLiteral("В базе не найден ни один больной, относящийся к выбранному периоду."));
      st_.ForcedLoadConfirmed = c_.Svc.User.Ask(
          QStringLiteral("Kelmo.exe"),
          QStringLiteral("Не найден ни одной больной с формой оплаты бюджет.") +
              QStringLiteral("\n\r") + QStringLiteral("Все равно загрузить данные в базу?"),
          RunMessageIcon::Question);
      nothingToLoad = !st_.ForcedLoadConfirmed;
    }
    if (!nothingToLoad) {
      if (receiving) {
        switch (CheckInstitutionWorkbooks(c_)) {
          case 1:
            return Stop(BudgetStop::WorkbooksMissing, StopBlock({kFilesMissing}));
          case 2:
            return Stop(BudgetStop::InvoiceLayout,
                        {QStringLiteral(
                            "Неверный формат файла счет-фактуры! Дальнейший прием невозможен.")},
                        false);
          default:
            break;
        }
      }
      Minimise();
      try {
        CreateReportRow(c_);
        LoadStays(c_);
      } catch (const std::exception&) {
        // Nothing of a failed load stays behind: the report row and every
        // stay inserted so far go with the transaction.
        c_.Svc.Tr.Rollback();
        st_.ReportNumber = 0;
        st_.Act.WriteLine(QStringLiteral("Загрузка данных прервана, загруженные записи отменены."));
        throw;
      }
      if (st_.ForcedLoadConfirmed) {
        RecountBedDays(c_.Svc.Db, c_.Svc.Tr, st_.ReportNumber, c_.In.StacType, c_.In.Lpu.Id,
                       c_.Svc.Calendar, &c_.Svc.User);
        Restore();
        c_.Svc.User.Message(QStringLiteral("Kelmo.exe"),
                            QStringLiteral("Все записи были успешно загружены."),
                            RunMessageIcon::Information);
        st_.Act.Close();
        return BudgetStop::ForcedLoad;
      }
      BlockingChecks(c_);
      ToleratedChecks(c_);
      ComputeCosts(c_);
      if (receiving) SearchSumDifferences(c_);
      if (!receiving) WriteDocuments(c_);
    }
    Restore();
    if (nothingToLoad && st_.ReportNumber == 0)
      st_.Act.WriteLine(QStringLiteral("Ни один случай не загружен."));
    WriteSummary(c_);
    c_.Svc.Tr.Commit();
    if (st_.ReportNumber != 0)
      RecountBedDays(c_.Svc.Db, c_.Svc.Tr, st_.ReportNumber, c_.In.StacType, c_.In.Lpu.Id,
                     c_.Svc.Calendar, &c_.Svc.User);
    st_.Act.Close();
    WriteBanner();
    ShowProtocol();
    if (!receiving) Archive();
    Restore();
    return nothingToLoad ? BudgetStop::NothingToLoad : BudgetStop::None;
  }

  void Archive() {
    const ArchiveResult r =
        ArchiveBudgetFiles(c_.In.RegistryFolder, c_.In.StacType, st_.ProtocolPath);
    if (r.ProtocolPath != st_.ProtocolPath && st_.ReportNumber != 0) {
      FbQuery upRep(c_.Svc.Db, &c_.Svc.Tr);
      upRep.setSql(QStringLiteral("update REPORTS set FILE_OSH = :p_PATH where REPN = :p_REPN"));
      upRep.setParam(QStringLiteral("p_PATH"), r.ProtocolPath);
      upRep.setParam(QStringLiteral("p_REPN"), st_.ReportNumber);
      upRep.ExecSQL();
      c_.Svc.Tr.Commit();
    }
    st_.ProtocolPath = r.ProtocolPath;
    if (!r.Failures.isEmpty())
      c_.Svc.User.Message(
          QStringLiteral("Архивирование"),
          QStringLiteral("Не удалось переместить в архив:\n") + r.Failures.join(QLatin1Char('\n')),
          RunMessageIcon::Warning);
  }

  BudgetState st_;
  BudgetContext c_;
  std::unique_ptr<workbook::ExcelApplication> excel_;
};

}  // namespace

BudgetOutcome IntakeBudgetReport(const BudgetInputs& inputs, BudgetServices& services) {
  BudgetRun run(inputs, services);
  return run.Execute();
}

}  // namespace kelmo
