// The main window: components, creation, closing, the folder button and the
// settings button.
#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "data_module.h"
#include "domain/common.h"
#include "domain/run_state.h"
#include "error_box.h"
#include "interact/interaction.h"
#include "out_of_region_check_button.h"
#include "pay_kinds.h"
#include "progress_window.h"
#include "settings_dialog.h"
#include "start_period.h"
#include "start_record.h"
#include "system/machine_settings.h"

namespace kelmo {

const QStringList kLpuGridSql = {
    QStringLiteral("select lpu.*, lm.mcod, t.r_cnt, t.upl_cnt, t.date_beg from LPU"),
    QStringLiteral("left join lpu_mcod lm on lm.lpu_id=id"),
    QStringLiteral("left join (select r.lpu, r.date_beg, CAST(count(distinct r.repn) AS INTEGER) "
                   "r_cnt, sum(coalesce(r.uploaded,0)) upl_cnt from reports r"),
    QStringLiteral("           where r.see1=1 and r.see2=1 and r.date_beg=:dbeg and "
                   "r.inogor=:inog"),
    QStringLiteral("           group by r.lpu, r.date_beg) t on t.lpu=lpu.id"),
    QStringLiteral("order by lpu.ID"),
};

namespace {

const QStringList kMonthNames = {
    QStringLiteral("январь"),  QStringLiteral("февраль"), QStringLiteral("март"),
    QStringLiteral("апрель"),  QStringLiteral("май"),     QStringLiteral("июнь"),
    QStringLiteral("июль"),    QStringLiteral("август"),  QStringLiteral("сентябрь"),
    QStringLiteral("октябрь"), QStringLiteral("ноябрь"),  QStringLiteral("декабрь")};

// The grid's folder field for in-patient types 1..4.
const char* const kFolderFields[] = {"DIR", "DIRDN", "DIRDOM", "DIRDNST"};

QString FirstExistingFolder(const QStringList& candidates) {
  for (const QString& folder : candidates)
    if (QFileInfo(folder).isDir()) return folder;
  return candidates.isEmpty() ? QString() : candidates.last();
}

}  // namespace

ShellPaths ShellPaths::ForThisProgram() {
  ShellPaths paths;
  paths.startFolder = QDir::currentPath();
  paths.executablePath = QCoreApplication::applicationFilePath();
  paths.executableFolder = QCoreApplication::applicationDirPath();
  const QString beside = paths.executableFolder + QStringLiteral("/db/");
  const QString source = QStringLiteral(KELMO_DB_DIR) + QLatin1Char('/');
  paths.registryScripts = FirstExistingFolder({beside + "registry", source + "registry"});
  paths.centralScripts = FirstExistingFolder({beside + "central", source + "central"});
  return paths;
}

TfmKelmo::TfmKelmo(TDM& dm, const ShellPaths& paths, QWidget* parent)
    : QMainWindow(parent),
      ibdb(QStringLiteral("%1.ibdb").arg(reinterpret_cast<quintptr>(this))),
      ibtr(ibdb),
      ibqLPU(ibdb, &ibtr),
      dm_(dm),
      paths_(paths) {
  setObjectName(QStringLiteral("fmKelmo"));
  setWindowTitle(FormCaption());
  ibdb.setScriptFolder(paths_.registryScripts);
  ibqLPU.setSql(kLpuGridSql);
  CreateComponents();
  LayOut();
  // The folder list starts where the program was started.
  dlb->setDirectory(paths_.startFolder);
}

TfmKelmo::~TfmKelmo() = default;

QString TfmKelmo::FormCaption() {
  return QStringLiteral("Прием отчетов от ЛПУ для СМО и ТФОМС");
}

void TfmKelmo::SetDialogs(TfmUnCorr* unCorr, TfmPrgs* prgs, TF_XML_load* xmlLoad, TfmProp* prop) {
  fmUnCorr_ = unCorr;
  fmPrgs_ = prgs;
  if (prgs) prgs->FormingMode = [this] { return rgps->itemIndex() == 1; };
  F_XML_load_ = xmlLoad;
  fmProp_ = prop;
}

// The year, the reception date and the splitters: the extension controls,
// with the properties the form stores.
void TfmKelmo::CreateStandInControls() {
  seYear = new TXtSpinEdit(this);
  seYear->setObjectName(QStringLiteral("seYear"));
  deDKelmo = new TDateEdit(this);
  deDKelmo->setObjectName(QStringLiteral("deDKelmo"));
  deDKelmo->SetDefaultToday(true);
  deDKelmo->SetNumGlyphs(2);
  deDKelmo->SetYearDigits(TYearDigits::dyFour);
  deDKelmo->setText(QStringLiteral("19.08.2003"));
  Splitter1 = new TXtSplitter(this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter2 = new TXtSplitter(this);
  Splitter2->setObjectName(QStringLiteral("Splitter2"));
}

void TfmKelmo::CreateComponents() {
  CreateStandInControls();
  cbMonth = new QComboBox(this);
  cbMonth->setObjectName(QStringLiteral("cbMonth"));
  cbMonth->addItems(kMonthNames);
  btn1 = new QPushButton(QStringLiteral("Настройки программы"), this);
  btn1->setObjectName(QStringLiteral("btn1"));
  btnUPL = new QPushButton(QStringLiteral("Выгрузить всех"), this);
  btnUPL->setObjectName(QStringLiteral("btnUPL"));
  lbDKelmo = new QLabel(QStringLiteral("Дата приема:"), this);
  rgps = new RadioGroup(QStringLiteral("Отчет"),
                        {QStringLiteral("Принять"), QStringLiteral("Сформировать")}, this);
  rgps->setObjectName(QStringLiteral("rgps"));
  rgps->setItemIndex(0);
  rgps->setEnabled(false);
  lbVidOp = new QLabel(QStringLiteral("Вид оплаты:"), this);
  cbVidOp = new QComboBox(this);
  cbVidOp->setObjectName(QStringLiteral("cbVidOp"));
  bbGoDir = new QPushButton(QStringLiteral("Найти папку"), this);
  bbGoDir->setObjectName(QStringLiteral("bbGoDir"));
  dlb = new DirectoryList(this);
  dlb->setObjectName(QStringLiteral("dlb"));
  flb = new FileList(this);
  flb->setObjectName(QStringLiteral("flb"));
  lbFullPath = new QLabel(this);
  lbFullPath->setObjectName(QStringLiteral("lbFullPath"));
  re = new QPlainTextEdit(this);
  re->setObjectName(QStringLiteral("re"));
  re->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  re->setLineWrapMode(QPlainTextEdit::NoWrap);
  Ole1 = new QLabel(this);
  Ole1->setObjectName(QStringLiteral("Ole1"));
  Ole1->setEnabled(false);
  Ole1->hide();
  rgStac = new RadioGroup(QStringLiteral(" Стационар "),
                          {QStringLiteral("круглосуточный"), QStringLiteral("дневной при полик"),
                           QStringLiteral("на дому"), QStringLiteral("дневной при стац")},
                          this);
  rgStac->setObjectName(QStringLiteral("rgStac"));
  rgStac->setItemIndex(0);
  ch_OperAnaliz = new QCheckBox(QStringLiteral("Анализ расчёта операций"), this);
  ch_OperAnaliz->setObjectName(QStringLiteral("ch_OperAnaliz"));
  cbWind = new QCheckBox(QStringLiteral("Свернуть окно до окончания приема реестрa"), this);
  cbWind->setObjectName(QStringLiteral("cbWind"));
  // The form's own state: the combined report shown, the reception hidden;
  // the role "lpu" swaps them at creation.
  bbKelmo = new QPushButton(QStringLiteral("Принять"), this);
  bbKelmo->setObjectName(QStringLiteral("bbKelmo"));
  bbKelmo->hide();
  obKelmo = new QPushButton(QStringLiteral("Объединённый отчёт"), this);
  obKelmo->setObjectName(QStringLiteral("obKelmo"));
  btChIng = new QPushButton(QStringLiteral("Проверка иногородних"), this);
  btChIng->setObjectName(QStringLiteral("btChIng"));
  BitBtn1 = new QPushButton(QStringLiteral("Печать"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  btn3 = new QPushButton(QStringLiteral("Выгрузить логи"), this);
  btn3->setObjectName(QStringLiteral("btn3"));
  bbClose = new QPushButton(QStringLiteral("Закрыть"), this);
  bbClose->setObjectName(QStringLiteral("bbClose"));
  ksg_rename = new QPushButton(QStringLiteral("Перерасчёт"), this);
  ksg_rename->setObjectName(QStringLiteral("ksg_rename"));
  ksg_rename->hide();
  lb1 = new QLabel(this);
  lb1->setObjectName(QStringLiteral("lb1"));
  lb2 = new QLabel(this);
  lb2->setObjectName(QStringLiteral("lb2"));
  lbBase = new QLabel(QStringLiteral("База"), this);
  lbase = new QLabel(this);
  lbase->setObjectName(QStringLiteral("lbase"));
  DBGrid1 = new QTableView(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  lpuModel = std::make_unique<LpuGridModel>(ibqLPU);
  DBGrid1->setModel(lpuModel.get());
  DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DBGrid1->verticalHeader()->hide();
  DBGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  DBGrid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  DBGrid1->setWordWrap(false);

  connect(bbClose, &QPushButton::clicked, this, [this] { bbCloseClick(); });
  connect(bbGoDir, &QPushButton::clicked, this, [this] { RunGuarded([this] { bbGoDirClick(); }); });
  connect(btn1, &QPushButton::clicked, this, [this] { RunGuarded([this] { btn1Click(); }); });
  connect(btChIng, &QPushButton::clicked, this, [this] { RunGuarded([this] { btChIngClick(); }); });
  connect(ksg_rename, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { ksg_renameClick(); }); });
  connect(dlb, &DirectoryList::directoryChanged, this, [this](const QString& path) {
    flb->setDirectory(path);
    lbFullPath->setText(path);
  });
  connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) ibqLPU.setRecNo(current.row());
          });
  WireServices();
}

