// The budget intake's frame: the start, the protocol, the order of the
// phases, the stops and the end of the run.
#include "budget_run.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <optional>
#include <stdexcept>

#include "bed_days.h"
#include "budget_context.h"
#include "domain/common.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "folder_archive.h"
#include "interact/interaction.h"
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
  QDateTime Now() const { return c_.In.Now ? c_.In.Now() : QDateTime::currentDateTime(); }

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

  void Restore() {
    if (c_.Svc.Minimise) c_.Svc.Minimise(false);
  }
  // The usual stop: its lines, the protocol closed with the banner, the
  // viewer.
  BudgetStop Stop(BudgetStop stop, const QStringList& lines, bool banner = true) {
    Restore();
    st_.Act.WriteLines(lines);
    st_.Act.Close();
    if (banner && c_.Svc.WriteBanner) c_.Svc.WriteBanner(st_.ProtocolPath);
    ShowProtocol();
    return stop;
  }
  void ShowProtocol() {
    QApplication::beep();
    if (c_.Svc.ShowProtocol) c_.Svc.ShowProtocol(st_.ProtocolPath);
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
      Interact().Message(
          nullptr, QStringLiteral("Kelmo.exe"),
          QStringLiteral("Не найден ни одной больной относящийся к выбранному периоду"),
          MessageIcon::Question, MessageButtons::Ok);
      return Stop(BudgetStop::NoStays, {}, false);
    }
    bool nothingToLoad = false;
    if (CountBudgetSheets(c_) == 0) {
      st_.Act.WriteLine(
          QStringLiteral("В базе не найден ни один больной, относящийся к выбранному периоду."));
      st_.ForcedLoadConfirmed =
          Interact().Message(nullptr, QStringLiteral("Kelmo.exe"),
                             QStringLiteral("Не найден ни одной больной с формой оплаты бюджет.") +
                                 QStringLiteral("\n\r") +
                                 QStringLiteral("Все равно загрузить данные в базу?"),
                             MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes;
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
      if (c_.Svc.Minimise) c_.Svc.Minimise(true);
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
                       c_.Svc.Calendar, c_.Svc.Progress);
        Restore();
        Interact().Message(nullptr, QStringLiteral("Kelmo.exe"),
                           QStringLiteral("Все записи были успешно загружены."),
                           MessageIcon::Information, MessageButtons::Ok);
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
                     c_.Svc.Calendar, c_.Svc.Progress);
    st_.Act.Close();
    if (c_.Svc.WriteBanner) c_.Svc.WriteBanner(st_.ProtocolPath);
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
      Interact().Message(
          nullptr, QStringLiteral("Архивирование"),
          QStringLiteral("Не удалось переместить в архив:\n") + r.Failures.join(QLatin1Char('\n')),
          MessageIcon::Warning, MessageButtons::Ok);
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
