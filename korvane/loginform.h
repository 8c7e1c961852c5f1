#pragma once

#include <QString>

// The login form as last sent, kept so the program can log in again without
// asking.
struct LoginForm {
  QString user_tel;   // user name as typed
  QString password;   // in plain text
  QString check_num;  // verification code the user typed
  QString code_num;   // generated code the code image was fetched with
};

extern LoginForm g_loginForm;