void TfmKelmo::LayOut() {
  auto* period = new QHBoxLayout;
  period->addWidget(cbMonth);
  period->addWidget(seYear);
  period->addWidget(btn1);
  period->addWidget(btnUPL);
  auto* date = new QHBoxLayout;
  date->addWidget(lbDKelmo);
  date->addWidget(deDKelmo);
  date->addStretch();
  auto* kind = new QHBoxLayout;
  kind->addWidget(lbVidOp);
  kind->addWidget(cbVidOp);
  auto* folder = new QHBoxLayout;
  folder->addWidget(bbGoDir);
  folder->addWidget(lbFullPath, 1);
  auto* lists = new QHBoxLayout;
  lists->addWidget(dlb);
  lists->addWidget(flb);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bbKelmo);
  buttons->addWidget(obKelmo);
  buttons->addWidget(btChIng);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(btn3);
  buttons->addWidget(ksg_rename);
  buttons->addWidget(lb1);
  buttons->addWidget(lb2);
  buttons->addStretch();
  buttons->addWidget(bbClose);
  auto* base = new QHBoxLayout;
  base->addWidget(lbBase);
  base->addWidget(lbase, 1);

  auto* top = new QWidget;
  auto* topLayout = new QVBoxLayout(top);
  topLayout->addLayout(period);
  topLayout->addLayout(date);
  topLayout->addWidget(rgps);
  topLayout->addLayout(kind);
  topLayout->addWidget(rgStac);
  topLayout->addWidget(ch_OperAnaliz);
  topLayout->addWidget(cbWind);
  topLayout->addLayout(folder);
  topLayout->addLayout(lists);
  auto* preview = new QWidget;
  auto* previewLayout = new QVBoxLayout(preview);
  previewLayout->setContentsMargins(0, 0, 0, 0);
  previewLayout->addWidget(re);
  previewLayout->addWidget(Ole1);
  // Aligned panes: the controls on top of the preview with Splitter2 between
  // them, the grid on the right with Splitter1 beside it.
  auto* left = new QWidget;
  auto* leftLayout = new TXtAlignLayout(left);
  top->resize(top->sizeHint());
  leftLayout->addWidget(top);
  SetControlAlign(top, TAlign::alTop);
  leftLayout->addWidget(Splitter2);
  Splitter2->SetAlign(TAlign::alTop);
  Splitter2->SetControlFirst(top);
  leftLayout->addWidget(preview);
  SetControlAlign(preview, TAlign::alClient);
  auto* panes = new QWidget;
  auto* panesLayout = new TXtAlignLayout(panes);
  DBGrid1->resize(400, DBGrid1->height());
  panesLayout->addWidget(DBGrid1);
  SetControlAlign(DBGrid1, TAlign::alRight);
  panesLayout->addWidget(Splitter1);
  Splitter1->SetAlign(TAlign::alRight);
  Splitter1->SetControlFirst(DBGrid1);
  panesLayout->addWidget(left);
  SetControlAlign(left, TAlign::alClient);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(panes, 1);
  layout->addLayout(buttons);
  layout->addLayout(base);
  setCentralWidget(central);
  resize(1000, 680);
}

