// The elements of the reference files.
#include "reference_elements.h"

namespace kelmo {
namespace {

// A date text: DD.MM.YYYY when the element holds a date, empty when absent.
QString DateTextOf(const XmlNode& parent, const char* name, const TagReader& tags) {
  const QVariant v = tags.DateText(parent, name);
  return v.isNull() ? QString() : v.toString();
}

QVariant NullIfEmpty(const QString& text) {
  return text.isEmpty() ? QVariant() : QVariant(text);
}

}  // namespace

QString KeyTextOf(const XmlNode& element) {
  const XmlNode* key =
      element.First(element.Name == QLatin1String("DEPARTMENT") ? "DEP_CODE" : "EMP_ID");
  return key == nullptr ? QString() : TrimmedXml(key->FullText());
}

Employee ReadEmployee(const XmlNode& employee, const TagReader& tags) {
  Employee e;
  e.EmpId = tags.Text(employee, "EMP_ID");
  e.SpecCode = tags.Int(employee, "SPEC_CODE");
  // The update writes the code given, or null for an absent one.
  const QString codeText = tags.Text(employee, "SPEC_CODE", QStringLiteral("SPEC_CODE"));
  e.SpecCodeOnUpdate = codeText == QLatin1String("null") ? QVariant() : QVariant(e.SpecCode);
  e.MdCode = tags.Int(employee, "MD_CODE");
  e.Surname = tags.Text(employee, "SURNAME");
  e.Name = tags.Text(employee, "NAME");
  e.PatrName = tags.Text(employee, "PATR_NAME");
  e.BirthDt = DateTextOf(employee, "BIRTH_DT", tags);
  e.StartDate = DateTextOf(employee, "START_DATE", tags);
  e.EndDate = DateTextOf(employee, "END_DATE", tags);
  e.Mcod = tags.Int(employee, "MCOD");
  e.CategoryCode = tags.Int(employee, "CATEGORY_CODE");
  return e;
}

Department ReadDepartment(const XmlNode& department, const TagReader& tags) {
  Department d;
  d.DepCode = tags.Int(department, "DEP_CODE");
  d.Name = tags.Text(department, "NAME");
  d.FromDt = DateTextOf(department, "FROM_DT", tags);
  d.ToDt = DateTextOf(department, "TO_DT", tags);
  d.Mcod = tags.Int(department, "MCOD");
  d.Type = tags.Int(department, "TYPE");
  d.Address = tags.Text(department, "ADDRESS");
  for (const XmlNode* profile : RequiredChild(department, "PROFILE_LIST").All("PROFILE")) {
    const QString text = tags.TextOf(*profile);
    d.Profiles.push_back(text.isEmpty() ? 0 : XmlInteger(text));
  }
  return d;
}

Holding ReadHolding(const XmlNode& holding) {
  Holding h;
  h.Id = XmlInteger(RequiredText(holding, "ID"));
  h.NameRus = RequiredText(holding, "NAME");
  h.NameLatin = NullIfEmpty(RequiredText(holding, "LATIN_NAME"));
  h.InnId = NullIfEmpty(RequiredText(holding, "INN_ID"));
  return h;
}

}  // namespace kelmo
