#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QMap>
#include <QString>
#include <QVarLengthArray>

#include <json/value.h>

#include "jsonreply.h"

// A text pushed on the platform's read channel, read once: the devices its
// "data" object names, each with its value texts by data code. The values
// stay in the parsed text and are looked up there when asked for, so that a
// frame costs little more than its parse. Nothing here throws on any text.
class PushedFrame {
public:
  // The pushed values of one device.
  class Device {
  public:
    const QString& serial() const { return serial_; }
    // The text of the member named by `dataCode` in decimal, as UTF-8: a
    // text as it stands, a boolean as "true"/"false", a number as its
    // decimal text; empty when the device brings none, brings another JSON
    // type, or its text reads as empty (a lone byte-order mark). Valid as
    // long as the frame is.
    std::string_view text(int dataCode) const;
    // Every member's text into (*texts)[member name], a later member of the
    // same name replacing an earlier one.
    void copyTextsTo(QMap<QString, QString>* texts) const;

  private:
    friend class PushedFrame;
    QString serial_;
    // The objects of the members of "data" whose names read as this
    // device's serial number, in the frame's order: one, unless two names
    // differ only in bytes that are not UTF-8. A later one's values count.
    QVarLengthArray<const Json::Value*, 1> objects_;
    // Whether a name of these objects may begin with a byte-order mark.
    bool markedNames_ = false;
    // For a device of one object without such names, the common case: its
    // members named by a data code in decimal, in ascending order of code.
    // Looking a code up here spares comparing it with member names.
    std::vector<std::pair<int, const Json::Value*>> byCode_;
    bool indexed_ = false;
    // The texts of the values given as JSON numbers that were asked for. A
    // deque keeps each where it is, so the views handed out stay valid.
    mutable std::deque<std::string> numberTexts_;

    std::string_view valueText(const Json::Value& value) const;
  };

  explicit PushedFrame(const QString& text);
  PushedFrame(const PushedFrame&) = delete;
  PushedFrame& operator=(const PushedFrame&) = delete;

  // False only for a readable text whose "meta"."success" is not "true".
  bool accepted() const { return accepted_; }
  // The members of "data" whose values are objects, in ascending order of
  // serial number; none unless "data" is an object.
  const std::vector<Device>& devices() const { return devices_; }

private:
  JsonReply reply_;
  bool accepted_ = true;
  std::vector<Device> devices_;
};
