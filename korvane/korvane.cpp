#include "korvane.h"

#include <algorithm>
#include <shared_mutex>

#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QStringList>
#include <QTextCodec>
#include <QVarLengthArray>
#include <QVector>

#include "configfile.h"
#include "datatypecode.h"
#include "klog.h"
#include "loginsession.h"
#include "platform/lasterror.h"
#include "platform/opcda.h"
#include "platform/opcerror.h"
#include "platform/systemmessage.h"
#include "platform/wintime.h"
#include "ucommucation.h"

korvane* g_opcServer = nullptr;

namespace {

// Held shared by a callback for as long as it works on g_opcServer.
std::shared_mutex opcServerMutex;

// The server's class, {99B8F472-C037-11D2-80B8-0060975858BE}, in its in-memory layout.
BYTE serverClsid[16] = {0x72, 0xF4, 0xB8, 0x99, 0x37, 0xC0, 0xD2, 0x11,
                        0x80, 0xB8, 0x00, 0x60, 0x97, 0x58, 0x58, 0xBE};
const char progId[] = "ZelvoOPCServer";
const char description[] = "Tavrik SoftWare OPC Server Simulator";

// NT level 1 in the high word of an access word.
constexpr DWORD ntLevelOne = 0x10000;
// The refresh timer never runs faster than the toolkit's own scan floor; at 0
// it would send read requests whenever the event loop is idle.
constexpr unsigned minimumRefreshMs = 10;

// "/intervalTime" of config.ini: the server rate and the refresh interval.
unsigned configuredInterval() { return intervalMs(g_intervalTime); }

// What the thread's last error says, with its code; a failure that left no
// error code says so.
QString lastErrorText() {
  const DWORD code = GetLastError();
  if (code == ERROR_SUCCESS) return QStringLiteral("no reason given");
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                 nullptr);
  return QStringLiteral("%1 (error %2)").arg(QString::fromLocal8Bit(text).trimmed()).arg(code);
}

// The value of a tag whose data-type code the bridge cannot convert: a real
// zero, which every type a client may ask for can take. The tag's quality is
// bad, since no pushed value ever reaches it.
VARIANT unknownTypeValue() {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_R8;
  value.dblVal = 0.0;
  return value;
}

// Hands values to the toolkit; the caller holds the bridge's publish mutex.
template <typename Updates>
void publish(const Updates& updates) {
  for (const auto& update : updates) UpdateTag(update.handle, update.value, update.quality);
}

}  // namespace

korvane::korvane(QList<DevConfig>, QObject* parent) : QObject(parent) {
  qRegisterMetaType<MsgType>("MsgType");
  on_getDeviceStat();
  connect(&m_deviceStateTimer, &QTimer::timeout, this, &korvane::on_getDeviceStat);
  m_deviceStateTimer.start(DeviceStatePeriodMs);
}

korvane::~korvane() {
  if (g_opcServer == this) setOpcServer(nullptr);
  UninitVarnOPCsvr();
  qDeleteAll(m_tags);
}

bool korvane::init(QList<DevConfig> configs) {
  QByteArray progIdText(progId);
  QByteArray descriptionText(description);
  QByteArray executable = QCoreApplication::applicationFilePath().toLocal8Bit();
  SetLastError(ERROR_SUCCESS);
  if (!UpdateRegistry(serverClsid, progIdText.data(), descriptionText.data(), executable.data()))
    return initFailed(tr("The OPC server could not be registered: %1").arg(lastErrorText()));
  SetVarnVendorInfo(descriptionText.data());
  if (!InitVarnOPCsvr(serverClsid, configuredInterval()))
    return initFailed(tr("The OPC server could not be started."));
  if (!EnableWriteNotification2(WriteNotificationProc, TRUE) || !EnableDisconnectNotification(DisconnectProc) ||
      !EnableDeviceRead(DeviceReadProc))
    return initFailed(tr("The OPC server refused the program's callbacks."));
  addTagsForRealTimeData(configs);
  return true;
}

void korvane::uninit() { UninitVarnOPCsvr(); }

bool korvane::initFailed(const QString& what) {
  m_initFailure = what + QLatin1Char('\n') + tr("No OPC items are published.");
  KLOG << m_initFailure;
  return false;
}

