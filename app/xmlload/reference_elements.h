// The elements of a package's reference files as the loading reads them:
// an employee of "EMP_LIST_<n>.XML", a department of "DEP_LIST_<n>.XML" with
// its bed profiles, a medicine trade name of "HOLDING.XML". Pure: no
// database; the rows they become are written by reference_files.h.
//
// Dates are the DD.MM.YYYY texts of ConvertXmlDate, empty when the element
// is absent or blank. A number that is not one raises XmlValueError, as does
// a missing required element.
#pragma once

#include <QString>
#include <QVariant>
#include <vector>

#include "xml_tags.h"
#include "xml_tree.h"

namespace kelmo {

// One EMPLOYEE.
struct Employee {
  // The trimmed text; the key (a number, checked where it is used).
  QString EmpId;
  // 0 when absent on insert; null when absent on update.
  int SpecCode = 0;
  QVariant SpecCodeOnUpdate;
  int MdCode = 0;
  QString Surname, Name, PatrName;
  QString BirthDt, StartDate, EndDate;
  int Mcod = 0;
  int CategoryCode = 0;
};

// One DEPARTMENT; its PROFILE_LIST is required.
struct Department {
  int DepCode = 0;
  QString Name;
  QString FromDt, ToDt;
  int Mcod = 0;
  int Type = 0;
  QString Address;
  // Every PROFILE of the list, in document order.
  std::vector<int> Profiles;
};

// One HOLDING; its four children are required and taken as written.
struct Holding {
  int Id = 0;
  QString NameRus;
  // Null when the text is empty.
  QVariant NameLatin;
  QVariant InnId;
};

// The key of an employee (EMP_ID) or a department (DEP_CODE), trimmed, as
// the messages name it (empty when absent): read before the rest, so that a
// failure names the element.
QString KeyTextOf(const XmlNode& element);

Employee ReadEmployee(const XmlNode& employee, const TagReader& tags);
Department ReadDepartment(const XmlNode& department, const TagReader& tags);

Holding ReadHolding(const XmlNode& holding);

}  // namespace kelmo
