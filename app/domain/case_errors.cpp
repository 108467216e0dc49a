// Case errors, the run log and the version banner (see case_errors.h).
#include "case_errors.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace kelmo {

namespace {

const QString kRule = QString(52, '-');

QString ProgramPart(const QString& version) {
  const int slash = version.indexOf('/');
  return slash < 0 ? QString() : version.left(slash);
}

QString DatabasePart(const QString& version) {
  const int slash = version.indexOf('/');
  return slash < 0 ? version : version.mid(slash + 1);
}

}  // namespace

void AddCaseError(QList<rMEK>& errors, const QString& prefix, const QString& text, int basisCode,
                  int caseId, QString& result, int kind) {
  rMEK e;
  e.CaseId = caseId;
  e.BasisCode = static_cast<std::int16_t>(basisCode);
  e.Text = text;
  e.Kind = static_cast<std::uint8_t>(kind);
  errors.append(e);
  result = prefix + text;
}

void RunLog::AddLine(const QString& text, bool clearFirst) {
  if (clearFirst || !lines_) lines_ = QStringList();
  lines_->append(text);
}

QString LogFileName(const QDateTime& now) {
  return QStringLiteral("log_file_") +
         now.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")).replace(':', '_') +
         QStringLiteral(".txt");
}

QString RunLog::Save(const QString& folder, const QString& exeFolder, const QDateTime& now) {
  if (!lines_) return {};
  const QStringList lines = *lines_;
  lines_.reset();
  const QString dir = folder.isEmpty() ? exeFolder : folder;
  const QString path = QDir(dir).filePath(LogFileName(now));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return {};
  for (const QString& line : lines) file.write((line + '\n').toUtf8());
  return file.error() == QFileDevice::NoError ? path : QString();
}

QStringList VersionBannerLines(const QString& currentExprVer, const QString& packageExprVer,
                               bool receiving) {
  QStringList block{kRule, QStringLiteral("Текущие рассчёты осуществлялись на версиях: "),
                    QStringLiteral("Программы Kelmo: ") + ProgramPart(currentExprVer),
                    QStringLiteral("Базы данных: ") + DatabasePart(currentExprVer), kRule};
  if (receiving) {
    const QStringList package{
        QStringLiteral("Версии, при которых рассчитывался принимаемый файл: "),
        QStringLiteral("Программы Kelmo: ") + ProgramPart(packageExprVer),
        QStringLiteral("Базы данных: ") + DatabasePart(packageExprVer), kRule};
    for (int i = package.size() - 1; i >= 0; --i) block.insert(1, package[i]);
  }
  return block;
}

void WriteVersionBanner(const QString& path, int lineIndex, const QString& currentExprVer,
                        const QString& packageExprVer, bool receiving) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly))
    throw std::runtime_error(("Не удалось прочитать файл " + path).toStdString());
  const QByteArray bytes = in.readAll();
  in.close();
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  const bool isUtf8 = !utf8.hasError();
  if (!isUtf8) text = QStringDecoder("windows-1251").decode(bytes);
  const QString eol =
      text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
  const bool endsWithEol = text.endsWith('\n');
  QStringList lines = text.split(eol);
  if (endsWithEol) lines.removeLast();
  const int at = std::clamp(lineIndex, 0, static_cast<int>(lines.size()));
  const QStringList block = VersionBannerLines(currentExprVer, packageExprVer, receiving);
  for (int i = block.size() - 1; i >= 0; --i) lines.insert(at, block[i]);
  const QString joined = lines.join(eol) + eol;
  const QByteArray out =
      isUtf8 ? joined.toUtf8() : QByteArray(QStringEncoder("windows-1251").encode(joined));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size())
    throw std::runtime_error(("Не удалось записать файл " + path).toStdString());
}

}  // namespace kelmo
