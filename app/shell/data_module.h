// The data module `TDM` (instance `DM`): created once at start, before the
// main window, and kept until the program ends. It owns the central-segment
// connection and its transaction, the acts-database connection, the folder of
// the case-entry program, the inactive skin manager, and the answer to the
// desktop engine's input requests; it runs the domain test of start-up.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

#include "acts_connection.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "skin/skin_manager.h"
#include "system/account.h"

namespace kelmo {

// The desktop engine's input-request descriptor: what the engine asks and
// the selection (numbered from 1) the answer sets.
struct InputRequest {
  std::uint32_t requestId = 0;
  std::uint16_t entryCount = 0;
  std::uint16_t selection = 0;
  std::uint16_t save = 0;
  QString message;  // at most 128 characters
  struct Entry {
    QString keyword;  // at most 32 characters
    QString help;     // at most 128 characters
  };
  std::array<Entry, 4> entries;
};

// The engine's answer "the input has been supplied".
inline constexpr int kInputSupplied = 3;

class TDM {
 public:
  // Connection names are derived from `instanceTag` so that tests may run
  // several start-ups in one process, one after the other.
  explicit TDM(const QString& instanceTag = QStringLiteral("DM"));
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  // The creation handler: opens the desktop engine's session, installs the
  // input-request answer, runs the domain test and keeps the user name from
  // the command line (the first of at least two arguments, in the "OMS"
  // domain only). `arguments` are the program's arguments without its name.
  void DataModuleCreate(const QStringList& arguments, const AccountSource& account);

  // Whatever the engine asks: selection 3, answer 3. The user is never asked.
  // The DBF SQL layer (platform/dbfsql) calls this through the hook it offers
  // for input requests; install it there once that layer exists.
  int InputReqCallBack(InputRequest& request) const;
  bool InputRequestHandlerInstalled() const { return inputRequestHandlerInstalled_; }

  // Reconnects the central segment with exactly the three parameters
  // "user_name=SYSDBA", "password=...", "lc_ctype=WIN1251"; the database name
  // stays. True when connected afterwards; every failure (an empty name
  // among them) gives false and shows nothing.
  bool ConnectCS();

  // Results of the creation handler.
  bool InOmsDomain() const { return inOmsDomain_; }
  const QString& CmdUser() const { return cmdUser_; }

  FbDatabase CS_base;
  FbTransaction CS_tranz;
  FbQuery qCheckIdent;
  ActsConnection con1;

  // Folder of the institutions' case-entry program (key KvillonPath).
  QString KvillonPath;
  // The settings dialog changed KvillonPath: written back when the main
  // window closes.
  bool KvillonPathChanged = false;
  // The acts database is configured and in use.
  bool AktEnabled = false;

  // The skin manager, stored inactive: the program paints unskinned.
  std::unique_ptr<skin::TkSkinManagerComponent> sSkinManager;

 private:
  bool inOmsDomain_ = false;
  QString cmdUser_;
  bool inputRequestHandlerInstalled_ = false;
};

}  // namespace kelmo
