// The person file of a package pair: its header (the source of the registry
// and the name of the main file) and its persons, read whole before the
// cases of the main file (a case finds its person by ID_PAC).
#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <vector>

#include "domain/domain_codes.h"
#include "xml_tags.h"

namespace kelmo {

// One PERS element.
struct rPers {
  QString IdPac;
  QString Fam, Im, Ot;
  int W = 0;
  // Invalid when the element is absent or blank.
  QDate Dr;
  // The representative.
  QString FamP, ImP, OtP;
  QDate DrP;
  int WP = 0;
  QString Snils, DocType, DocSer, DocNum, OkatoG, KladrG, OkatoP, Mr;
  // The DOST (DOST_P) texts joined without separator.
  QString Dost, DostP;
};

struct PersonFile {
  // "DBF" in DATA_FORMAT: a registry converted from DBF tables.
  RegistrySourceKind Source = RegistrySourceKind::XmlPackage;
  // FILENAME1: the main file's name without ".xml".
  QString MainFileName;
  std::vector<rPers> Persons;

  // The first person whose IdPac equals the key; null when none.
  const rPers* Find(const QString& idPac) const;

  // Position of each key's first person.
  QHash<QString, qsizetype> Index;
};

// The series of an identity document as stored: for document type "14" a
// four-character series whose third character is not a blank gains a blank
// before it, and then a series of six or more characters whose fourth
// character is a blank loses it; other types stay as they are.
QString NormalisedDocumentSeries(const QString& docType, const QString& series);

// Reads one PERS element. Raises XmlValueError (a missing ID_PAC, a date or
// integer that is none).
rPers ReadPerson(const XmlNode& pers, const TagReader& tags);

// Reads the person file. `current` is called with each person's surname as
// it is read, so that an error names the person being read. Raises
// XmlFileRefused for a file that cannot be read (naming it), XmlValueError
// as above and for a missing FILENAME1.
PersonFile ReadPersonFile(const QString& path, const TagReader& tags,
                          const std::function<void(const QString&)>& current = {});

// The same over bytes (the fuzz target).
PersonFile ReadPersonBytes(const QByteArray& bytes, const QString& name, const TagReader& tags);

}  // namespace kelmo
