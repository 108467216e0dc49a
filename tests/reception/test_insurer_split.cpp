// scratch
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "reception_harness.h"
#include "reception_fixture.h"
#include "firebird/fb_query.h"
#include "domain/package_lists.h"

using namespace kelmo;
using namespace kelmo::test;

TEST(InsurerSplit, Scratch) {
  ReceptionHarness h;
  RegistryCase a;
  a.polis = "2778";
  RegistryCase b;
  b.id = 2;
  b.nomib = "102";
  b.family = "ПЕТРОВ";
  b.polis = "2779";
  b.in = QDate(2024, 3, 5);
  b.out = QDate(2024, 3, 15);
  RegistryCase c;
  c.id = 3;
  c.nomib = "103";
  c.family = "СИДОРОВА";
  c.name = "АННА";
  c.father = "ПЕТРОВНА";
  c.polis = "2778";
  c.in = QDate(2024, 3, 20);
  c.out = QDate(2024, 3, 31);
  RegistryCase d = c;
  d.id = 4;
  d.nomib = "104";
  d.family = "ГОСТЕВА";
  d.polObl = "4500";
  d.polis = "66004";
  BuildRegistry(h.registry, {a, b, c, d});
  h.Choose(3, 2024, 1);
  h.Press();
  QDirIterator it(h.registry, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) printf("%s\n", it.next().toUtf8().constData());
  for (const auto& c : h.script.CallsOf(ScriptedInteraction::Kind::Message)) printf("MSG %s\n", c.text.toUtf8().constData());
  FbQuery q(h.W().ibdb);
  q.setSql("select s.id_ill, s.polis, s.repn, s.dopfond, (select sum(m.ocncost) from mtl m where m.id_ill=s.id_ill and m.oplat=1), (select list(m.profil_bed) from mtl m where m.id_ill=s.id_ill), s.onco_sluch, r.uploaded from stacion s join reports r on r.repn=s.repn");
  q.Open();
  for (int i = 0; i < q.RecordCount(); ++i) { QStringList v; for (int c = 0; c < 8; ++c) v << q.Value(i, c).toString(); printf("ROW %s\n", v.join("|").toUtf8().constData()); }
  const auto& l = ThePackageLists();
  for (const auto& r : l.ReportLists[Population::Local]) printf("REP %d %d\n", r.Repn, r.TipStac);
  for (const auto& s : l.SenderList) { printf("SND %s %d\n", s.Code.toUtf8().constData(), s.Number); for (const auto& a : s.Adresats) { printf(" ADR %s kind %d num %d files %d\n", a.Code.toUtf8().constData(), int(a.Kind), a.Number, int(a.Files.size())); for (const auto& f: a.Files) printf("  F %s %s %s %s\n", f.LName.toUtf8().constData(), f.HName.toUtf8().constData(), f.LcName.toUtf8().constData(), f.CName.toUtf8().constData()); } }
  printf("xml %d\n", int(TheReceptionState().XmlPackageMode));
  for (const QString& l : ReadActLines(TheRunState().ProtocolPath)) printf("ACT %s\n", qPrintable(l));
}
