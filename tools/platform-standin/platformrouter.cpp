#include "platformrouter.h"

#include "codeimage.h"
#include "replybodies.h"
#include "urlcoding.h"

namespace {

constexpr std::string_view codeImagePrefix = "/ZirOrurodaz/login/";
constexpr std::string_view configPrefix = "/ZirOrurodaz/rDev/config/";
constexpr const char* jsonType = "application/json;charset=UTF-8";
constexpr const char* htmlType = "text/html;charset=UTF-8";

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string_view pathOf(std::string_view target) { return target.substr(0, target.find('?')); }

std::string page(const char* title) {
  return std::string("<!DOCTYPE html><html><head><title>") + title + "</title></head><body><h1>" + title +
         "</h1></body></html>";
}

}  // namespace

PlatformRouter::PlatformRouter(const PlatformData& data) : data_(data) {}

StandinEndpoint PlatformRouter::endpointOf(std::string_view path) {
  if (path == "/ZirOrurodaz/login") return StandinEndpoint::Login;
  if (startsWith(path, codeImagePrefix)) return StandinEndpoint::CodeImage;
  if (path == "/ZirOrurodaz/heart") return StandinEndpoint::Heart;
  if (path == "/ZirOrurodaz/dev") return StandinEndpoint::DeviceList;
  if (startsWith(path, configPrefix)) return StandinEndpoint::DeviceConfig;
  if (path == "/nolva/register") return StandinEndpoint::Register;
  if (path == "/nolva/findPass") return StandinEndpoint::FindPass;
  return StandinEndpoint::Other;
}

RoutedReply PlatformRouter::route(const Request& request) const {
  const std::string_view path = pathOf(request.target());
  RoutedReply reply;
  reply.endpoint = endpointOf(path);
  reply.contentType = jsonType;
  switch (reply.endpoint) {
    case StandinEndpoint::CodeImage:
      reply.contentType = "image/jpeg";
      reply.body = codeImageJpeg();
      break;
    case StandinEndpoint::Login:
      reply.body = login(request.body());
      break;
    case StandinEndpoint::Heart:
    case StandinEndpoint::DeviceList:
    case StandinEndpoint::DeviceConfig:
      reply.body = knownSession(request) ? sessionReply(reply.endpoint, path)
                                         : ReplyBodies::refused(ReplyBodies::UnknownSession);
      break;
    case StandinEndpoint::Register:
      reply.contentType = htmlType;
      reply.body = page("Register");
      break;
    case StandinEndpoint::FindPass:
      reply.contentType = htmlType;
      reply.body = page("Find password");
      break;
    case StandinEndpoint::Other:
      reply.status = 404;
      reply.contentType = "text/plain;charset=UTF-8";
      reply.body = "not found";
      break;
  }
  return reply;
}

std::string PlatformRouter::login(const std::string& formBody) const {
  auto fields = decodeForm(formBody);
  const std::string& userTel = fields["user_tel"];
  const std::string& password = fields["password"];
  if (userTel.empty() || password.empty()) return ReplyBodies::refused(ReplyBodies::EmptyField);
  const std::optional<std::string> checkNum = data_.requiredCheckNum();
  if (checkNum && fields["check_num"] != *checkNum) return ReplyBodies::refused(ReplyBodies::WrongCheckNum);
  const std::optional<StandinUser> user = data_.userByTel(userTel);
  if (!user || user->password != password) return ReplyBodies::refused(ReplyBodies::WrongCredentials);
  return ReplyBodies::loginAccepted(*user);
}

std::string PlatformRouter::sessionReply(StandinEndpoint endpoint, std::string_view path) const {
  if (endpoint == StandinEndpoint::Heart) return ReplyBodies::heartAccepted();
  if (endpoint == StandinEndpoint::DeviceList) return ReplyBodies::deviceList(data_.deviceRows());
  return ReplyBodies::deviceConfig(data_.config(percentDecode(path.substr(configPrefix.size()), false)));
}

bool PlatformRouter::knownSession(const Request& request) const {
  return data_.userBySession(std::string(request["X-User"]), std::string(request["X-Token"])).has_value();
}
