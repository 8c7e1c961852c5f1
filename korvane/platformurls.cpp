#include "platformurls.h"

QString g_serverAddress;

QString g_loginCodeUrl;
QString g_loginUrl;
QString g_logoutUrl;
QString g_registerUrl;
QString g_findPassUrl;
QString g_heartUrl;
QString g_devListUrl;
QString g_realtimeConfUrl;
QString g_realtimeDataUrl;

void buildPlatformUrls() {
  const auto url = [](const char* path) { return QStringLiteral("http://") + g_serverAddress + QLatin1String(path); };
  g_loginCodeUrl = url("/ZirOrurodaz/login/");
  g_loginUrl = url("/ZirOrurodaz/login");
  g_logoutUrl = url("/ZirOrurodaz/logout");
  g_registerUrl = url("/nolva/register");
  g_findPassUrl = url("/nolva/findPass");
  g_heartUrl = url("/ZirOrurodaz/heart");
  g_devListUrl = url("/ZirOrurodaz/dev");
  g_realtimeConfUrl = url("/ZirOrurodaz/rDev/config");
  g_realtimeDataUrl = url("/ZirOrurodaz/rDev/data");
}
