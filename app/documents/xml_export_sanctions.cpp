// The sanction elements of a case in the XML export.
#include "xml_export_sanctions.h"

#include "domain/common.h"
#include "xml_export_documents.h"
#include "xmlload/xml_tags.h"

namespace kelmo {

xmlNode* AppendSanctionElements(xmlNode* zsl, const CaseSanctionInput& c, const XmlExportInputs& in,
                                const XmlExportServices& sv) {
  QList<ActsSanction> rows;
  const bool acts = in.ActsEnabled && sv.ActsSanctions;
  if (acts) rows = sv.ActsSanctions(c.IdIll, c.DateEnd, c.Repn);
  const bool sanctioned = acts ? !rows.isEmpty() : c.SumMek > Money();
  if (!acts && sanctioned)
    sv.User.Message(QString(),
                    QStringLiteral("Выгрузка санкций: ID - ") + QString::number(c.IdIll) +
                        QStringLiteral("\rНет соединения с базой актов"),
                    RunMessageIcon::Information);
  AppendAlways(zsl, "OPLATA", sanctioned ? QStringLiteral("2") : QStringLiteral("1"));
  xmlNode* sump = AppendAlways(zsl, "SUMP");
  if (sanctioned) AppendAlways(zsl, "SANK_IT", MoneyStr(c.SumMek));
  for (const ActsSanction& s : rows) {
    xmlNode* sank = AppendAlways(zsl, xml_tag::SANK);
    AppendAlways(sank, "S_CODE", TrimText(s.Code));
    AppendAlways(sank, "S_SUM", MoneyText(s.Sum));
    // The exchange knows only the МЭК kind here, whatever the row's kind.
    AppendAlways(sank, "S_TIP", QStringLiteral("1"));
    AppendAlways(sank, "S_OSN", TrimText(s.Reason));
    AppendOptional(sank, "S_COM", TrimText(s.Comment));
    AppendAlways(sank, "S_IST", TrimText(s.Source));
  }
  return sump;
}

}  // namespace kelmo
