// The checks of the loaded report: the blocking pass, which lists and
// removes the stays with errors that make the registry unacceptable, and the
// passes of tolerated errors and of errors of data entry.
#include <QHash>
#include <cmath>
#include <stdexcept>

#include "budget_context.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"
#include "workbook/worksheet.h"

namespace kelmo {

namespace {

QString Plain(double v) {
  return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

// One row of SP_PROVERKI_B.
class CheckRow {
 public:
  CheckRow(const FbQuery& q) : q_(q) {}
  QString S(const char* f) const { return q_.FieldByName(QString::fromLatin1(f)).toString(); }
  bool Osh(const char* f) const { return S(f) == QLatin1String("1"); }
  int I(const char* f) const { return q_.FieldByName(QString::fromLatin1(f)).toInt(); }
  QString T(const char* f) const { return TrimText(S(f)); }
  QDate D(const char* f) const { return q_.FieldByName(QString::fromLatin1(f)).toDate(); }
  QString Nomib() const {
    const QVariant v = q_.FieldByName(QStringLiteral("NOMIB"));
    return v.isNull() ? QString() : QString::number(v.toDouble(), 'g', 15);
  }

 private:
  const FbQuery& q_;
};

enum class Pass { Blocking, Tolerated };

struct Verdict {
  QString Text;
  bool Blocking = false;
  bool Tolerated = false;
  void Add(bool fires, const QString& message, bool blocking) {
    if (!fires) return;
    Text += message;
    (blocking ? Blocking : Tolerated) = true;
  }
};

// What a rule needs beyond the row.
struct RowFacts {
  int StacType = 1;
  bool LicensedTwice = false;
  bool SheetKind1 = false;
  bool StayHasVmtl1 = false;
  int LeaveCrossings = 0;
  int ReportYear = 0;
};

QString Digit(const QString& code, int index) {
  return code.size() > index ? code.mid(index, 1) : QString();
}

bool MesOutsideType(int kod, int type) {
  if (kod <= 0) return false;
  switch (type) {
    case 1:
      return !(kod > 2999999 && kod < 6000000);
    case 2:
      return !(kod > 6999999 && kod < 8000000);
    case 3:
      return !(kod > 5999999 && kod < 7000000);
    default:
      return !(kod > 7999999 && kod < 9000000);
  }
}

// The rules of a row in their order; the tolerated pass evaluates its own
// additions and leaves out the rules on card and leaves.
Verdict Evaluate(const CheckRow& r, const RowFacts& f, Pass pass) {
  Verdict v;
  if (r.I("OPLAT") != 2) return v;
  const int kod = r.I("KOD_MES");
  const QString kodText = QString::number(kod);
  const bool withMes = kod != 0;
  struct Simple {
    const char* column;
    const char* message;
  };
  static const Simple kFirst[] = {
      {"OSH2", "Невозм.зн.поля STAN_OBSL."}, {"OSH3", "Невозм.зн.поля STAN_LECEN."},
      {"OSH4", "Невозм.зн.поля KASH_MES."},  {"OSH7", "Невозм.зн.поля KURACIA."},
      {"OSH8", "Невозм.зн.поля EXTREN."},    {"OSH10", "Невозм.зн.поля INTERRUPT."}};
  if (withMes)
    for (const Simple& s : kFirst) v.Add(r.Osh(s.column), QString::fromUtf8(s.message), true);
  static const Simple kSecond[] = {{"OSH5", "Невозм.зн.поля RES_LECHEN."},
                                   {"OSH6", "Невозм.зн.поля ISHOD_LECE."},
                                   {"OSH11", "Отс.проф.в МТЛ."},
                                   {"OSH12", "Отс.диаг.в МТЛ."},
                                   {"OSH13", "Отс.интен.тер.в МТЛ."},
                                   {"OSH14", "Отс.зак.сл.в МТЛ."},
                                   {"OSH15", "Отс.рез.леч.в МТЛ."},
                                   {"OSH16", "Отс.исх.леч.в МТЛ."},
                                   {"OSH17", "Невозм.зн.поля DOKUMENT."},
                                   {"OSH18", "Невозм.зн.поля POL."},
                                   {"OSH19", "Отс.дата рожд."}};
  for (const Simple& s : kSecond) v.Add(r.Osh(s.column), QString::fromUtf8(s.message), true);
  if (pass == Pass::Tolerated) v.Add(r.Osh("OSH27"), QStringLiteral("Не зап.ни один док."), true);
  v.Add(r.Osh("OSH22_3"), QStringLiteral("Несоот.нозол. и пола по соп.заб.№1."), true);
  v.Add(r.Osh("OSH23_3"), QStringLiteral("Несоот.нозол. и пола по соп.заб.№2."), true);
  v.Add(r.Osh("OSH24_3"), QStringLiteral("Несоот.нозол. и пола по соп.заб.№3."), true);
  v.Add(MesOutsideType(kod, f.StacType),
        QStringLiteral("Несоот.кода МЭСа типу стац.(") + kodText + QLatin1Char(')'), true);
  v.Add(!f.LicensedTwice && r.Osh("OSH32"), QStringLiteral("Отс.лиц."), true);
  v.Add(r.Osh("OSH33"), QStringLiteral("Кол-во соп.заб.прев.допуст.кол-во."), true);
  const QString nozolog = r.T("NOZOLOG");
  const QString diag = r.T("STAC_DIAG");
  if (withMes) {
    v.Add(nozolog.isEmpty(),
          QStringLiteral("Несущ.МЭС.по осн.заб.(") + kodText + QStringLiteral(")."), true);
    if (pass == Pass::Tolerated) {
      const QString d1 = Digit(kodText, 0);
      const bool level = (d1 == QLatin1String("3") && r.S("UR_R") == QLatin1String("-")) ||
                         (d1 == QLatin1String("4") && r.S("UR_G") == QLatin1String("-")) ||
                         (d1 == QLatin1String("5") && r.S("UR_K") == QLatin1String("-"));
      v.Add(
          level && r.S("OSH32") == QLatin1String("0") && !nozolog.isEmpty(),
          QStringLiteral("Несоот.ур.проф.койки МЭСу по осн.заб.(") + kodText + QStringLiteral(")."),
          false);
    }
    v.Add(Digit(kodText, 3) != r.S("VOZ") && !nozolog.isEmpty(),
          QStringLiteral("Несоот.возр.МЭСу по осн.заб.(") + kodText + QStringLiteral(", ") + diag +
              QStringLiteral(")."),
          false);
    v.Add(!nozolog.isEmpty() && !MkbInList(diag, nozolog),
          QStringLiteral("Несоот.диаг.МЭСу по осн.заб.(") + kodText + QStringLiteral(", ") + diag +
              QStringLiteral(")."),
          true);
  }
  for (int n = 1; n <= 3; ++n) {
    const QByteArray sfx = QByteArray::number(n);
    const int acc = r.I(("MES_ACC" + sfx).constData());
    const QString accomp = r.T(("ACCOMP" + sfx).constData());
    if (acc == 0 || accomp.isEmpty()) continue;
    const QString accText = QString::number(acc);
    const QString noz = r.T(("NOZOLOG" + sfx).constData());
    const QString num = QString::number(n);
    v.Add(noz.isEmpty(),
          QStringLiteral("Несущ.МЭС.по соп.заб.№") + num + QLatin1Char('(') + accText +
              QStringLiteral(")."),
          true);
    const QString d1 = Digit(accText, 0);
    const bool level =
        (d1 == QLatin1String("3") && r.S(("UR_R" + sfx).constData()) == QLatin1String("-")) ||
        (d1 == QLatin1String("4") && r.S(("UR_G" + sfx).constData()) == QLatin1String("-")) ||
        (d1 == QLatin1String("5") && r.S(("UR_K" + sfx).constData()) == QLatin1String("-"));
    v.Add(level && r.S("OSH32") == QLatin1String("0") && !noz.isEmpty(),
          QStringLiteral("Несоот.ур.проф.койки МЭСу по соп.заб.№") + num + QLatin1Char('(') +
              accText + QStringLiteral(")."),
          false);
    v.Add(Digit(accText, 3) != r.S(("VOZ" + sfx).constData()) && !noz.isEmpty(),
          QStringLiteral("Несоот.возр.МЭСу по соп.заб.№") + num + QLatin1Char('(') + accText +
              QStringLiteral(", ") + accomp + QStringLiteral(")."),
          false);
    v.Add(!noz.isEmpty() && !MkbInList(accomp, noz),
          QStringLiteral("Несоот.диаг.МЭСу по соп.заб.№") + num + QLatin1Char('(') + accText +
              QStringLiteral(", ") + accomp + QStringLiteral(")."),
          true);
  }
  v.Add(r.Osh("OSH34") && !f.StayHasVmtl1,
        QStringLiteral("Несоот.рез.леч.по стац.карте и посл.МТЛ."), true);
  v.Add(r.Osh("OSH35") && !f.StayHasVmtl1,
        QStringLiteral("Несоот.исх.леч.по стац.карте и посл.МТЛ."), true);
  v.Add(r.Osh("OSH39"), QStringLiteral("Нет кода МЭС по реанимации"), false);
  v.Add(r.Osh("OSH40"),
        QStringLiteral("Срок интенсивной терапии > срока по МЭС интенсивной терапии"), false);
  v.Add(r.T("RAION").isEmpty(), QStringLiteral("Не зап.поле RAION."), true);
  const QDate dr = r.D("DR");
  const int century = dr.isValid() ? dr.year() / 100 : 0;
  v.Add(!dr.isValid() || century == 18,
        QStringLiteral("Не введена или не корректная дата рождения."), true);
  v.Add(century != 19 && century != 20, QStringLiteral("Год рожд.долж.нач.на 19 или 20."), true);
  // The discharge year compared as a number with the report's year and the
  // year before it.
  const int outYear = r.D("DOUT_STAC").isValid() ? r.D("DOUT_STAC").year() : 0;
  v.Add(outYear != f.ReportYear && outYear != f.ReportYear - 1,
        QStringLiteral("Год даты вып.из стац.дол.быть текущ.или предыд."), true);
  struct Name {
    const char* column;
    const char* chars;
    const char* single;
  };
  static const Name kNames[] = {
      {"FAMILY", "В фамилии бол.есть недоп.символы(",
       "Фамилия не может состоять из одного символа("},
      {"NAME", "В имени бол.есть недоп.символы(", "Имя не может состоять из одного символа("},
      {"FATHER", "В отчестве бол.есть недоп.символы(",
       "Отчество не может состоять из одного символа("}};
  for (const Name& n : kNames) {
    const QString forbidden = ForbiddenNameChars(r.T(n.column));
    v.Add(!forbidden.isEmpty(), QString::fromUtf8(n.chars) + forbidden + QStringLiteral(")."),
          false);
  }
  for (const Name& n : kNames)
    v.Add(r.T(n.column).size() == 1,
          QString::fromUtf8(n.single) + r.T(n.column) + QStringLiteral(")."), false);
  v.Add(r.Osh("OSH36") && !f.SheetKind1, QStringLiteral("Несоот.дат по стац.карте и МТЛ."), true);
  const QDate start = r.D("STARTD"), finish = r.D("FINISH");
  v.Add(start.isValid() && finish.isValid() && start > finish,
        QStringLiteral("Дата окончания лечения по МТЛ меньше даты начала лечения."), true);
  v.Add(r.Osh("OSH38") && !f.SheetKind1,
        QStringLiteral("Послед.день предыдущ.МТЛ не явл.перв.днем следующ.МТЛ."), true);
  if (pass == Pass::Blocking) {
    static const Simple kErr[] = {{"ERR1", "Невозм.зн.поля NUM_KARTA"},
                                  {"ERR2", "Невозм.зн.поля NOM_MTL"},
                                  {"ERR3", "Отсут.дата нач.леч.отпуска"},
                                  {"ERR4", "Отсут.дата оконч.леч.отпуска"},
                                  {"ERR5", "Несоот.дат по МТЛ и леч.отпуску"},
                                  {"ERR7", "Несущ.шифр МКБ по осн.забол."},
                                  {"ERR8", "Не оплач.по бюдж.диаг по осн. забол."},
                                  {"ERR9", "Несоот.нозол. и возр.по осн.заб.по бюд."}};
    for (const Simple& s : kErr) v.Add(r.I(s.column) == 1, QString::fromUtf8(s.message), true);
    v.Add(f.LeaveCrossings > 0, QStringLiteral("Перекрытие сроков леч.отпуска."), true);
  }
  return v;
}

// A listed section of the act: its head, the stays listed and their sum.
class Section {
 public:
  Section(BudgetContext& c, QString head) : c_(c), head_(std::move(head)) {}

  void ListStay(const QString& nomib, const QString& family, const QString& amount,
                const QString& errors) {
    Open();
    c_.Act().WriteLine(QLatin1Char('|') + RightAligned(nomib, 15) + QLatin1Char('|') +
                       RightAligned(family, 20) + QLatin1Char('|') +
                       RightAligned(TrimText(amount), 10) + QLatin1Char('|') + Piece(errors, 0) +
                       QLatin1Char('|'));
    Continue(errors, 1);
    bool ok = false;
    const double a =
        QString(TrimText(amount)).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (ok) sum_ += a;
  }
  // A further sheet of a stay already listed.
  void ListNextSheet(const QString& errors) {
    c_.Act().WriteLine(Blank() + QStringLiteral("Следующий МТЛ:") + QString(51, QLatin1Char(' ')) +
                       QLatin1Char('|'));
    Continue(errors, 0);
  }
  // Writes the total (or `none` when nothing was listed); returns the sum.
  double Close(const QString& none) {
    if (!opened_) {
      c_.Act().WriteLine(none);
      return 0;
    }
    c_.Act().WriteLines({RuleLine(QLatin1Char('-'), 115),
                         QLatin1Char('|') + RightAligned(QStringLiteral("ИТОГО СУММА "), 36) +
                             QLatin1Char('|') + RightAligned(Plain(sum_), 10) + QLatin1Char('|'),
                         RuleLine(QLatin1Char('-'), 49)});
    return sum_;
  }
  bool Opened() const { return opened_; }

 private:
  void Open() {
    if (opened_) return;
    opened_ = true;
    const QString rule = RuleLine(QLatin1Char('-'), 115);
    c_.Act().WriteLines({head_, rule,
                         QLatin1Char('|') + RightAligned(QStringLiteral("Ист.бол."), 15) +
                             QLatin1Char('|') + RightAligned(QStringLiteral("Фамилия"), 20) +
                             QLatin1Char('|') + RightAligned(QStringLiteral("Сумма"), 10) +
                             QStringLiteral("|Ошибка:") + QString(58, QLatin1Char(' ')) +
                             QLatin1Char('|'),
                         rule});
  }
  static QString Blank() {
    return QLatin1Char('|') + QString(15, QLatin1Char(' ')) + QLatin1Char('|') +
           QString(20, QLatin1Char(' ')) + QLatin1Char('|') + QString(10, QLatin1Char(' ')) +
           QLatin1Char('|');
  }
  static QString Piece(const QString& text, int index) {
    return text.mid(index * 65, 65).leftJustified(65, QLatin1Char(' '));
  }
  void Continue(const QString& errors, int from) {
    for (int i = from; i * 65 < errors.size(); ++i)
      c_.Act().WriteLine(Blank() + Piece(errors, i) + QLatin1Char('|'));
  }

  BudgetContext& c_;
  QString head_;
  bool opened_ = false;
  double sum_ = 0;
};

// The register of treated patients, searched for a stay's amount.
class Register {
 public:
  explicit Register(BudgetContext& c) {
    if (!c.In.Receiving || !c.Excel) return;
    const QString path = c.FindWorkbook(QStringLiteral("sreestr%1.xls").arg(c.In.StacType));
    if (path.isEmpty()) return;
    sheet_ = &c.Excel->Open(path.toStdString()).ActiveSheet();
  }
  // The amount of the first matching row above the register's total row.
  QString Amount(const QString& nomib, const QString& family, int sheets, bool nonEmpty) const {
    if (!sheet_) return {};
    for (int row = 7; row <= sheet_->LastRow(); ++row) {
      const QString c2 = TrimText(Cell(row, 2));
      const QString c3 = Cell(row, 3);
      if (TrimText(c3).toUpper().contains(QStringLiteral("ИТОГО"))) break;
      if (c2.isEmpty()) continue;
      const bool match = sheets > 1
                             ? c2.toUpper().contains(QStringLiteral("ИТОГО")) && c3.contains(family)
                             : c3.contains(family) && c2 == nomib;
      if (!match) continue;
      const QString amount = Cell(row, 14);
      if (nonEmpty && TrimText(amount).isEmpty()) continue;
      return amount;
    }
    return {};
  }

 private:
  QString Cell(int row, int column) const {
    return QString::fromStdString(sheet_->Text(row, column));
  }
  workbook::Worksheet* sheet_ = nullptr;
};

FbQuery OpenChecks(BudgetContext& c) {
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(QStringLiteral("select * from SP_PROVERKI_B (:repn, :tip_stac, :lpu)"));
  q.setParam(QStringLiteral("repn"), c.St.ReportNumber);
  q.setParam(QStringLiteral("tip_stac"), c.In.StacType);
  q.setParam(QStringLiteral("lpu"), c.In.Lpu.Id);
  q.Open();
  return q;
}

int ScalarInt(BudgetContext& c, const QString& sql,
              const QList<std::pair<QString, QVariant>>& params) {
  FbQuery q(c.Svc.Db, &c.Svc.Tr);
  q.setSql(sql);
  for (const auto& [n, v] : params) q.setParam(n, v);
  q.Open();
  return q.Eof() ? 0 : q.Value(0, 0).toInt();
}

bool HasBudgetSheets(BudgetContext& c, int idIll) {
  return ScalarInt(
             c, QStringLiteral("select count(*) from mtl where (id_ill=:p_id_ill) and (oplat=2)"),
             {{QStringLiteral("p_id_ill"), idIll}}) > 0;
}

RowFacts FactsOf(BudgetContext& c, const FbQuery& q, int idIll, Pass pass) {
  RowFacts f;
  f.StacType = c.In.StacType;
  f.LicensedTwice = c.St.ProfilesLicensedTwice;
  f.ReportYear = c.In.PeriodEnd.year();
  f.SheetKind1 = ScalarInt(c,
                           QStringLiteral("select first 1 VIDMTL from MTL where REPN=:repn and "
                                          "ID_ILL=:id_ill order by ID"),
                           {{QStringLiteral("repn"), c.St.ReportNumber},
                            {QStringLiteral("id_ill"), idIll}}) == 1;
  for (int row = 0; row < q.RecordCount(); ++row)
    if (q.Value(row, QStringLiteral("ID_ILL")).toInt() == idIll &&
        q.Value(row, QStringLiteral("VMTL")).toInt() == 1)
      f.StayHasVmtl1 = true;
  if (pass == Pass::Blocking)
    f.LeaveCrossings =
        ScalarInt(c, QStringLiteral("select SUM(ERR) from CROSS_OTPUSK(:p_id_ill,:p_num_mtl)"),
                  {{QStringLiteral("p_id_ill"), idIll},
                   {QStringLiteral("p_num_mtl"), q.FieldByName(QStringLiteral("N_MTL"))}});
  return f;
}

// Removes a blocking stay with every row it has in the report.
void DeleteStay(BudgetContext& c, int idIll) {
  for (const char* table : {"OTPUSK", "MTLUSL", "OPERAT", "MTL", "STACION"}) {
    FbQuery d(c.Svc.Db, &c.Svc.Tr);
    d.setSql(QStringLiteral("delete from %1 where id_ill=:id_ill").arg(QLatin1String(table)));
    d.setParam(QStringLiteral("id_ill"), idIll);
    d.ExecSQL();
  }
}

}  // namespace

void BlockingChecks(BudgetContext& c) {
  FbQuery q = OpenChecks(c);
  c.BeginPhase(QStringLiteral("Проверка ошибок..."), q.RecordCount());
  const Register reg(c);
  Section section(
      c, QStringLiteral(
             "Обнаружены ошибки, по которым прием реестра пролеченных больных не возможен:"));
  int previous = -1;
  bool previousBlocking = false;
  QList<int> blocking;
  try {
    for (q.First(); !q.Eof(); q.Next()) {
      const CheckRow r(q);
      const int idIll = r.I("ID_ILL");
      Verdict v;
      if (HasBudgetSheets(c, idIll))
        v = Evaluate(r, FactsOf(c, q, idIll, Pass::Blocking), Pass::Blocking);
      const bool sameStay = idIll == previous;
      bool rowBlocking = v.Blocking || (sameStay && previousBlocking);
      if (rowBlocking && !v.Text.isEmpty()) {
        if (!section.Opened()) c.St.IntakeAccepted = false;
        if (sameStay && previousBlocking)
          section.ListNextSheet(v.Text);
        else
          section.ListStay(r.Nomib(), r.T("FAMILY"),
                           reg.Amount(r.Nomib(), r.T("FAMILY"), r.I("KOL"), false), v.Text);
      }
      if (!sameStay) {
        previous = idIll;
        previousBlocking = rowBlocking;
      } else if (rowBlocking) {
        previousBlocking = true;
      }
      if (rowBlocking && !blocking.contains(idIll)) blocking << idIll;
      c.Step();
    }
  } catch (const std::exception& e) {
    // The rest of the report is unchecked: the registry cannot be accepted
    // and the act must not say that no errors were found.
    c.St.IntakeAccepted = false;
    if (section.Opened()) c.St.BlockingErrorsSum = section.Close(QString());
    c.Act().WriteLine(QStringLiteral("Проверка ошибок прервана: ") + QString::fromUtf8(e.what()));
    throw;
  }
  for (int idIll : blocking) DeleteStay(c, idIll);
  c.St.BlockingErrorsSum = section.Close(QStringLiteral(
      "Ошибки, по которым прием реестра пролеченных больных не возможен не обнаружены."));
}

void ToleratedChecks(BudgetContext& c) {
  FbQuery q = OpenChecks(c);
  const Register reg(c);
  c.BeginPhase(QStringLiteral("Проверка допустимых ошибок..."), q.RecordCount());
  Section tolerated(
      c, QStringLiteral(
             "Обнаружены ошибки, которые не повлияют на прием реестра пролеченных больных:"));
  for (q.First(); !q.Eof(); q.Next()) {
    const CheckRow r(q);
    const int idIll = r.I("ID_ILL");
    if (HasBudgetSheets(c, idIll)) {
      const Verdict v = Evaluate(r, FactsOf(c, q, idIll, Pass::Tolerated), Pass::Tolerated);
      if (!v.Blocking && v.Tolerated)
        tolerated.ListStay(r.Nomib(), r.T("FAMILY"), reg.Amount(r.Nomib(), r.T("FAMILY"), 1, true),
                           v.Text);
    }
    c.Step();
  }
  c.St.NonBlockingErrorsSum = tolerated.Close(QStringLiteral(
      "Ошибки, которые не влияют на прием реестра пролеченных больных не обнаружены."));

  c.BeginPhase(QStringLiteral("Проверка допустимых ошибок..."), q.RecordCount());
  Section entry(c, QStringLiteral("Обнаружены ошибки, допущенные при формировании базы пролеченных "
                                  "больных по программе \"Квиллон\":"));
  for (q.First(); !q.Eof(); q.Next()) {
    const CheckRow r(q);
    if (HasBudgetSheets(c, r.I("ID_ILL"))) {
      QString text;
      if (r.Osh("OSH1"))
        text = QStringLiteral("Невозм.ном.МТЛ.");
      else if (r.Osh("OSH37"))
        text = QStringLiteral("Наруш.нумер.МТЛов.");
      if (!text.isEmpty())
        entry.ListStay(r.Nomib(), r.T("FAMILY"), reg.Amount(r.Nomib(), r.T("FAMILY"), 1, true),
                       text);
    }
    c.Step();
  }
  c.St.EntryErrorsSum = entry.Close(QStringLiteral(
      "Ошибки, допущенные при формировании базы пролеченных больных по программе \"Квиллон\" не "
      "обнаружены."));
  if (c.In.Receiving)
    c.Act().WriteLine(
        QStringLiteral("Всего по некорректным данным : ") +
        Plain(c.St.BlockingErrorsSum + c.St.NonBlockingErrorsSum + c.St.EntryErrorsSum));
  if (c.Excel) c.Excel->CloseAll();
  c.Svc.Tr.Commit();
}

}  // namespace kelmo
