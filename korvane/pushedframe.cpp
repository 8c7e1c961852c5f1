#include "pushedframe.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

namespace {

constexpr std::string_view byteOrderMark = JsonReply::byteOrderMark;

// Whether a member name of `object` may begin with the byte-order mark: its
// names are in byte order, so the first byte of the last one tells.
bool mayHoldMarkedNames(const Json::Value& object) {
  if (object.empty()) return false;
  auto last = object.end();
  --last;
  const char* end = nullptr;
  const char* name = last.memberName(&end);
  return end > name && static_cast<unsigned char>(name[0]) >= static_cast<unsigned char>(byteOrderMark[0]);
}

std::string_view nameBytesOf(const Json::ValueConstIterator& member) {
  const char* end = nullptr;
  const char* name = member.memberName(&end);
  return {name, static_cast<size_t>(end - name)};
}

QString nameOf(const Json::ValueConstIterator& member) {
  const std::string_view name = nameBytesOf(member);
  return QString::fromUtf8(name.data(), static_cast<int>(name.size()));
}

// The data code a member name gives exactly in decimal (no sign but a minus,
// no leading zero), or nothing.
std::optional<int> dataCodeNamed(std::string_view name) {
  int code = 0;
  const auto read = std::from_chars(name.data(), name.data() + name.size(), code);
  if (read.ec != std::errc() || read.ptr != name.data() + name.size()) return std::nullopt;
  char decimal[12];
  const char* end = std::to_chars(decimal, decimal + sizeof decimal, code).ptr;
  if (name != std::string_view(decimal, static_cast<size_t>(end - decimal))) return std::nullopt;
  return code;
}

}  // namespace

PushedFrame::PushedFrame(const QString& text) : reply_(text) {
  if (!reply_.isEnvelope()) return;
  accepted_ = reply_.succeeded();
  if (!accepted_) return;
  const Json::Value& data = reply_.data();
  if (!data.isObject()) return;
  devices_.reserve(data.size());
  for (auto member = data.begin(); member != data.end(); ++member) {
    if (!member->isObject()) continue;
    Device device;
    device.serial_ = nameOf(member);
    device.objects_.append(&*member);
    device.markedNames_ = mayHoldMarkedNames(*member);
    devices_.push_back(std::move(device));
  }
  if (devices_.size() > 1) {
    // Names that read as the same text make one device.
    std::stable_sort(devices_.begin(), devices_.end(),
                     [](const Device& a, const Device& b) { return a.serial_ < b.serial_; });
    auto kept = devices_.begin();
    for (auto device = kept + 1; device != devices_.end(); ++device) {
      if (device->serial_ == kept->serial_) {
        kept->objects_.append(device->objects_.constData(), device->objects_.size());
        kept->markedNames_ = kept->markedNames_ || device->markedNames_;
      } else if (++kept != device) {
        *kept = std::move(*device);
      }
    }
    devices_.erase(kept + 1, devices_.end());
  }
  for (Device& device : devices_) {
    if (device.objects_.size() != 1 || device.markedNames_) continue;
    const Json::Value& object = *device.objects_.front();
    device.byCode_.reserve(object.size());
    for (auto member = object.begin(); member != object.end(); ++member)
      if (const std::optional<int> code = dataCodeNamed(nameBytesOf(member)))
        device.byCode_.emplace_back(*code, &*member);
    std::sort(device.byCode_.begin(), device.byCode_.end());
    device.indexed_ = true;
  }
}

std::string_view PushedFrame::Device::text(int dataCode) const {
  if (indexed_) {
    const auto found = std::lower_bound(byCode_.begin(), byCode_.end(), dataCode,
                                        [](const auto& entry, int code) { return entry.first < code; });
    return found != byCode_.end() && found->first == dataCode ? valueText(*found->second) : std::string_view();
  }
  // Names are read as UTF-8, which drops a leading byte-order mark: a member
  // "<mark>12" is data code 12 as well, and wins over "12", which comes before
  // it in the object's order.
  char name[byteOrderMark.size() + 12];
  std::memcpy(name, byteOrderMark.data(), byteOrderMark.size());
  char* const digits = name + byteOrderMark.size();
  const char* const end = std::to_chars(digits, name + sizeof name, dataCode).ptr;
  for (auto object = objects_.crbegin(); object != objects_.crend(); ++object) {
    const Json::Value* value = markedNames_ ? (*object)->find(name, end) : nullptr;
    if (value == nullptr) value = (*object)->find(digits, end);
    if (value != nullptr) return valueText(*value);
  }
  return {};
}

std::string_view PushedFrame::Device::valueText(const Json::Value& value) const {
  if (JsonReply::isNumber(value)) return numberTexts_.emplace_back(JsonReply::numberText(value));
  const std::string_view text = JsonReply::textBytesOf(value);
  return JsonReply::readsAs(text, {}) ? std::string_view() : text;
}

void PushedFrame::Device::copyTextsTo(QMap<QString, QString>* texts) const {
  for (const Json::Value* object : objects_)
    for (auto member = object->begin(); member != object->end(); ++member)
      texts->insert(nameOf(member), JsonReply::valueTextOf(*member));
}
