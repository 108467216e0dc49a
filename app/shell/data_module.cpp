// The data module: connections of the central segment and the acts
// database, the domain test, the engine's input requests.
#include "data_module.h"

#include "domain/common.h"
#include "firebird/database_name.h"
#include "skinwnd/auto_skin_hook.h"

namespace kelmo {

TDM::TDM(const QString& instanceTag)
    : CS_base(instanceTag + QStringLiteral(".CS_base")),
      CS_tranz(CS_base),
      qCheckIdent(CS_base, &CS_tranz),
      con1(instanceTag + QStringLiteral(".con1")) {
  // As the data module stores it: not active, so reading it loads nothing.
  // Switched on, its thread hook skins the forms, dialogs and menus.
  skinwnd::StartAutoSkinning();
  sSkinManager = std::make_unique<skin::TkSkinManagerComponent>();
  sSkinManager->BeginLoading();
  sSkinManager->SetActive(false);
  sSkinManager->Loaded();
}

void TDM::DataModuleCreate(const QStringList& arguments, const AccountSource& account) {
  // The desktop engine needs no session of its own here: the DBF SQL layer
  // opens each folder when a query names it.
  inputRequestHandlerInstalled_ = true;
  inOmsDomain_ = IsOMSDomain(account);
  if (inOmsDomain_) cmdUser_ = arguments.size() >= 2 ? arguments.first() : QString();
}

int TDM::InputReqCallBack(InputRequest& request) const {
  request.selection = 3;
  return kInputSupplied;
}

bool TDM::ConnectCS() {
  try {
    CS_base.Close();
    CS_base.setParams({QStringLiteral("user_name=SYSDBA"),
                       QStringLiteral("password=") + DefaultFirebirdPassword(),
                       QStringLiteral("lc_ctype=WIN1251")});
    CS_base.Open();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace kelmo
