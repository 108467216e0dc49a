// The reference files of a package: employees, departments, holdings.
#include "reference_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <algorithm>
#include <functional>

#include "domain/package_files.h"
#include "filenames/file_lookup.h"
#include "firebird/fb_database.h"
#include "firebird/fb_statement.h"
#include "reference_elements.h"

namespace kelmo {
namespace {

const QString kEmployeeInsert = QStringLiteral(
    "insert into vrachi (emp_id, spec_code, md_code, surname, name, patr_name, birth_dt, "
    "start_date, end_date, mcod, category_code)");

const QString kDepartmentInsert =
    QStringLiteral("insert into departament (dep_code, name, from_dt, to_dt, mcod, type, address)");

// Ends the step of a file after its failure was shown.
struct StepEnded {};

// A date parameter of a DD.MM.YYYY text: null when empty; a text that is no
// date fails the statement it is bound to.
QVariant DateParam(const QString& text) {
  if (text.isEmpty()) return {};
  const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
  if (!date.isValid()) throw XmlValueError(("'" + text + "' is not a valid date").toStdString());
  return QDateTime(date, QTime(0, 0));
}

QVariant NullIfEmpty(const QString& text) {
  return text.isEmpty() ? QVariant() : QVariant(text);
}

// Stored values as the comparisons read them: a null number is 0, a null
// text or date the empty text; dates as DD.MM.YYYY.
int StoredInt(const QVariant& v) {
  return v.isNull() ? 0 : v.toInt();
}
QString StoredText(const QVariant& v) {
  return v.isNull() ? QString() : v.toString();
}
QString StoredDate(const QVariant& v) {
  return v.isNull() ? QString() : v.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy"));
}

// The key of an employee: its EMP_ID as a number.
qlonglong EmployeeKey(const QString& empId) {
  bool ok = false;
  const qlonglong key = empId.toLongLong(&ok);
  if (!ok) throw XmlValueError(("'" + empId + "' is not a valid integer value").toStdString());
  return key;
}

// An insert's values as the message of a refused insert shows them.
QString ShownValues(const QVariantList& values) {
  QStringList shown;
  for (const QVariant& v : values) {
    if (v.isNull())
      shown << QStringLiteral("null");
    else if (v.typeId() == QMetaType::QString)
      shown << QLatin1Char('\'') + v.toString() + QLatin1Char('\'');
    else
      shown << v.toString();
  }
  return QStringLiteral("values(") + shown.join(QStringLiteral(", ")) + QLatin1Char(')');
}

class ReferenceLoader {
 public:
  ReferenceLoader(const XmlLoadInputs& in, const XmlLoadServices& sv, const TagReader& tags,
                  int adresat)
      : in_(in), sv_(sv), tags_(tags), adresat_(adresat) {}

  void Run();

 private:
  // The number of elements of the name: the whole file is read once before
  // anything of it is written, so a damaged file writes nothing.
  int Count(const QString& path, const char* name) const;
  // Streams the elements of the name into `store`, with the progress of
  // `caption`. A failure at an element is shown (`messageHead`, the
  // element's key, a line break and its position from 0) and ends the walk:
  // false. A refused file raises.
  bool Walk(const QString& path, const char* name, const QString& caption,
            const QString& messageHead, const std::function<void(const XmlNode&)>& store);
  void StoreEmployee(const Employee& e);
  void StoreDepartment(const Department& d);
  void Holdings(const QString& path);
  // Copies the file into the registry folder's "temp" unless a file of that
  // name is there, then deletes it. Failures are passed over.
  void MoveToTemp(const QString& path, const QString& name) const;
  void Show(const QString& text) const { sv_.User.Message(QString(), text, RunMessageIcon::None); }

