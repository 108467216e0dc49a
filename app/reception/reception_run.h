// ReceiveRegistry: the reception (mode "Принять") or formation
// ("Сформировать") of one institution's monthly registry for the payment
// kinds "ОМС", "ВМП" and "Реабилитация". It writes the act of primary
// technological control into the registry folder, runs the preliminary
// checks, then opens the local and the out-of-region pass, writes the act
// summary, and a formation ends with the split by insurer
// (insurer_split.h).
//
// What it reads: its inputs (reception_inputs.h, read from the main window
// once by the reception button), the registry database and the run
// variables (reception_state.h). What it writes: the act, ProtocolPath and
// the run variables; a DBF registry is read from a working copy in a
// temporary folder, which the run removes when it ends. It talks to the user
// only through its RunUser (run_user.h): messages, progress, minimising and
// restoring the main window, the protocol viewer.
//
// Errors: a stop of the checks ends the run normally (the act says why and
// the protocol viewer shows it). An error it does not catch (a table that
// cannot be read, the registry database gone away) is noted in the act
// ("Работа прервана из-за ошибки: " + the message), the act is closed and
// the error propagates to the caller.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

#include "domain/reception_state.h"
#include "domain/run_user.h"
#include "firebird/fb_database.h"
#include "reception_inputs.h"

namespace kelmo {

class ActsConnection;

// What the run works with besides its inputs.
struct ReceptionServices {
  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;
  // The current date and time (tests fix it).
  std::function<QDateTime()> Now;
  // The acts database, when it is configured and connected; null otherwise.
  ActsConnection* Acts = nullptr;
  // The central segment, for the insurance identification of out-of-region
  // cases; null or not connected: no identification.
  FbDatabase* Central = nullptr;
};

void ReceiveRegistry(const ReceptionInputs& inputs, const ReceptionServices& services);

// The time as the system's long time format writes it ("7:05:00").
QString LongTimeText(const QTime& time);
// The four digits of the reception time in the act's name, from the long
// time text: "09:42:10" gives "0942", "7:05:00" gives "0705".
QString ReceptionTimeTextOf(const QString& longTime);

// The lines of the stop block: an empty line, the reasons, an empty line,
// the 65 "=", an empty line and "Подпись экономиста:".
QStringList StopBlock(const QStringList& reasons);

// The act of a package run out of "temp": copied to `folder` under its short
// name, or, when that name is taken, under the first free name "<base>_N.txt";
// the temporary act is removed only after the copy succeeded. Returns the
// copy's path, or empty when no copy could be made (the act stays in temp).
QString CopyActOutOfTemp(const QString& tempAct, const QString& folder, const QString& shortName);

}  // namespace kelmo
