// The head and foot of the documents (see document_header.h).
#include "document_header.h"

#include "firebird/fb_database.h"
#include "firebird/fb_query.h"

namespace kelmo {

namespace {

void Put(workbook::Worksheet& sheet, int row, int column, const QString& text) {
  sheet.SetText(row, column, text.toStdString());
}
void Put(workbook::Worksheet& sheet, const workbook::CellRef& cell, const QString& text) {
  if (cell.row > 0) Put(sheet, cell.row, cell.column, text);
}

}  // namespace

InstitutionRequisites ReadInstitutionRequisites(const FbQuery& row) {
  auto text = [&row](const char* name) {
    return row.FieldByName(QString::fromLatin1(name)).toString();
  };
  InstitutionRequisites r;
  r.Name = text("NAME");
  r.FName = text("FNAME");
  r.Adr = text("ADR");
  r.PhoneGlv = text("PHONE_GLV");
  r.PC = text("P_C");
  r.Bank = text("BANK");
  r.Inn = text("INN");
  r.Kpp = text("KPP");
  r.BikBank = text("BIKBANK");
  r.GlVr = text("GL_VR");
  r.GlBx = text("GL_BX");
  r.Mcod = text("MCOD");
  r.Attach = row.FieldByName(QStringLiteral("ATTACH")).toInt();
  r.ModPc = text("MOD_PC");
  r.ModRecPay = text("MOD_REC_PAY");
  r.ModBank = text("MOD_BANK");
  r.ModBikBank = text("MOD_BIKBANK");
  r.ModKbk = text("MOD_KBK");
  return r;
}

FundRequisites ReadFundRequisites(FbDatabase& db, FbTransaction* tr, int id) {
  FbQuery q(db, tr);
  q.setSql(
      QStringLiteral("select FNAME, INDX, ADDRESS, PHONE, P_C, BANK, INN, KPP, BIKBANK from DORER "
                     "order by iif(ID = :id, 0, 1), ID rows 1"));
  q.setParam(QStringLiteral("id"), id);
  q.Open();
  FundRequisites f;
  if (q.RecordCount() == 0) return f;
  auto text = [&q](const char* name) {
    return TrimText(q.FieldByName(QString::fromLatin1(name)).toString());
  };
  f.FName = text("FNAME");
  f.Indx = text("INDX");
  f.Address = text("ADDRESS");
  f.Phone = text("PHONE");
  f.PC = text("P_C");
  f.Bank = text("BANK");
  f.Inn = text("INN");
  f.Kpp = text("KPP");
  f.BikBank = text("BIKBANK");
  return f;
}

QString SignatureShortName(const QString& fullName) {
  const QString name = TrimText(fullName);
  if (name.contains(QLatin1Char('.'))) return name;
  const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty()) return QString();
  if (words.size() == 1) return words[0];
  QString s = words[0] + QLatin1Char(' ');
  for (qsizetype i = 1; i < words.size() && i < 3; ++i) s += words[i].left(1) + QLatin1Char('.');
  return s;
}

QString CareKindOfStacType(int stacType) {
  return CareKindOf(StacTypeOfNumber(stacType));
}

QString PeriodDayText(const QDate& date) {
  return ShortDateText(date).left(10);
}

QString PeriodText(const QString& lead, const QDate& first, const QDate& last) {
  return lead + PeriodDayText(first) + QStringLiteral(" по ") + PeriodDayText(last);
}

Money MoneyOfField(const QVariant& value) {
  if (value.isNull()) return Money();
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return Money::FromDouble(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      return Money::FromRoubles(value.toLongLong());
    default:
      break;
  }
  if (const auto exact = Money::FromString(value.toString().trimmed())) return *exact;
  return Money::FromDouble(value.toDouble());
}

void WriteRequisitesHeader(workbook::Worksheet& sheet, const InstitutionRequisites& lpu,
                           const FundRequisites& fund, const HeaderTexts& texts) {
  Put(sheet, 3, 2,
      TrimText(lpu.FName) + QStringLiteral(" (") + texts.CareKind + QLatin1Char(')') +
          texts.InstitutionTail);
  Put(sheet, 4, 2, TrimText(lpu.Adr) + QStringLiteral(", тел. ") + TrimText(lpu.PhoneGlv));
  Put(sheet, 5, 2, TrimText(lpu.PC) + QLatin1Char(' ') + TrimText(lpu.Bank));
  Put(sheet, 6, 2, TrimText(lpu.Inn) + texts.InnSeparator + TrimText(lpu.Kpp));
  if (texts.WithBik) Put(sheet, 7, 2, TrimText(lpu.BikBank));
  Put(sheet, 9, 2, texts.FundTitle);
  Put(sheet, 10, 2, fund.Address + QStringLiteral(", тел. ") + fund.Phone);
  Put(sheet, 11, 2, fund.PC + QLatin1Char(' ') + fund.Bank);
  Put(sheet, 12, 2, fund.Inn + texts.InnSeparator + fund.Kpp);
  Put(sheet, 13, 2, fund.BikBank);
}

QString InstitutionAccountLines(const InstitutionRequisites& lpu) {
  return QLatin1Char('\n') + TrimText(lpu.ModRecPay) + QStringLiteral("\nКБК ") +
         TrimText(lpu.ModKbk);
}

void WriteSignatureBlock(workbook::Worksheet& sheet, const SignatureCells& cells,
                         const InstitutionRequisites& lpu) {
  auto name = [&cells](const QString& full) {
    const QString s = SignatureShortName(full);
    return cells.Slashes ? QLatin1Char('/') + s + QLatin1Char('/') : s;
  };
  Put(sheet, cells.HeadCaption, QStringLiteral("Руководитель"));
  Put(sheet, cells.HeadName, name(lpu.GlVr));
  Put(sheet, cells.AccountantCaption, QStringLiteral("Главный бухгалтер"));
  Put(sheet, cells.AccountantName, name(lpu.GlBx));
  Put(sheet, cells.Stamp, QStringLiteral("М.П."));
}

}  // namespace kelmo