void korvane::addTagsForRealTimeData(QList<DevConfig> configs) {
  QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
  for (const DevConfig& config : configs) {
    // A configuration without groups is also what a failed request gives:
    // the device counts as one without tags, so a device list fetches it.
    if (config.groups.isEmpty()) continue;
    addDeviceTags(config);
  }
  m_tagsMade = true;
  connect(&m_refreshTimer, &QTimer::timeout, this, &korvane::intervalRefreshLabs, Qt::UniqueConnection);
  m_refreshTimer.start(static_cast<int>(std::max(minimumRefreshMs, configuredInterval())));
}

bool korvane::addDeviceTags(const DevConfig& config) {
  const QString& sn = config.sn_code;
  if (sn.isEmpty() || m_devTags.contains(sn)) return false;
  DevTags devTags;
  for (const DataGroup& group : config.groups) {
    devTags.count += group.variable_count;
    for (const DataInfo& variable : group.variables) {
      CTag* tag = createTag(sn, group, variable);
      devTags.tags.append(tag);
      // The server takes clients already: their callbacks look for records meanwhile.
      const std::lock_guard<std::mutex> lock(m_tagsMutex);
      m_tags.append(tag);
      if (tag->created()) m_tagsByHandle.insert(tag->handle, tag);
    }
  }
  m_devTags.insert(sn, devTags);
  m_deviceOrder.insert(std::lower_bound(m_deviceOrder.begin(), m_deviceOrder.end(), sn), sn);
  return true;
}

QStringList korvane::devicesWithoutTags() const {
  QStringList serials;
  for (auto device = m_devices.cbegin(); device != m_devices.cend(); ++device)
    if (!device.key().isEmpty() && !m_devTags.contains(device.key())) serials.append(device.key());
  return serials;
}

void korvane::addTagsForNewDevices() {
  const QStringList serials = devicesWithoutTags();
  if (serials.isEmpty()) return;
  // Fetched side by side, a bounded number at a time, while this waits once.
  const QStringList replies = ucommucation::realtimeConfRequests(g_session, serials);
  for (int i = 0; i < serials.size(); ++i) {
    const QString& sn = serials[i];
    const QString& reply = replies[i];
    if (reply.isEmpty()) {
      KLOG << "configuration of" << sn << "not had; devices without tags are asked for at the next device list";
      continue;
    }
    DevConfig config;
    if (!m_parser.parseRealtimeConf(reply, sn, &config)) {
      KLOG << "configuration of" << sn << "not read, asked for again at the next device list:" << reply;
      continue;
    }
    // The device may have got its tags while the request waited.
    if (!addDeviceTags(config)) continue;
    KLOG << "tags made for device" << sn << ":" << m_devTags.value(sn).tags.size();
    // Its values need not wait for the next refresh.
    emit MessageHandleSignal(MsgOneDevice, sn);
  }
}

CTag* korvane::createTag(const QString& sn, const DataGroup& group, const DataInfo& variable) {
  auto* tag = new CTag;
  tag->typeCode = DataTypeCode::of(variable.data_type, variable.dev_version);
  tag->name = QStringLiteral("%1.%2.%3").arg(sn, group.type_name, variable.data_name);
  // Each line names its item: a log of many tags is otherwise unreadable.
  KLOG << QStringLiteral("tag: %1 ver:%2 data_type_tmp:%3 data_type:%4")
              .arg(tag->name)
              .arg(variable.dev_version)
              .arg(variable.data_type)
              .arg(tag->typeCode);
  tag->sn = sn;
  tag->dataCode = variable.data_code;
  const bool writable = variable.data_writeable == 1 || variable.data_writeable == 2;
  tag->readLevel = ntLevelOne;
  tag->writeLevel = writable ? ntLevelOne : 0;
  KLOG << QStringLiteral("%1 data_type:%2 dev_version:%3").arg(tag->name).arg(tag->typeCode).arg(variable.dev_version);

  const DataTypeCode* type = DataTypeCode::find(tag->typeCode);
  tag->value = type != nullptr ? type->zero() : unknownTypeValue();
  tag->quality = type != nullptr ? qualityOf(*tag) : OPC_QUALITY_BAD;
  QByteArray name = toGb2312String(tag->name);
  // CreateSecureTag always grants clients without NT security the right to
  // write; CreateTag with writable FALSE is the toolkit's read-only tag.
  tag->handle = writable ? CreateSecureTag(name.data(), tag->value, tag->quality, tag->readLevel, tag->writeLevel)
                         : CreateTag(name.data(), tag->value, tag->quality, FALSE);
  if (!tag->created()) KLOG << "tag not created:" + tag->name;
  return tag;
}

