#pragma once

#include <mutex>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "ctag.h"
#include "devconfig.h"
#include "devinfo.h"
#include "devtags.h"
#include "msgtype.h"
#include "pushedframe.h"
#include "ujsonparser.h"
#include "Vorlix.h"

// The OPC bridge: starts the toolkit's OPC server, publishes every variable
// of the configured devices as a tag named "<serial>.<type name>.<data name>",
// stores the values the platform pushes into those tags, answers the
// toolkit's device reads, and turns OPC client writes into write requests for
// the platform. Lives on the GUI thread; the toolkit's callbacks reach it from
// the toolkit's threads through g_opcServer.
class korvane : public QObject {
  Q_OBJECT

public:
  // How often the device list is fetched again.
  static constexpr int DeviceStatePeriodMs = 5000;
  // Bad, last known value: communications have failed and the value is the
  // last one that came.
  static constexpr WORD LastKnownQuality = 0x14;

  // Fetches the device list once, at once, then every DeviceStatePeriodMs.
  // The tags come from the list init is given; this one is not used.
  explicit korvane(QList<DevConfig> configs, QObject* parent = nullptr);
  // Stops the toolkit's server; g_opcServer no longer names this bridge.
  ~korvane() override;

  // Registers and starts the toolkit's server, hands it the callbacks and
  // creates the tags. Stops at the first step that fails, logs it and
  // returns false; initFailure() then says what failed and why.
  virtual bool init(QList<DevConfig> configs);
  QString initFailure() const { return m_initFailure; }
  virtual void uninit();

  // Creates one tag per variable of every device that has no tags yet, then
  // starts the refresh timer. From then on each device list fetches the
  // configurations of the devices it lists that have none (devicesWithoutTags).
  void addTagsForRealTimeData(QList<DevConfig> configs);
  // The listed devices whose variables are not known: listed only after the
  // tags were made, or their configuration could not be read (an empty one
  // in the list given to addTagsForRealTimeData may be either), in ascending
  // order of serial number.
  QStringList devicesWithoutTags() const;

  // An OPC client's write (a toolkit thread): stores the value, publishes it
  // with the quality the tag has and sends its text towards the platform.
  // `result` is 0, or the error the client gets for the item.
  void NotificationHandler(DWORD handle, VARIANT* value, DWORD* result);
  // An OPC client's read from the device (a toolkit thread): the record's
  // value and quality, as the toolkit's tag has them, and the current time;
  // quality 0 alone when no record has the handle.
  void DeviceRead(DWORD handle, VARIANT* value, WORD* quality, FILETIME* timestamp);

  // How often every device's values are asked for, in ms.
  int refreshIntervalMs() const { return m_refreshTimer.interval(); }

  // The records of all devices, in creation order, and per device.
  QList<CTag*> tags() const;
  QMap<QString, DevTags> deviceTags() const;

signals:
  void MessageHandleSignal(MsgType msgType, QString msgContext);
  void writeNewRealTimeValue(QString sn, int dataCode, QString value);
  void curAllDeviceStat(QString result);

public slots:
  // A text of the platform's WebSocket channels: the values of the devices
  // its "data" object names.
  void getNewMessageSlot(QString msg);
  // Asks for fresh values of every device.
  void intervalRefreshLabs();
  // Fetches the device list: the device states that decide the tags' quality,
  // which every tag takes at once. A list that cannot be had keeps the last one.
  void on_getDeviceStat();
  // The platform's values stopped coming: every tag keeps its value with the
  // last-known quality until its device's next message.
  void on_readChannelLost();

private:
  // Creates the tags of one device's variables, unless it has its tags
  // already; false then. The device is the serial number the configuration
  // was requested for, whatever its variables' own "sn_code" say.
  bool addDeviceTags(const DevConfig& config);
  // Fetches the configuration of every device without tags, side by side, and
  // creates their tags. A device whose reply does not come or does not read
  // stays without tags; the next device list asks for it again.
  void addTagsForNewDevices();
  // A record and its toolkit tag for one variable of device `sn`; the handle
  // stays invalid when the toolkit refuses the tag.
  CTag* createTag(const QString& sn, const DataGroup& group, const DataInfo& variable);
  // Stores the pushed values of one device in its tags; a device without
  // tags is passed over.
  void applyDeviceValues(const PushedFrame::Device& values);
  // The record of a created tag; the caller holds m_tagsMutex.
  CTag* findTag(DWORD handle) const;
  // Good quality while the device is online in the last device list.
  WORD deviceQuality(const QString& sn) const;
  // Notes and logs why init stops; returns false for init to answer.
  bool initFailed(const QString& what);
  // The quality a created tag of a known type has now: last-known while its
  // device has had no message since the read channel was lost; else bad
  // while its device is not online or its last pushed text was refused;
  // else good.
  WORD qualityOf(const CTag& tag) const;
  // Gives every tag whose quality is no longer qualityOf that quality.
  void refreshQualities();

  // A value for the toolkit, published once the bridge's lock is released.
  struct Update {
    DWORD handle;
    VARIANT value;
    WORD quality;
  };

  QTimer m_refreshTimer;
  QTimer m_deviceStateTimer;
  // Held from taking a record's value and quality to handing them to the
  // toolkit, so that the toolkit gets them in the order the records did: a
  // quality change must not publish a value a client's write has replaced.
  std::mutex m_publishMutex;
  // Guards m_tags and the records' values, qualities and states against the
  // toolkit's threads; taken inside m_publishMutex. Never held while calling
  // the toolkit.
  mutable std::mutex m_tagsMutex;
  QList<CTag*> m_tags;  // owns the records
  // The created records by handle, for the toolkit's callbacks: one lookup,
  // however many tags there are.
  QHash<DWORD, CTag*> m_tagsByHandle;
  // Per device, its tags: one lookup for each device of a pushed message.
  QHash<QString, DevTags> m_devTags;
  // The devices of m_devTags in ascending order, the order of the read
  // requests for every device.
  QStringList m_deviceOrder;
  QMap<QString, DevInfo> m_devices;
  // Devices without a message since the read channel was lost.
  QSet<QString> m_staleDevices;
  QString m_initFailure;
  ujsonparser m_parser;
  // Set while the device list is being fetched: the request waits in a local
  // event loop, where the timer may fire again.
  bool m_deviceListInFlight = false;
  // The tags of the configuration list are made: from now on a listed device
  // without tags is one whose configuration is to be fetched.
  bool m_tagsMade = false;
};

// The bridge the toolkit's callbacks reach, or nullptr. Set on the GUI thread
// through setOpcServer, and read there directly.
extern korvane* g_opcServer;
// Makes `bridge` the one the callbacks reach. Waits for callbacks that are
// still working on the previous one, so that one may go once this returns.
void setOpcServer(korvane* bridge);

// The toolkit's callbacks; they reach the bridge through g_opcServer.
void DeviceReadProc(DWORD handle, VARIANT* value, WORD* quality, FILETIME* timestamp);
void DisconnectProc(DWORD clients);
// Ignores the writing client's name and hands the write to NotificationHandler.
void WriteNotificationProc(DWORD handle, VARIANT* value, DWORD* result, char* user);

// A name in the 8-bit text the toolkit takes: GB2312, or empty when Qt has no
// such codec.
QByteArray toGb2312String(const QString& text);
