// The program's domain codes, each a type with its one table: the population
// of a pass, the payment kind (and the payment list's order), the registry
// source, the in-patient type, the kind of a package party, the party this
// installation works for (WhoDetail), the insurers and the home region.
// Every conversion of such a code into a number, a text or a folder word is
// here; other files compare the types, never bare numbers.
// Plain values and tables; nothing here costs more than a look-up in a table
// of a few rows.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>

namespace kelmo {

// --- The population of a pass ---

// A run makes two passes: the home region's insured, then the others.
enum class Population : int { Local = 0, OutOfRegion = 1 };

// Both populations in the order the passes run.
inline constexpr std::array<Population, 2> kPopulations{Population::Local, Population::OutOfRegion};

constexpr std::size_t IndexOf(Population population) {
  return static_cast<std::size_t>(population);
}

// The pass's word in progress texts and stop lines: "(мест.)" or "(иног.)".
QString PassWord(Population population);

// One value for each population, indexed by it (`pass[Population::Local]`),
// so that no code keeps twin names picked by a condition.
template <class T>
class PerPopulation {
 public:
  T& operator[](Population population) { return items_[IndexOf(population)]; }
  const T& operator[](Population population) const { return items_[IndexOf(population)]; }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::array<T, 2> items_{};
};

// --- The payment kind ---

// The payment kinds in the order of the main window's payment list; the
// number is the one the registry tables store (field oplat). None: the
// data-file dialog's answer chose no kind.
enum class PayKind : int {
  None = 0,
  Oms = 1,
  Budget = 2,
  PaidServices = 3,
  Dms = 4,
  Other = 5,
  Vmp = 6,
  Rehabilitation = 7,
};

// The number stored in the registry tables.
constexpr int Code(PayKind kind) {
  return static_cast<int>(kind);
}
// The kind of a stored number; numbers outside 1..7 give None.
PayKind PayKindOfCode(int code);
// The payment list's item index of a kind (its number minus one), and back.
int ListIndexOf(PayKind kind);
PayKind PayKindOfListIndex(int index);
// The payment list's items in order: "ОМС", "бюджет", "платные услуги",
// "ДМС", "другое", "ВМП", "Реабилитация".
QStringList PayKindListTexts();
// The folder word of a kind the reception run takes: "ОМС", "ВМП",
// "Реабилитация"; empty for every other kind.
QString PayFolderWordOf(PayKind kind);
// The kinds the reception run takes: ОМС, ВМП and Реабилитация.
bool TakenByReceptionRun(PayKind kind);

// --- The registry source ---

// What the registry of a run is: a folder of DBF tables, an XML package
// converted from DBF tables, or an XML package.
enum class RegistrySourceKind : int { DbfFolder = 0, XmlFromDbf = 1, XmlPackage = 2 };

// --- The in-patient type ---

// The in-patient type N of the main window's group (its index plus one) and
// of the registry tables (field tip_stac).
enum class StacType : int {
  RoundTheClock = 1,
  DayAtPolyclinic = 2,
  AtHome = 3,
  DayAtHospital = 4,
};

constexpr int Number(StacType type) {
  return static_cast<int>(type);
}
// The type of a number as the window or a table gives it. The number is kept
// as it is (a registry statement binds it unchanged); the texts below take a
// number outside 1..4 as round-the-clock.
constexpr StacType StacTypeOfNumber(int number) {
  return static_cast<StacType>(number);
}
// The act's name prefix: "Кр", "ДнПол", "Дом", "ДнСт".
QString ActPrefix(StacType type);
// The act's head line: "Тип стационара: круглосуточный." ...
QString StacTypeLine(StacType type);
// The split-report folder word of a formation: "Стационар", "СтДнПол",
// "СтДом", "СтДнСт".
QString StacFolderWordOf(StacType type);
// The care kind the documents write after the institution's name:
// "стационарная медицинская помощь", "дневной стационар при поликлинике" ...
QString CareKindOf(StacType type);
// The unit of bed days in the act: "к/дн." round-the-clock, else "п/дн.".
QString DayUnitTextOf(StacType type);

// --- The parties of a package ---

// The kind of a package's sender or addressee (`rSender::Kind`,
// `rAdresat::Kind`).
enum class PartyKind : std::uint8_t {
  Unknown = 0,
  Institution = 1,
  Insurer = 2,
  Fund = 3,
};

// --- The insurers ---

// One insurer of the region: its Who_Detail code in kelmo.ini, its exchange
// code (SMO code of the packages and the registry database), its party code
// in package names, its number among the insurers, its names as a package's
// sender and addressee, the folder word of its split-report folder, its
// name in the act summary's table of sums by insurer and its name in the
// progress window while a formation writes its documents ("Выборка для
// <name>...").
struct Insurer {
  int WhoDetailCode;
  int ExchangeCode;
  const char* PackageCode;
  int Number;
  const char* SenderName;
  const char* AddresseeName;
  const char* SplitFolderWord;
  const char* SummaryName;
  const char* SplitStepName;
};

// The region's insurers, in their order of number.
const std::array<Insurer, 2>& Insurers();
// The insurer of a Who_Detail code, of a package party code ("S45001"), or
// null.
const Insurer* InsurerOfWhoDetail(int whoDetailCode);
const Insurer* InsurerOfPackageCode(const QString& packageCode);
// The insurer whose Who_Detail code a case's policy code (STACION.POLIS)
// holds, compared as trimmed text ("2778"), or null: a code that is empty,
// not a number or of another insurer names none of the region's.
const Insurer* InsurerOfPolicyCode(const QString& policyCode);

// --- The home region ---

// The region the fund serves: its fund's party code in package names and its
// exchange code, the fund's names as a package's sender and addressee, and
// the region code of a home-region policy (field pol_obl).
struct HomeRegion {
  const char* FundPackageCode;
  int FundExchangeCode;
  const char* FundSenderName;
  const char* FundAddresseeName;
  const char* PolicyRegionCode;
};

const HomeRegion& TheHomeRegion();

// --- The party of this installation ---

// Who_Detail of kelmo.ini: 1 an institution, 2 the fund, any other number an
// insurer (2778 and 2779 the region's two).
class WhoDetail {
 public:
  constexpr WhoDetail() = default;
  constexpr explicit WhoDetail(int code) : code_(code) {}
  constexpr int Code() const { return code_; }
  constexpr bool IsInstitution() const { return code_ == 1; }
  constexpr bool IsFund() const { return code_ == 2; }
  // The fund or an insurer: every number from 2 up; these form from the
  // registry database.
  constexpr bool IsFundOrInsurer() const { return code_ >= 2; }
  // An institution or the fund: every number up to 2.
  constexpr bool IsInstitutionOrFund() const { return code_ <= 2; }
  // The insurer's entry for 2778 and 2779, else null.
  const Insurer* InsurerEntry() const { return InsurerOfWhoDetail(code_); }
  // The insurer's exchange code (45001, 45002), else 0.
  int OwnSmoCode() const;
  friend constexpr bool operator==(WhoDetail, WhoDetail) = default;

 private:
  int code_ = 1;
};

}  // namespace kelmo
