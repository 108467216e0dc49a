// The tables of the domain codes.
#include "domain_codes.h"

namespace kelmo {

namespace {

struct PayKindRow {
  PayKind kind;
  const char* listText;
  const char* folderWord;  // empty: not taken by the reception run
};

constexpr PayKindRow kPayKinds[] = {
    {PayKind::Oms, "ОМС", "ОМС"},
    {PayKind::Budget, "бюджет", ""},
    {PayKind::PaidServices, "платные услуги", ""},
    {PayKind::Dms, "ДМС", ""},
    {PayKind::Other, "другое", ""},
    {PayKind::Vmp, "ВМП", "ВМП"},
    {PayKind::Rehabilitation, "Реабилитация", "Реабилитация"},
};

const PayKindRow* RowOf(PayKind kind) {
  for (const PayKindRow& row : kPayKinds)
    if (row.kind == kind) return &row;
  return nullptr;
}

struct StacTypeRow {
  const char* actPrefix;
  const char* headLine;
  const char* folderWord;
  const char* careKind;
};

constexpr StacTypeRow kStacTypes[] = {
    {"Кр", "Тип стационара: круглосуточный.", "Стационар", "стационарная медицинская помощь"},
    {"ДнПол", "Тип стационара: дневной при поликлинике.", "СтДнПол",
     "дневной стационар при поликлинике"},
    {"Дом", "Тип стационара: на дому.", "СтДом", "дневной стационар на дому"},
    {"ДнСт", "Тип стационара: дневной при стационаре.", "СтДнСт",
     "дневной стационар при стационаре"},
};

const StacTypeRow& RowOf(StacType type) {
  const int n = Number(type);
  return kStacTypes[(n >= 1 && n <= 4 ? n : 1) - 1];
}

constexpr std::array<Insurer, 2> kInsurers{{
    {2778, 45001, "S45001", 1, "Бервинта", "Бервинта-Кредо", "Бервинта", "Бервинта-Кредо",
     "Бервинта Кредо"},
    {2779, 45002, "S45002", 2, "ЗНТ", "Зентария медицина", "Тальви", "ЗНТ-Медицина",
     "ООО \"Зентариямедицина\""},
}};

constexpr HomeRegion kHomeRegion{"T45", 45, "ТТФОМС", "ТФОМС (иногородние)", "1137"};

}  // namespace

QString PassWord(Population population) {
  return population == Population::Local ? QStringLiteral("(мест.)") : QStringLiteral("(иног.)");
}

PayKind PayKindOfCode(int code) {
  return code >= 1 && code <= 7 ? static_cast<PayKind>(code) : PayKind::None;
}

int ListIndexOf(PayKind kind) {
  return Code(kind) - 1;
}

PayKind PayKindOfListIndex(int index) {
  return PayKindOfCode(index + 1);
}

QStringList PayKindListTexts() {
  QStringList texts;
  for (const PayKindRow& row : kPayKinds) texts.append(QString::fromUtf8(row.listText));
  return texts;
}

QString PayFolderWordOf(PayKind kind) {
  const PayKindRow* row = RowOf(kind);
  return row ? QString::fromUtf8(row->folderWord) : QString();
}

bool TakenByReceptionRun(PayKind kind) {
  return !PayFolderWordOf(kind).isEmpty();
}

QString ActPrefix(StacType type) {
  return QString::fromUtf8(RowOf(type).actPrefix);
}

QString StacTypeLine(StacType type) {
  return QString::fromUtf8(RowOf(type).headLine);
}

QString StacFolderWordOf(StacType type) {
  return QString::fromUtf8(RowOf(type).folderWord);
}

QString CareKindOf(StacType type) {
  return QString::fromUtf8(RowOf(type).careKind);
}

QString DayUnitTextOf(StacType type) {
  return type == StacType::RoundTheClock ? QStringLiteral("к/дн.") : QStringLiteral("п/дн.");
}

const std::array<Insurer, 2>& Insurers() {
  return kInsurers;
}

const Insurer* InsurerOfWhoDetail(int whoDetailCode) {
  for (const Insurer& insurer : kInsurers)
    if (insurer.WhoDetailCode == whoDetailCode) return &insurer;
  return nullptr;
}

const Insurer* InsurerOfPackageCode(const QString& packageCode) {
  for (const Insurer& insurer : kInsurers)
    if (packageCode == QLatin1String(insurer.PackageCode)) return &insurer;
  return nullptr;
}

const Insurer* InsurerOfPolicyCode(const QString& policyCode) {
  const QString code = policyCode.trimmed();
  for (const Insurer& insurer : kInsurers)
    if (code == QString::number(insurer.WhoDetailCode)) return &insurer;
  return nullptr;
}

const HomeRegion& TheHomeRegion() {
  return kHomeRegion;
}

int WhoDetail::OwnSmoCode() const {
  const Insurer* insurer = InsurerEntry();
  return insurer ? insurer->ExchangeCode : 0;
}

}  // namespace kelmo
