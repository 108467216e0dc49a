// Fuzz target: one input read as a person file, as a main file and as a
// reference file of a package. Refusals and value errors are the expected outcomes; a crash,
// a leak or a hang is a fault.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "xmlload/case_rules.h"
#include "xmlload/package_persons.h"
#include "xmlload/reference_elements.h"
#include "xmlload/xml_tags.h"
#include "xmlload/xml_tree.h"

namespace {

using namespace kelmo;

template <typename F>
void Quietly(F&& f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

// What the loader reads of one case without the database.
void ReadCase(const XmlNode& zap, const TagReader& tags) {
  if (const XmlNode* pacient = zap.First("PACIENT")) {
    Quietly([&] { tags.Int(*pacient, "VPOLIS"); });
    Quietly([&] { tags.IntOrNull(*pacient, "VNOV_D"); });
    tags.Text(*pacient, "SMO_OK");
  }
  if (const XmlNode* zsl = zap.First("Z_SL")) {
    Quietly([&] { InPatientTypeOfConditions(tags.Int(*zsl, "USL_OK")); });
    Quietly([&] { PayKindOfCareForm(tags.Int(*zsl, "VIDPOM")); });
    Quietly([&] { XmlDate(tags.Text(*zsl, "DATE_Z_2")); });
    Quietly([&] { tags.Num(*zsl, "SANK_IT"); });
    AdmissionDiagnosis(zsl->First("DS0"));
  }
  QString problem;
  for (const auto& sheet : OrderedSheets(zap, problem)) {
    const XmlNode* sl = sheet.second;
    Quietly([&] { SubCasePayKind(*sl, tags); });
    SheetCriteria(sl->First("KSG_KPG"));
    SheetDiagnosis(tags.Text(*sl, "DS1"));
    Quietly([&] { CareLevelOfCode(tags.Text(*sl, "CODE_MES1")); });
    if (const XmlNode* onk = sl->First("ONK_SL")) NodeHasText(*onk);
    for (const XmlNode* usl : sl->All("USL")) Quietly([&] { tags.Num(*usl, "KOL_USL"); });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const TagReader tags;
  Quietly([&] { ReadPersonBytes(bytes, QStringLiteral("L.xml"), tags); });
  Quietly([&] {
    StreamXmlBytes(bytes, QStringLiteral("H.xml"), {"ZGLV", "ZAP"}, [&](XmlNode&& node) {
      if (node.Name == QLatin1String("ZAP")) ReadCase(node, tags);
    });
  });
  Quietly([&] {
    StreamXmlBytes(bytes, QStringLiteral("EMP_LIST_1.XML"), {"EMPLOYEE", "DEPARTMENT", "HOLDING"},
                   [&](XmlNode&& node) {
                     KeyTextOf(node);
                     if (node.Name == QLatin1String("EMPLOYEE"))
                       Quietly([&] { ReadEmployee(node, tags); });
                     else if (node.Name == QLatin1String("DEPARTMENT"))
                       Quietly([&] { ReadDepartment(node, tags); });
                     else
                       Quietly([&] { ReadHolding(node); });
                   });
  });
  return 0;
}