  const XmlLoadInputs& in_;
  const XmlLoadServices& sv_;
  const TagReader& tags_;
  const int adresat_;
  QString temp_;
};

int ReferenceLoader::Count(const QString& path, const char* name) const {
  int count = 0;
  StreamXmlFile(path, {name}, [&count](XmlNode&&) { ++count; });
  return count;
}

void ReferenceLoader::MoveToTemp(const QString& path, const QString& name) const {
  const QString target = temp_ + QLatin1Char('/') + name;
  // Only the package's own regular file is copied, never through a link.
  const QFileInfo source(path);
  if (!QFileInfo::exists(target) && source.isFile() && !source.isSymLink())
    QFile::copy(path, target);
  QFile::remove(path);
}

void ReferenceLoader::Run() {
  const PackageLists& lists = sv_.Lists;
  if (lists.SenderList.isEmpty()) return;
  const rSender& sender = lists.SenderList.first();
  if (adresat_ < 0 || adresat_ >= sender.Adresats.size()) return;
  const rAdresat& a = sender.Adresats[adresat_];
  if (a.Files.isEmpty()) return;
  temp_ = in_.RegistryFolder + QStringLiteral("/temp");
  // A formation keeps the insurer export's folder of the addressee.
  if (!in_.Receiving) {
    QString word;
    if (a.Kind == PartyKind::Fund)
      word = QStringLiteral("Иногородние");
    else if (const Insurer* insurer = InsurerOfPackageCode(a.Code))
      word = QString::number(insurer->WhoDetailCode);
    if (!word.isEmpty()) QDir().mkpath(temp_ + QLatin1Char('/') + word);
  }
  const QString folder = temp_ + QLatin1Char('/') + a.Files.first().SourceName;
  const QString n = QString::number(sender.Number);
  const QString employees = QStringLiteral("EMP_LIST_") + n + QStringLiteral(".XML");
  const QString departments = QStringLiteral("DEP_LIST_") + n + QStringLiteral(".XML");
  const QString holdings = QStringLiteral("HOLDING.XML");
  if (const QString path = FindFileNoCase(folder, employees); !path.isEmpty()) {
    // The file moves only when every employee was read.
    if (Walk(path, "EMPLOYEE", QStringLiteral("Загрузка справочника врачей..."), QString(),
             [this](const XmlNode& node) { StoreEmployee(ReadEmployee(node, tags_)); }))
      MoveToTemp(path, employees);
  }
  if (const QString path = FindFileNoCase(folder, departments); !path.isEmpty()) {
    Walk(path, "DEPARTMENT", QStringLiteral("Загрузка справочника отделений.."),
         QStringLiteral("dep\r"),
         [this](const XmlNode& node) { StoreDepartment(ReadDepartment(node, tags_)); });
    MoveToTemp(path, departments);
  }
  if (const QString path = FindFileNoCase(folder, holdings); !path.isEmpty()) {
    Holdings(path);
    MoveToTemp(path, holdings);
  }
  DeleteFirstPackageXml(lists, folder, adresat_);
  // The folder stays when a file is left in it.
  QDir().rmdir(folder);
}

bool ReferenceLoader::Walk(const QString& path, const char* name, const QString& caption,
                           const QString& messageHead,
                           const std::function<void(const XmlNode&)>& store) {
  sv_.User.BeginPhase(caption, Count(path, name));
  int position = 0;
  QString current;
  try {
    StreamXmlFile(path, {name}, [&](XmlNode&& node) {
      current = KeyTextOf(node);
      store(node);
      sv_.User.StepRecord();
      ++position;
    });
  } catch (const XmlFileRefused&) {
    throw;
  } catch (const std::exception&) {
    Show(messageHead + current + QLatin1Char('\r') + QString::number(position));
    return false;
  }
  return true;
}

void ReferenceLoader::StoreEmployee(const Employee& e) {
  const qlonglong key = EmployeeKey(e.EmpId);
  FbStatement find(sv_.Db, &sv_.Tr);
  find.Prepare(QStringLiteral(
      "select v.emp_id, v.md_code, v.surname, v.name, v.patr_name, v.mcod, v.spec_code, "
      "v.category_code, v.birth_dt, v.start_date from vrachi v where v.emp_id=:id"));
  find.Set(QStringLiteral("id"), key);
  find.Exec();
  if (find.Value(QStringLiteral("EMP_ID")).isNull()) {
    const QVariantList values{key,
                              e.SpecCode,
                              e.MdCode,
                              e.Surname,
                              e.Name,
                              e.PatrName,
                              NullIfEmpty(e.BirthDt),
                              NullIfEmpty(e.StartDate),
                              NullIfEmpty(e.EndDate),
                              e.Mcod,
                              e.CategoryCode};
    // A refused insert is shown and the employees go on.
    try {
      FbStatement insert(sv_.Db, &sv_.Tr);
      insert.Prepare(InsertWithValues(kEmployeeInsert));
      const char* columns[] = {"emp_id",   "spec_code", "md_code",      "surname",
                               "name",     "patr_name", "birth_dt",     "start_date",
                               "end_date", "mcod",      "category_code"};
      for (int i = 0; i < 11; ++i) {
        const bool date = i >= 6 && i <= 8;
        insert.Set(QString::fromLatin1(columns[i]),
                   date ? DateParam(StoredText(values[i])) : values[i]);
      }
      insert.Exec();
    } catch (const std::exception& error) {
      Show(kEmployeeInsert + QLatin1Char('\r') + ShownValues(values) + QLatin1Char('\r') +
           QString::fromUtf8(error.what()));
    }
    return;
  }
  auto stored = [&find](const char* column) { return find.Value(QString::fromLatin1(column)); };
  const bool same =
      StoredInt(stored("MD_CODE")) == e.MdCode && StoredText(stored("SURNAME")) == e.Surname &&
      StoredText(stored("NAME")) == e.Name && StoredText(stored("PATR_NAME")) == e.PatrName &&
      StoredInt(stored("MCOD")) == e.Mcod && StoredInt(stored("SPEC_CODE")) == e.SpecCode &&
      StoredInt(stored("CATEGORY_CODE")) == e.CategoryCode &&
      StoredDate(stored("BIRTH_DT")) == e.BirthDt &&
      StoredDate(stored("START_DATE")) == e.StartDate;
  // An employee who left is written every time a package brings him.
  if (e.EndDate.isEmpty() && same) return;
  FbStatement update(sv_.Db, &sv_.Tr);
  update.Prepare(QStringLiteral(
      "update vrachi v set v.end_date=:end_date, v.spec_code=:spec_code, v.MD_CODE=:md_code, "
      "v.SURNAME=:surname, v.NAME=:name, v.PATR_NAME=:patr_name, v.MCOD=:mcod, "
      "v.CATEGORY_CODE=:category_code, v.BIRTH_DT=:birth_dt, v.START_DATE=:start_date "
      "where v.emp_id=:id"));
  update.Set(QStringLiteral("end_date"), DateParam(e.EndDate));
  update.Set(QStringLiteral("spec_code"), e.SpecCodeOnUpdate);
  update.Set(QStringLiteral("md_code"), e.MdCode);
  update.Set(QStringLiteral("surname"), e.Surname);
  update.Set(QStringLiteral("name"), e.Name);
  update.Set(QStringLiteral("patr_name"), e.PatrName);
  update.Set(QStringLiteral("mcod"), e.Mcod);
  update.Set(QStringLiteral("category_code"), e.CategoryCode);
  update.Set(QStringLiteral("birth_dt"), DateParam(e.BirthDt));
  update.Set(QStringLiteral("start_date"), DateParam(e.StartDate));
  update.Set(QStringLiteral("id"), key);
  update.Exec();
}

void ReferenceLoader::StoreDepartment(const Department& d) {
  FbStatement find(sv_.Db, &sv_.Tr);
  find.Prepare(
      QStringLiteral("select d.dep_code, d.name, d.from_dt, d.to_dt, d.mcod, d.type, d.address "
                     "from departament d where d.dep_code=:dep"));
  find.Set(QStringLiteral("dep"), d.DepCode);
  find.Exec();
  if (find.Value(QStringLiteral("DEP_CODE")).isNull()) {
    FbStatement insert(sv_.Db, &sv_.Tr);
    insert.Prepare(InsertWithValues(kDepartmentInsert));
    insert.Set(QStringLiteral("dep_code"), d.DepCode);
    insert.Set(QStringLiteral("name"), d.Name);
    insert.Set(QStringLiteral("from_dt"), DateParam(d.FromDt));
    insert.Set(QStringLiteral("to_dt"), DateParam(d.ToDt));
    insert.Set(QStringLiteral("mcod"), d.Mcod);
    insert.Set(QStringLiteral("type"), d.Type);
    insert.Set(QStringLiteral("address"), NullIfEmpty(d.Address));
    insert.Exec();
  } else {
    auto stored = [&find](const char* column) { return find.Value(QString::fromLatin1(column)); };
    // Dates are compared for presence only: two given dates never differ.
    const bool changed =
        stored("FROM_DT").isNull() != d.FromDt.isEmpty() ||
        stored("TO_DT").isNull() != d.ToDt.isEmpty() || StoredInt(stored("MCOD")) != d.Mcod ||
        StoredInt(stored("TYPE")) != d.Type || StoredText(stored("NAME")) != d.Name ||
        StoredText(stored("ADDRESS")) != d.Address;
    if (changed) {
      FbStatement update(sv_.Db, &sv_.Tr);
      update.Prepare(QStringLiteral(
          "update departament d set d.name=:name, d.from_dt=:from_dt, d.to_dt=:to_dt, "
          "d.mcod=:mcod, d.type=:type, d.address=:adr\rwhere d.dep_code=:dep"));
      update.Set(QStringLiteral("name"), d.Name);
      update.Set(QStringLiteral("from_dt"), DateParam(d.FromDt));
      update.Set(QStringLiteral("to_dt"), DateParam(d.ToDt));
      update.Set(QStringLiteral("mcod"), d.Mcod);
      update.Set(QStringLiteral("type"), d.Type);
      update.Set(QStringLiteral("adr"), d.Address);
      update.Set(QStringLiteral("dep"), d.DepCode);
      update.Exec();
    }
  }
  // A department without profiles keeps its stored ones.
  if (d.Profiles.empty()) return;
  std::vector<int> stored;
  FbStatement profiles(sv_.Db, &sv_.Tr);
  profiles.Prepare(QStringLiteral("select pl.profile from profile_list pl where pl.dep_code=:dep"));
  profiles.Set(QStringLiteral("dep"), d.DepCode);
  profiles.ExecRows([&stored](const QSqlQuery& row) { stored.push_back(row.value(0).toInt()); });
  FbStatement insert(sv_.Db, &sv_.Tr);
  insert.Prepare(
      QStringLiteral("insert into profile_list (profile, dep_code) values(:profile, :dep)"));
  for (const int profile : d.Profiles) {
    if (std::find(stored.begin(), stored.end(), profile) != stored.end()) continue;
    insert.Set(QStringLiteral("profile"), profile);
    insert.Set(QStringLiteral("dep"), d.DepCode);
    insert.Exec();
  }
  FbStatement remove(sv_.Db, &sv_.Tr);
  remove.Prepare(
      QStringLiteral("delete from profile_list p where p.dep_code=:dep and p.profile=:profile"));
  for (const int profile : stored) {
    if (std::find(d.Profiles.begin(), d.Profiles.end(), profile) != d.Profiles.end()) continue;
    remove.Set(QStringLiteral("dep"), d.DepCode);
    remove.Set(QStringLiteral("profile"), profile);
    remove.Exec();
  }
}

void ReferenceLoader::Holdings(const QString& path) {
  Count(path, "HOLDING");
  FbStatement drugs(sv_.Db, &sv_.Tr);
  drugs.Prepare(
      QStringLiteral("UPDATE OR INSERT INTO SPR_LEKAR_TRN (ID, NAME_RUS, NAME_LATIN, INN_ID)\r"
                     "VALUES (:ID, :NAME_RUS, :NAME_LATIN, :INN_ID)\rMATCHING (ID)"));
  StreamXmlFile(path, {"HOLDING"}, [&drugs](XmlNode&& node) {
    const Holding h = ReadHolding(node);
    drugs.Set(QStringLiteral("ID"), h.Id);
    drugs.Set(QStringLiteral("NAME_RUS"), h.NameRus);
    drugs.Set(QStringLiteral("NAME_LATIN"), h.NameLatin);
    drugs.Set(QStringLiteral("INN_ID"), h.InnId);
    drugs.Exec();
  });
}

}  // namespace

void LoadReferenceFiles(const XmlLoadInputs& in, const XmlLoadServices& services,
                        const TagReader& tags, int adresat) {
  ReferenceLoader(in, services, tags, adresat).Run();
}

}  // namespace kelmo