QString TfmKelmo::BuiltInRepPath() const {
  return QDir(paths_.startFolder).filePath(QStringLiteral("Reestr")) + QLatin1Char('/');
}

QString TfmKelmo::BuiltInRegistryDatabase() const {
  return QDir(paths_.startFolder).filePath(QStringLiteral("kelmo.fdb"));
}

QString TfmKelmo::BuiltInCentralDatabase() const {
  return QDir(paths_.startFolder).filePath(QStringLiteral("central.fdb"));
}

void TfmKelmo::OpenLpuGrid(const QDate& monthStart, int inog) {
  ibqLPU.Close();
  lpuModel->Reload();
  ibqLPU.setParam(QStringLiteral("inog"), inog);
  ibqLPU.setParam(QStringLiteral("dbeg"), QDateTime(monthStart, QTime(0, 0)));
  ibqLPU.Open();
  lpuModel->Reload();
  DBGrid1->resizeColumnToContents(0);
  if (ibqLPU.RecordCount() > 0) DBGrid1->setCurrentIndex(lpuModel->index(0, 0));
}

void TfmKelmo::FormCreate() {
  RunState& state = TheRunState();
  const QDate today = QDate::currentDate();

  // kelmo.ini of the start folder, the template first when missing.
  const QString settingsPath = QDir(paths_.startFolder).filePath(QStringLiteral("kelmo.ini"));
  WriteKelmoIniTemplateIfMissing(settingsPath);
  SettingsIni = std::make_unique<IniFile>(settingsPath);
  Config = ReadStartConfig(*SettingsIni);
  dm_.KvillonPath = Config.KvillonPath;
  // The payment kind of the settings; selecting it is not the user's change.
  state.PayKind = Config.PayKind;
  {
    const QSignalBlocker blocker(cbVidOp);
    FillPayKinds(*cbVidOp);
    cbVidOp->setCurrentIndex(ListIndexOf(state.PayKind));
  }
  // The registry database and the central segment; a fresh template leaves the database keys empty;
  // the embedded databases of the start folder then take their place, so that a first start comes
  // up with the demonstration data.
  ibdb.Close();
  ibdb.setDatabaseName(Config.IBDBase.trimmed().isEmpty() ? BuiltInRegistryDatabase()
                                                          : Config.IBDBase);
  dm_.CS_base.setDatabaseName(Config.CSbase.trimmed().isEmpty() ? BuiltInCentralDatabase()
                                                                : Config.CSbase);
  dm_.CS_base.setScriptFolder(paths_.centralScripts);
  RunGuarded([this] { dm_.CS_base.EnsureExists(); });
  // An institution's installation receives; the others upload.
  if (Config.IsLpuRole()) {
    rgps->setEnabled(true);
    obKelmo->hide();
    bbKelmo->show();
  }
  // The party this installation works for.
  WhoDetail = Config.WhoDetail;
  state.OwnSmoCode = Config.OwnSmoCode();
  dm_.KvillonPathChanged = false;
  // The acts database, when configured.
  dm_.AktEnabled = Config.AktEnabled;
  if (dm_.AktEnabled) {
    dm_.con1.Close();
    dm_.con1.setConnectionString(Config.AKTConStr);
  }
  state.DebugMessages = Config.DebugMessages;
  // The start record; without rights no record is written, silently.
  std::unique_ptr<QSettings> record = OpenMachineRecord();
  lbase->setText(ibdb.databaseName());
  // The report month a start offers, and today as the reception date.
  const QDate month = DefaultReportMonth(today);
  {
    const QSignalBlocker yearBlocker(seYear);
    const QSignalBlocker monthBlocker(cbMonth);
    seYear->SetValue(month.year());
    cbMonth->setCurrentIndex(month.month() - 1);
  }
  deDKelmo->SetDateValue(today);
  const int inog = WhoDetail.IsInstitution() ? 2 : WhoDetail.IsFund() ? 1 : 0;
  // The grid connects the registry database. A database that cannot be
  // opened is reported with the driver's message; the window goes on with
  // an empty grid.
  RunGuarded([&] { OpenLpuGrid(month, inog); });
  // The version in the caption and under every report.
  state.ProgramVersion = FileVersionText(paths_.executablePath);
  const QString fileDate = ShortDateText(QFileInfo(paths_.executablePath).lastModified().date());
  setWindowTitle(FormCaption() + QStringLiteral(" (v.") + state.ProgramVersion +
                 QStringLiteral(" от ") + fileDate + QStringLiteral(" )"));
  state.ReportFooter = QStringLiteral("Версия Kelmo, на которой сформирован данный отчет: v.") +
                       state.ProgramVersion + QStringLiteral(" от ") + fileDate;
  flb->setMask(QStringLiteral("*.txt;*.dbf;*.xls;?M45*_*.zip"));
  if (record) {
    WriteStartRecord(*record, {paths_.executablePath, today, ibdb.databaseName(), dm_.InOmsDomain(),
                               dm_.CmdUser()});
  }
  state.ExcelPath = ReadExcelPath(paths_.executableFolder);
  // The operations analysis is offered for round-the-clock runs only.
  ch_OperAnaliz->setVisible(rgStac->itemIndex() == 0);
  ch_OperAnaliz->setChecked(false);
  MarkedLpus.Clear();
  // The fund uploads several institutions at once.
  const bool fund = WhoDetail.IsFund();
  btnUPL->setVisible(fund);
  DBGrid1->setToolTip(fund ? QStringLiteral("DoubleClick Для выбора нескольких ЛПУ") : QString());
  MultiSelectLpus = fund;
  MainFormReady = true;
}

