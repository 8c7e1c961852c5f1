#include "channelrouter.h"

#include <memory>
#include <set>

#include <json/reader.h>

#include "replybodies.h"
#include "urlcoding.h"
#include "websocketsession.h"

namespace {

// A member's text, or "" when it is absent or not a string.
std::string textOf(const Json::Value& object, const char* key) {
  const Json::Value& member = object[key];
  return member.isString() ? member.asString() : std::string();
}

// The frame as a JSON object, or null when it is none.
Json::Value objectOf(const std::string& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value message;
  if (!reader->parse(text.data(), text.data() + text.size(), &message, nullptr) || !message.isObject()) return {};
  return message;
}

// The objects among the elements of the array `key` of `object`.
std::vector<Json::Value> objectsIn(const Json::Value& object, const char* key) {
  std::vector<Json::Value> objects;
  const Json::Value& array = object[key];
  if (!array.isArray()) return objects;
  for (const Json::Value& element : array)
    if (element.isObject()) objects.push_back(element);
  return objects;
}

}  // namespace

ChannelRouter::ChannelRouter(PlatformData& data, WebSocketHub& hub, FrameLog& frames)
    : data_(data), hub_(hub), frames_(frames) {}

std::optional<WebSocketChannel> ChannelRouter::channelOf(std::string_view target) {
  const std::string_view path = target.substr(0, target.find('?'));
  if (path == "/ZirOrurodaz/getDataWebsocket") return WebSocketChannel::Read;
  if (path == "/ZirOrurodaz/websocketTest") return WebSocketChannel::Write;
  return std::nullopt;
}

std::string ChannelRouter::codeOf(std::string_view target) {
  const size_t query = target.find('?');
  if (query == std::string_view::npos) return {};
  return decodeForm(target.substr(query + 1))["code"];
}

void ChannelRouter::received(WebSocketSession& from, const std::string& text) {
  frames_.add({from.channel(), from.code(), text});
  if (text.empty()) return;  // the write channel's keep-alive
  const Json::Value message = objectOf(text);
  if (message.isNull()) return;
  if (!knownSession(message)) return from.send(ReplyBodies::refused(ReplyBodies::UnknownSession));
  if (from.channel() == WebSocketChannel::Read)
    answerReadRequest(from, message);
  else
    storeWriteBatch(from, message);
}

void ChannelRouter::pushValues(const std::string& snCode, const std::optional<std::string>& code) const {
  hub_.push(WebSocketChannel::Read, ReplyBodies::pushedValues(snCode, data_.values().device(snCode)), code);
}

// Each named device gets a message of its own: all its values for an empty
// data_code, else the one value asked for.
void ChannelRouter::answerReadRequest(WebSocketSession& from, const Json::Value& request) const {
  for (const Json::Value& wanted : objectsIn(request, "devRealData")) {
    const std::string snCode = textOf(wanted, "sn_code");
    const std::string dataCode = textOf(wanted, "data_code");
    DeviceValues::Values values = data_.values().device(snCode);
    if (!dataCode.empty()) {
      auto found = values.find(dataCode);
      values = found == values.end() ? DeviceValues::Values() : DeviceValues::Values{*found};
    }
    from.send(ReplyBodies::pushedValues(snCode, values));
  }
}

void ChannelRouter::storeWriteBatch(const WebSocketSession& from, const Json::Value& batch) {
  std::set<std::string> written;
  for (const Json::Value& write : objectsIn(batch, "data_list")) {
    const std::string snCode = textOf(write, "sn_code");
    data_.values().set(snCode, textOf(write, "data_code"), textOf(write, "data"));
    written.insert(snCode);
  }
  for (const std::string& snCode : written) pushValues(snCode, from.code());
}

bool ChannelRouter::knownSession(const Json::Value& message) const {
  const Json::Value& userId = message["user_id"];
  const std::string userIdText = userId.isInt() ? std::to_string(userId.asInt()) : std::string();
  return data_.userBySession(userIdText, textOf(message, "user_token")).has_value();
}
