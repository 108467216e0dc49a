// Account and domain of the process's user.
#include "account.h"

#include <pwd.h>
#include <unistd.h>

namespace kelmo {

AccountSource CurrentAccountSource() {
  AccountSource source;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_name != nullptr)
    source.posixName = QString::fromLocal8Bit(entry->pw_name);
  source.userDomain = QString::fromLocal8Bit(qgetenv("USERDOMAIN"));
  return source;
}

bool TokenAccount(const AccountSource& source, QString& name, int& nameSize, QString& domain,
                  int& domainSize) {
  if (source.posixName.isEmpty()) return false;
  QString accountName = source.posixName;
  QString accountDomain = source.userDomain;
  if (const qsizetype slash = accountName.indexOf(QLatin1Char('\\')); slash >= 0) {
    accountDomain = accountName.left(slash);
    accountName = accountName.mid(slash + 1);
  } else if (const qsizetype at = accountName.lastIndexOf(QLatin1Char('@')); at >= 0) {
    accountDomain = accountName.mid(at + 1);
    accountName = accountName.left(at);
  }
  const bool fits = accountName.size() <= nameSize && accountDomain.size() <= domainSize;
  nameSize = static_cast<int>(accountName.size());
  domainSize = static_cast<int>(accountDomain.size());
  if (!fits) return false;
  name = accountName;
  domain = accountDomain;
  return true;
}

}  // namespace kelmo