QMap<QString, DevTags> korvane::deviceTags() const {
  QMap<QString, DevTags> devices;
  for (auto device = m_devTags.cbegin(); device != m_devTags.cend(); ++device) devices.insert(device.key(), device.value());
  return devices;
}

QList<CTag*> korvane::tags() const {
  const std::lock_guard<std::mutex> lock(m_tagsMutex);
  return m_tags;
}

void korvane::getNewMessageSlot(QString msg) {
  // The devices of a message are the members of its "data" object, each
  // named by its exact serial number.
  const PushedFrame frame(msg);
  if (!frame.accepted()) {
    KLOG << "数据解析失败。";
    return;
  }
  for (const PushedFrame::Device& device : frame.devices()) applyDeviceValues(device);
}

void korvane::applyDeviceValues(const PushedFrame::Device& values) {
  const QString& sn = values.serial();
  const auto devTags = m_devTags.constFind(sn);
  if (devTags == m_devTags.cend()) return;

  // The device's first message since the read channel came back: its tags
  // take the quality of its state again, also those it brings no value for.
  m_staleDevices.remove(sn);
  // The line naming the changed values is formed only when it will be shown.
  const bool logging = klogEnabled();
  QVarLengthArray<Update, 64> updates;
  QStringList applied;
  QStringList refused;
  const std::lock_guard<std::mutex> publishing(m_publishMutex);
  {
    const std::lock_guard<std::mutex> lock(m_tagsMutex);
    for (CTag* tag : devTags->tags) {
      const DataTypeCode* type = DataTypeCode::find(tag->typeCode);
      if (!tag->created() || type == nullptr) continue;
      bool applying = false;
      // The first message after a client's write may still carry the value
      // from before it: it is skipped.
      if (tag->state == CTag::Written) {
        tag->state = CTag::EchoSkipped;
      } else {
        tag->state = CTag::InStep;
        const std::string_view text = values.text(tag->dataCode);
        if (!text.empty()) {
          const std::optional<VARIANT> value = type->parseUtf8(text);
          // A text that is no value of the tag's type leaves the last value,
          // with bad quality until a readable one comes.
          tag->textRefused = !value;
          if (value) {
            const QString before = logging ? type->text(tag->value) : QString();
            tag->value = *value;
            applying = true;
            // The answer to a refresh repeats what a push just brought: only
            // a value that changed is named.
            const QString after = logging ? type->text(tag->value) : QString();
            if (logging && after != before) applied.append(tag->name + QLatin1Char('=') + after);
          } else {
            refused.append(tag->name + QStringLiteral("=\"") +
                           QString::fromUtf8(text.data(), static_cast<int>(text.size())) + QLatin1Char('"'));
          }
        }
      }
      const WORD quality = qualityOf(*tag);
      if (!applying && quality == tag->quality) continue;
      tag->quality = quality;
      updates.append({tag->handle, tag->value, quality});
    }
  }
  publish(updates);
  if (!applied.isEmpty())
    KLOG << QStringLiteral("[tag values] quality %1: ").arg(deviceQuality(sn)) + applied.join(QLatin1Char(' '));
  if (!refused.isEmpty())
    KLOG << QStringLiteral("[tag values] not of the tag's type, last value kept with quality 0: ") +
                refused.join(QLatin1Char(' '));
}

void korvane::intervalRefreshLabs() {
  for (const QString& sn : m_deviceOrder) emit MessageHandleSignal(MsgOneDevice, sn);
}

void korvane::on_getDeviceStat() {
  if (m_deviceListInFlight) return;
  const QScopedValueRollback<bool> inFlight(m_deviceListInFlight, true);
  const QString reply = ucommucation::deviceListRequest(g_session);
  // A list that could not be had says nothing about the devices: the last
  // one stays.
  const bool listed = m_parser.parseDeviceList(reply, &m_devices);
  if (!listed) KLOG << "device list not read, the last one is kept";
  refreshQualities();
  emit curAllDeviceStat(reply);
  // Without a list the platform is in trouble: configurations wait for the next one.
  if (listed && m_tagsMade) addTagsForNewDevices();
}

void korvane::on_readChannelLost() {
  for (const QString& sn : m_deviceOrder) m_staleDevices.insert(sn);
  refreshQualities();
  KLOG << QStringLiteral("read channel lost: tags keep their last values with quality %1").arg(LastKnownQuality);
}

