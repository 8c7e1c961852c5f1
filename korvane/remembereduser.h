#pragma once

#include <QString>

// One user of usr.ini, with the password in plain text.
struct RememberedUser {
  QString name;
  QString password;
  int rememberUserName = 0;
  int rememberPassword = 0;
  int autoLogin = 0;
};