bool TfmKelmo::FormCloseQuery() {
  if (TheRunState().DebugMessages)
    ShowMessage(this, ApplicationTitle(),
                QStringLiteral("попытка закрыть приём") + QStringLiteral(" (можно)"));
  return true;
}

void TfmKelmo::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (dm_.CS_base.Connected()) dm_.CS_base.Close();
  if (dm_.con1.Connected()) dm_.con1.Close();
  if (dm_.KvillonPathChanged && SettingsIni)
    SettingsIni->WriteString(QString::fromLatin1(kOptionsSection), QStringLiteral("KvillonPath"),
                             dm_.KvillonPath);
  SettingsIni.reset();
}

void TfmKelmo::FormDeactivate() {
  if (!TheRunState().DebugMessages || showingDebugMessage_) return;
  showingDebugMessage_ = true;
  ShowMessage(this, ApplicationTitle(), QStringLiteral("deactivate"));
  showingDebugMessage_ = false;
}

void TfmKelmo::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TfmKelmo::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && MainFormReady && !isActiveWindow())
    FormDeactivate();
}

void TfmKelmo::bbCloseClick() {
  close();
}

QString TfmKelmo::RegistryFolderForCurrentRow() const {
  const int type = std::clamp(rgStac->itemIndex(), 0, 3);
  QString field;
  if (ibqLPU.Active() && !ibqLPU.Eof())
    field = ibqLPU.FieldByName(QString::fromLatin1(kFolderFields[type])).toString();
  const QString year = seYear->text();
  const QString month =
      QStringLiteral("%1").arg(cbMonth->currentIndex() + 1, 2, 10, QLatin1Char('0'));
  const QString root = SettingsIni ? ReadRepPath(*SettingsIni, BuiltInRepPath()) : BuiltInRepPath();
  return root + year + QLatin1Char('/') + month + QLatin1Char('_') + year + QLatin1Char('/') +
         TrimText(field);
}

void TfmKelmo::bbGoDirClick() {
  const QString folder = RegistryFolderForCurrentRow();
  if (!dlb->setDirectory(folder))
    Interact().Message(this, QStringLiteral("Ошибка"), QStringLiteral("Не найдена папка ") + folder,
                       MessageIcon::Error, MessageButtons::Ok);
}

void TfmKelmo::btn1Click() {
  if (fmProp_ == nullptr) return;
  fmProp_->FormActivate();
  Interact().RunModal(*fmProp_);
}

void TfmKelmo::btChIngClick() {
  RunOutOfRegionCheckButton(*this, fmPrgs_, fmUnCorr_);
}

}  // namespace kelmo
