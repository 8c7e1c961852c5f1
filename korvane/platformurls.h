#pragma once

#include <QString>

// The platform's address, "host" or "host:port", and the request addresses
// built from it.
extern QString g_serverAddress;

extern QString g_loginCodeUrl;      // + generated code: the verification-code image
extern QString g_loginUrl;          // login form
extern QString g_logoutUrl;         // not requested
extern QString g_registerUrl;       // opened in the browser
extern QString g_findPassUrl;       // opened in the browser
extern QString g_heartUrl;          // heartbeat
extern QString g_devListUrl;        // device list
extern QString g_realtimeConfUrl;   // + "/" + serial: variables of one device
extern QString g_realtimeDataUrl;   // not requested

// Rebuilds the nine request addresses from g_serverAddress, inserted as it is.
void buildPlatformUrls();
