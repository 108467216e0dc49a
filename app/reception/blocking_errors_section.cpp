// The blocking-errors section of a pass's act.
#include "blocking_errors_section.h"

#include <utility>

namespace kelmo {
namespace {

constexpr int kNomibWidth = 15;
constexpr int kFamilyWidth = 20;
constexpr int kAmountWidth = 10;
constexpr int kTextWidth = 65;
constexpr int kRuleLength = 115;
constexpr int kShortRuleLength = 49;

QString Blank(int width) {
  return QString(width, QLatin1Char(' '));
}

QString InsurerLine() {
  return QStringLiteral("В базе присутствуют СМО, не действующие на территории Толвенской области");
}

QString RefusedHeading(Population pass) {
  return pass == Population::Local
             ? QStringLiteral(
                   "Обнаружены ошибки, по которым прием реестра пролеченных больных "
                   "по местному населению не возможен:")
             : QStringLiteral(
                   "Обнаружены ошибки, по которым прием реестра пролеченных больных "
                   "по иногороднему населению не возможен:");
}

QString SanctionHeading(Population pass) {
  return pass == Population::Local
             ? QStringLiteral(
                   "Обнаружены ошибки по местному населению, на которые были наложены санкции МЭК:")
             : QStringLiteral(
                   "Обнаружены ошибки по иногороднему населению, на которые были "
                   "наложены санкции МЭК:");
}

QString XmlOnlyHeading(Population pass) {
  return pass == Population::Local ? SanctionHeading(pass)
                                   : QStringLiteral("Обнаружены ошибки по иногороднему населению:");
}

QString NothingListedLine(Population pass) {
  return pass == Population::Local
             ? QStringLiteral(
                   "Ошибки, по которым прием реестра пролеченных больных по местному "
                   "населению не возможен не обнаружены.")
             : QStringLiteral(
                   "Ошибки, по которым прием реестра пролеченных больных по "
                   "иногороднему населению не возможен не обнаружены.");
}

}  // namespace

QString SectionSumText(double sum) {
  QString text = QString::number(sum, 'g', 15);
  if (text.contains(QLatin1Char('e'))) {
    text = QString::number(sum, 'f', 4);
    while (text.contains(QLatin1Char('.')) && text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  }
  return text;
}

BlockingErrorsSection::BlockingErrorsSection(ActFile& act, Population pass, bool fund,
                                             XmlLoadErrorList& xmlErrors, CaseRemover remover)
    : act_(act), pass_(pass), fund_(fund), xmlErrors_(xmlErrors), remover_(std::move(remover)) {}

QString BlockingErrorsSection::Head() {
  return QLatin1Char('|') + RightAligned(QStringLiteral("Ист.бол."), kNomibWidth) +
         QLatin1Char('|') + RightAligned(QStringLiteral("Фамилия"), kFamilyWidth) +
         QLatin1Char('|') + RightAligned(QStringLiteral("Сумма"), kAmountWidth) +
         QStringLiteral("|Ошибка:") + Blank(58) + QLatin1Char('|');
}

QString BlockingErrorsSection::NextSheetLine() {
  return QLatin1Char('|') + Blank(kNomibWidth) + QLatin1Char('|') + Blank(kFamilyWidth) +
         QLatin1Char('|') + Blank(kAmountWidth) + QLatin1Char('|') +
         QStringLiteral("Следующий МТЛ:") + Blank(51) + QLatin1Char('|');
}

QString BlockingErrorsSection::TotalLine(double sum) {
  return QLatin1Char('|') + RightAligned(QStringLiteral("ИТОГО СУММА "), 36) + QLatin1Char('|') +
         RightAligned(SectionSumText(sum), kAmountWidth) + QLatin1Char('|');
}

QStringList BlockingErrorsSection::TextLines(const QString& nomib, const QString& family,
                                             const QString& amount, const QString& text) {
  QStringList lines;
  QString rest = text;
  QString columns = QLatin1Char('|') + RightAligned(nomib, kNomibWidth) + QLatin1Char('|') +
                    RightAligned(family, kFamilyWidth) + QLatin1Char('|') +
                    RightAligned(amount, kAmountWidth) + QLatin1Char('|');
  const QString blankColumns = QLatin1Char('|') + Blank(kNomibWidth) + QLatin1Char('|') +
                               Blank(kFamilyWidth) + QLatin1Char('|') + Blank(kAmountWidth) +
                               QLatin1Char('|');
  for (;;) {
    lines << columns + rest.left(kTextWidth).leftJustified(kTextWidth, QLatin1Char(' ')) +
                 QLatin1Char('|');
    if (rest.size() <= kTextWidth) break;
    rest = rest.mid(kTextWidth);
    columns = blankColumns;
  }
  return lines;
}

void BlockingErrorsSection::StartSection(bool refused) {
  sectionStarted_ = true;
  act_.WriteLine(refused ? RefusedHeading(pass_) : SanctionHeading(pass_));
  act_.WriteLines(
      {RuleLine(QLatin1Char('-'), kRuleLength), Head(), RuleLine(QLatin1Char('-'), kRuleLength)});
}

bool BlockingErrorsSection::LocalFundSuppressed(const ListedRow& row) const {
  // The fund lists in the local pass only the stays that meet another one.
  return pass_ == Population::Local && fund_ && !row.SumMekMinusOne;
}

void BlockingErrorsSection::ListRow(ListedRow& row) {
  const bool sameCase = row.IdIll == lastListedCaseId_;
  if (sameCase && listedCaseRefused_) row.Refused = true;
  if (!row.ErrorText.isEmpty()) {
    const bool suppressed = LocalFundSuppressed(row);
    if (!sectionStarted_ && !suppressed) {
      if (pass_ == Population::Local && row.NoInsurer) act_.WriteLine(InsurerLine());
      StartSection(row.Refused);
    }
    if (!sameCase || !listedCaseRefused_) {
      if (!suppressed)
        act_.WriteLines(
            TextLines(row.Nomib, row.Family.trimmed(), row.AmountText.trimmed(), row.ErrorText));
      if (!row.AmountText.trimmed().isEmpty()) {
        bool ok = false;
        const double amount = row.AmountText.trimmed().toDouble(&ok);
        if (!ok)
          throw std::runtime_error(
              (QStringLiteral("Сумма случая не является числом: ") + row.AmountText).toStdString());
        sum_ += amount;
      }
    } else if (!suppressed) {
      act_.WriteLine(NextSheetLine());
      act_.WriteLines(TextLines(QString(), QString(), QString(), row.ErrorText));
    }
    // A case stays refused once one of its rows refuses it; a row that only
    // carries sanctions does not refuse the case it belongs to.
    if (sameCase) {
      listedCaseRefused_ = listedCaseRefused_ || row.Refused;
      row.Refused = listedCaseRefused_;
    } else {
      lastListedCaseId_ = row.IdIll;
      listedCaseRefused_ = row.Refused;
    }
  }
  if (row.Refused) remover_(row.IdIll);
}

double BlockingErrorsSection::End(bool lastRowRefused) {
  if (!xmlErrors_.isEmpty()) {
    if (!sectionStarted_) {
      sectionStarted_ = true;
      act_.WriteLine(lastRowRefused ? RefusedHeading(pass_) : XmlOnlyHeading(pass_));
      act_.WriteLines({RuleLine(QLatin1Char('-'), kRuleLength), Head(),
                       RuleLine(QLatin1Char('-'), kRuleLength)});
    }
    for (const XmlLoadError& error : xmlErrors_)
      act_.WriteLine(QLatin1Char('|') + RightAligned(error.Nomib, kNomibWidth) + QLatin1Char('|') +
                     RightAligned(error.Family, kFamilyWidth) + QLatin1Char('|') +
                     Blank(kAmountWidth) + QLatin1Char('|') + RightAligned(error.Text, kTextWidth) +
                     QLatin1Char('|'));
    xmlErrors_.clear();
  }
  if (sectionStarted_)
    act_.WriteLines({RuleLine(QLatin1Char('-'), kRuleLength), TotalLine(sum_),
                     RuleLine(QLatin1Char('-'), kShortRuleLength)});
  else
    act_.WriteLine(NothingListedLine(pass_));
  const double total = sum_;
  sum_ = 0;
  sectionStarted_ = false;
  return total;
}

}  // namespace kelmo
