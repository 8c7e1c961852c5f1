#include <gtest/gtest.h>

#include "platformurls.h"

TEST(PlatformUrlsTest, EveryTemplateTakesTheServerAddressAsItIs) {
  const struct {
    const QString& url;
    const char* path;
  } templates[] = {
      {g_loginCodeUrl, "/ZirOrurodaz/login/"}, {g_loginUrl, "/ZirOrurodaz/login"},
      {g_logoutUrl, "/ZirOrurodaz/logout"},    {g_registerUrl, "/nolva/register"},
      {g_findPassUrl, "/nolva/findPass"},      {g_heartUrl, "/ZirOrurodaz/heart"},
      {g_devListUrl, "/ZirOrurodaz/dev"},      {g_realtimeConfUrl, "/ZirOrurodaz/rDev/config"},
      {g_realtimeDataUrl, "/ZirOrurodaz/rDev/data"},
  };
  for (const char* address : {"192.0.2.1:8080", "platform.example"}) {
    g_serverAddress = address;
    buildPlatformUrls();
    for (const auto& t : templates) EXPECT_EQ(t.url, QStringLiteral("http://%1%2").arg(address, t.path));
  }
}
