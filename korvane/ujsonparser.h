#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include "devconfig.h"
#include "devinfo.h"
#include "loginsession.h"

// Reads the platform's reply texts into records. Stateless; no operation
// throws, whatever the text: a reply that cannot be read gives the
// operation's fallback result.
class ujsonparser {
public:
  ujsonparser() = default;

  // Fallback: an empty session.
  LoginSession parseLoginReply(QString text) const;
  // Whether the heartbeat was accepted; fallback false.
  bool parseHeartReply(QString text) const;
  // The devices by serial number; fallback an empty map.
  QMap<QString, DevInfo> parseDeviceList(QString text) const;
  // The same into *devices; false, with *devices untouched, for a reply that
  // is not a successful, readable device list.
  bool parseDeviceList(QString text, QMap<QString, DevInfo>* devices) const;
  // The variables of device `sn`; fallback {sn, 0, no groups}.
  DevConfig parseRealtimeConf(QString text, QString sn) const;
  // The same into *config; false, with the fallback there, for a reply that
  // is not a successful, readable configuration: the device's variables are
  // not known, which an empty configuration does not tell apart.
  bool parseRealtimeConf(QString text, QString sn, DevConfig* config) const;
  // Sets (*values)[code] for every wanted code from the pushed values of
  // device `sn` ("" for a code the message lacks). False only for a readable
  // message whose "meta"."success" is not "true"; values untouched then and
  // whenever the message holds no data.
  bool parseRealtimeData(QString text, QString sn, QMap<QString, QString>* values, QStringList codes) const;
  // Every device of a pushed message: each member of its "data" object whose
  // value is an object gives (*devices)[member name], that object's value
  // texts by data code. False only for a readable message whose
  // "meta"."success" is not "true"; devices untouched then.
  bool parseRealtimeDevices(QString text, QMap<QString, QMap<QString, QString>>* devices) const;
};
