// The current user's account name and domain. Windows keeps them in the
// access token; here the account comes from the POSIX account, whose name a
// domain member (winbind, sssd) gives as "DOMAIN\user" or "user@domain", and
// the domain otherwise from the environment variable USERDOMAIN.
#pragma once

#include <QString>

namespace kelmo {

struct AccountSource {
  QString posixName;   // the login name of the process's user
  QString userDomain;  // $USERDOMAIN
};

// The sources of the running process. Cost: one getpwuid.
AccountSource CurrentAccountSource();

// Fills the account name and domain from the source. The sizes are in
// characters: on entry the room in each buffer, on return the length written
// (or needed, when it did not fit). Gives false, and writes nothing, when
// either does not fit or when there is no account.
bool TokenAccount(const AccountSource& source, QString& name, int& nameSize, QString& domain,
                  int& domainSize);

}  // namespace kelmo
