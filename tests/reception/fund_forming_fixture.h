// What the tests of the fund's formation share: an institution's formation
// that leaves its reports in the registry database, the fund's marks that
// accept them, and the program with the party the fund.
#pragma once

#include <gtest/gtest.h>

#include <QList>
#include <functional>

#include "domain/reception_state.h"
#include "firebird/fb_query.h"
#include "insurer_split_fixture.h"

namespace kelmo::test {

// The fund's marks accept these reports alone (the test program's database
// holds the reports of its earlier tests too).
inline void FundAcceptsOnly(ReceptionHarness& h, const QList<int>& reports) {
  FbQuery q(h.W().ibdb, &h.W().ibtr);
  q.setSql("update reports set see1=0, see2=0, uploaded=0");
  q.ExecSQL();
  q.setSql("update reports set see1=1, see2=1 where repn=:repn");
  for (const int repn : reports) {
    q.setParam("repn", repn);
    q.ExecSQL();
  }
  h.W().ibtr.Commit();
}

// The institution `lpu` forms the registry `fill` writes into its registry
// folder (March 2024); `repn` gets the formation's report numbers (0 for a
// pass without cases). With `accept`, the fund's marks then accept this
// formation's reports alone.
inline void InstitutionForms(const std::function<void(ReceptionHarness&)>& fill,
                             PerPopulation<int>& repn, int lpu = 1, bool accept = false) {
  ReceptionHarness institution;
  fill(institution);
  institution.Choose(3, 2024, 1);
  institution.SelectLpu(lpu);
  institution.Press();
  ASSERT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  repn = TheReceptionState().ReportNumber;
  if (accept)
    FundAcceptsOnly(institution, {repn[Population::Local], repn[Population::OutOfRegion]});
}

inline void InstitutionFormsAndFundAccepts(const std::function<void(ReceptionHarness&)>& fill,
                                           PerPopulation<int>& repn) {
  InstitutionForms(fill, repn, 1, true);
}

// The program with the party the fund (kelmo.ini's "Who_Detail=2" and the
// further `options`), set to form March 2024 for institution 1.
struct FundHarness : ReceptionHarness {
  explicit FundHarness(const QString& options = QString())
      : ReceptionHarness(RegistryDatabaseFile::Path(), QString(),
                         "Who_Detail=2" + (options.isEmpty() ? QString() : "\r\n" + options)) {
    Choose(3, 2024, 1);
    SelectLpu(1);
  }
};

}  // namespace kelmo::test