void korvane::refreshQualities() {
  QVector<Update> updates;
  const std::lock_guard<std::mutex> publishing(m_publishMutex);
  {
    const std::lock_guard<std::mutex> lock(m_tagsMutex);
    for (CTag* tag : m_tags) {
      if (!tag->created() || DataTypeCode::find(tag->typeCode) == nullptr) continue;
      const WORD quality = qualityOf(*tag);
      if (quality == tag->quality) continue;
      tag->quality = quality;
      updates.append({tag->handle, tag->value, quality});
    }
  }
  publish(updates);
  if (!updates.isEmpty()) KLOG << QStringLiteral("%1 tags took their devices' quality").arg(updates.size());
}

void korvane::NotificationHandler(DWORD handle, VARIANT* value, DWORD* result) {
  VARIANT written;
  VariantInit(&written);
  QString name;
  const DataTypeCode* type = nullptr;
  QString sn;
  int dataCode = 0;
  WORD quality = OPC_QUALITY_BAD;
  std::unique_lock<std::mutex> publishing(m_publishMutex);
  {
    const std::lock_guard<std::mutex> lock(m_tagsMutex);
    CTag* tag = findTag(handle);
    type = tag != nullptr ? DataTypeCode::find(tag->typeCode) : nullptr;
    // Nothing is stored for a value the platform cannot be sent.
    if (type == nullptr) {
      *result = static_cast<DWORD>(OPC_E_INVALIDHANDLE);
      return;
    }
    if (tag->writeLevel == 0) {
      *result = static_cast<DWORD>(OPC_E_BADRIGHTS);
      return;
    }
    // The value arrives in the tag's type unless the client's write bypassed
    // the conversion; the platform gets the tag's type either way.
    if (FAILED(VariantChangeType(&written, value, 0, type->variantType()))) {
      *result = static_cast<DWORD>(OPC_E_BADTYPE);
      return;
    }
    VariantCopy(&tag->value, &written);
    tag->state = CTag::Written;
    name = tag->name;
    sn = tag->sn;
    dataCode = tag->dataCode;
    quality = tag->quality;
  }
  // The toolkit stores the same value that is published and sent. A write
  // says nothing of the device, so the tag's quality stays.
  VariantCopy(value, &written);
  UpdateTag(handle, written, quality);
  publishing.unlock();
  *result = 0;
  const QString text = type->text(written);
  if (type->logLabel() != nullptr) KLOG << name + QLatin1String(type->logLabel()) + text;
  emit writeNewRealTimeValue(sn, dataCode, text);
}

void korvane::DeviceRead(DWORD handle, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  const std::lock_guard<std::mutex> lock(m_tagsMutex);
  const CTag* tag = findTag(handle);
  if (tag == nullptr) {
    *quality = OPC_QUALITY_BAD;
    return;
  }
  VariantCopy(value, &tag->value);
  *quality = tag->quality;
  GetSystemTimeAsFileTime(timestamp);
}

CTag* korvane::findTag(DWORD handle) const { return m_tagsByHandle.value(handle, nullptr); }

WORD korvane::deviceQuality(const QString& sn) const {
  const auto device = m_devices.constFind(sn);
  return device != m_devices.cend() && device->dev_state == QLatin1String("1") ? OPC_QUALITY_GOOD : OPC_QUALITY_BAD;
}

WORD korvane::qualityOf(const CTag& tag) const {
  if (m_staleDevices.contains(tag.sn)) return LastKnownQuality;
  return tag.textRefused ? OPC_QUALITY_BAD : deviceQuality(tag.sn);
}

void setOpcServer(korvane* bridge) {
  const std::unique_lock<std::shared_mutex> lock(opcServerMutex);
  g_opcServer = bridge;
}

void DeviceReadProc(DWORD handle, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  KLOG << "DeviceReadProc=====================================";
  const std::shared_lock<std::shared_mutex> lock(opcServerMutex);
  if (g_opcServer != nullptr)
    g_opcServer->DeviceRead(handle, value, quality, timestamp);
  else
    *quality = OPC_QUALITY_BAD;
}

void DisconnectProc(DWORD) { KLOG << "DisconnectProc====================================="; }

void WriteNotificationProc(DWORD handle, VARIANT* value, DWORD* result, char*) {
  const std::shared_lock<std::shared_mutex> lock(opcServerMutex);
  if (g_opcServer != nullptr)
    g_opcServer->NotificationHandler(handle, value, result);
  else
    *result = static_cast<DWORD>(OPC_E_INVALIDHANDLE);
}

QByteArray toGb2312String(const QString& text) {
  const QTextCodec* codec = QTextCodec::codecForName("gb2312");
  return codec != nullptr ? codec->fromUnicode(text) : QByteArray();
}
