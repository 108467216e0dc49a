// The person file of a package pair.
#include "package_persons.h"

namespace kelmo {
namespace {

// A converted date of a person: invalid when absent or blank.
QDate PersonDate(const TagReader& tags, const XmlNode& pers, const char* name) {
  const QString text = tags.Text(pers, name);
  return text.isEmpty() ? QDate() : XmlDate(text);
}

QString Joined(const XmlNode& pers, const char* name) {
  QString joined;
  for (const XmlNode* d : pers.All(name)) joined += TrimmedXml(d->FullText());
  return joined;
}

void ReadHeader(const XmlNode& zglv, PersonFile& file) {
  const XmlNode* format = zglv.First("DATA_FORMAT");
  file.Source = format != nullptr && format->FullText() == QLatin1String("DBF")
                    ? RegistrySourceKind::XmlFromDbf
                    : RegistrySourceKind::XmlPackage;
  file.MainFileName = RequiredText(zglv, "FILENAME1");
}

PersonFile Read(const std::function<void(const XmlTake&)>& stream, const TagReader& tags,
                const std::function<void(const QString&)>& current) {
  PersonFile file;
  bool header = false;
  stream([&](XmlNode&& node) {
    if (node.Name == QLatin1String(xml_tag::ZGLV)) {
      if (!header) ReadHeader(node, file);
      header = true;
      return;
    }
    file.Persons.push_back(ReadPerson(node, tags));
    const rPers& read = file.Persons.back();
    if (!file.Index.contains(read.IdPac))
      file.Index.insert(read.IdPac, static_cast<qsizetype>(file.Persons.size()) - 1);
    if (current) current(read.Fam);
  });
  if (!header) throw XmlValueError("Нет обязательного элемента ZGLV в файле персональных данных");
  return file;
}

}  // namespace

const rPers* PersonFile::Find(const QString& idPac) const {
  const auto it = Index.constFind(idPac);
  return it == Index.constEnd() ? nullptr : &Persons[static_cast<std::size_t>(*it)];
}

QString NormalisedDocumentSeries(const QString& docType, const QString& series) {
  if (docType != QLatin1String("14")) return series;
  QString s = series;
  if (s.size() == 4 && s[2] != QLatin1Char(' ')) s.insert(2, QLatin1Char(' '));
  if (s.size() >= 6 && s[3] == QLatin1Char(' ')) s.remove(3, 1);
  return s;
}

rPers ReadPerson(const XmlNode& pers, const TagReader& tags) {
  rPers p;
  p.IdPac = TrimmedXml(RequiredText(pers, "ID_PAC"));
  p.Fam = tags.Text(pers, "FAM");
  p.Im = tags.Text(pers, "IM");
  p.Ot = tags.Text(pers, "OT");
  p.W = tags.Int(pers, "W");
  p.Dr = PersonDate(tags, pers, "DR");
  p.FamP = tags.Text(pers, "FAM_P");
  p.ImP = tags.Text(pers, "IM_P");
  p.OtP = tags.Text(pers, "OT_P");
  p.DrP = PersonDate(tags, pers, "DR_P");
  p.WP = tags.Int(pers, "W_P");
  p.Snils = tags.Text(pers, "SNILS");
  p.DocType = tags.Text(pers, "DOCTYPE");
  p.DocSer = NormalisedDocumentSeries(p.DocType, tags.Text(pers, "DOCSER"));
  p.DocNum = tags.Text(pers, "DOCNUM");
  p.OkatoG = tags.Text(pers, "OKATOG");
  p.KladrG = tags.Text(pers, "KLADRG");
  p.OkatoP = tags.Text(pers, "OKATOP");
  p.Mr = tags.Text(pers, "MR");
  p.Dost = Joined(pers, "DOST");
  p.DostP = Joined(pers, "DOST_P");
  return p;
}

PersonFile ReadPersonFile(const QString& path, const TagReader& tags,
                          const std::function<void(const QString&)>& current) {
  return Read(
      [&](const XmlTake& take) {
        StreamXmlFile(path, {xml_tag::ZGLV, xml_tag::PERS}, take);
      },
      tags, current);
}

PersonFile ReadPersonBytes(const QByteArray& bytes, const QString& name, const TagReader& tags) {
  return Read(
      [&](const XmlTake& take) {
        StreamXmlBytes(bytes, name, {xml_tag::ZGLV, xml_tag::PERS}, take);
      },
      tags, {});
}

}  // namespace kelmo
