#pragma once

#include <QString>

// The result of the last login. Every authenticated request and WebSocket
// message carries its user_id and token.
struct LoginSession {
  QString user;     // the form's user name, filled in by the login flow
  QString success;  // "meta"."success" of the login reply; "true" when it succeeded
  QString message;  // "meta"."message", the platform's error code on a refusal
  qint32 user_id = 0;
  QString token;
};

extern LoginSession g_session;
