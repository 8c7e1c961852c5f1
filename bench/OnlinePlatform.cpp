#include "OnlinePlatform.h"

#include <string>

#include "configfile.h"
#include "loginsession.h"
#include "platformurls.h"

OnlinePlatform::OnlinePlatform(const QStringList& serials) {
  std::string tables =
      R"({"users":[{"user_tel":"13800000000","password":"demo123","user_id":1001,"token":"tok-abc123"}],"devices":[)";
  for (int i = 0; i < serials.size(); ++i)
    tables += std::string(i == 0 ? "" : ",") + R"({"sn_code":")" + serials[i].toStdString() + R"(","dev_state":1})";
  tables += "]}";
  standin_.data().loadJson(tables);
  standin_.start();
  g_serverAddress = QString::fromStdString(standin_.address());
  buildPlatformUrls();
  g_session = {"13800000000", "true", "login ok", 1001, "tok-abc123"};
  g_intervalTime = QStringLiteral("3600000");
  qputenv("ZELVO_REGISTRY_DIR", registry_.path().toLocal8Bit());
}
