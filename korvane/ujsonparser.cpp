#include "ujsonparser.h"

#include <QDebug>

#include "jsonreply.h"
#include "pushedframe.h"

namespace {

// A last guard: a parse that throws anyway yields the fallback.
template <typename Result, typename Parse>
Result guarded(const Result& fallback, Parse parse) {
  try {
    return parse();
  } catch (...) {
    return fallback;
  }
}

DevInfo readDevice(const Json::Value& row) {
  DevInfo device;
  device.sn_code = JsonReply::text(row, "sn_code");
  device.dev_uuid = JsonReply::text(row, "dev_uuid");
  device.dev_ip = JsonReply::text(row, "dev_ip");
  device.dev_mac = JsonReply::text(row, "dev_mac");
  device.record_flag = 1;
  device.dev_version = JsonReply::text(row, "dev_version");
  device.dev_model = JsonReply::text(row, "dev_model");
  device.shipment_number = JsonReply::text(row, "shipment_number");
  device.research_unit = JsonReply::text(row, "research_unit");
  device.customer_id = JsonReply::integer(row, "customer_id");
  device.dev_address = JsonReply::text(row, "dev_address");
  device.dev_long = JsonReply::text(row, "dev_long");
  device.dev_lat = JsonReply::text(row, "dev_lat");
  device.site_name = JsonReply::text(row, "site_name");
  device.site_type = JsonReply::text(row, "site_type");
  device.site_icon = JsonReply::text(row, "site_icon").toLatin1();
  device.dev_state = QString::number(JsonReply::integerOrDigits(row, "dev_state"));
  device.report_time = JsonReply::text(row, "report_time");
  device.isRegister = JsonReply::integer(row, "isRegister");
  device.vpn_port = JsonReply::integer(row, "vpn_port");
  device.vpn_server_state = JsonReply::integer(row, "vpn_server_state");
  device.vpn_client_state = JsonReply::integer(row, "vpn_client_state");
  device.dev_alias = JsonReply::text(row, "dev_alias");
  return device;
}

DataInfo readVariable(const Json::Value& variable) {
  DataInfo info;
  info.sn_code = JsonReply::text(variable, "sn_code");
  info.data_name = JsonReply::text(variable, "data_name");
  info.data_unit = JsonReply::text(variable, "data_unit");
  info.data_type = JsonReply::integer(variable, "data_type");
  info.data_writeable = JsonReply::integer(variable, "data_writeable");
  info.data_min = JsonReply::text(variable, "data_min");
  info.data_max = JsonReply::text(variable, "data_max");
  info.data_code = JsonReply::integer(variable, "data_code");
  info.dev_version = JsonReply::integer(variable, "dev_version");
  return info;
}

// One line per variable, without the usual prefix.
void logVariables(const DataGroup& group) {
  for (const DataInfo& info : group.variables) {
    qDebug().noquote() << QStringLiteral("sncode:") + info.sn_code + QStringLiteral(" items:") +
                              QString::number(group.variable_count) + QStringLiteral(" name:") + info.data_name +
                              QStringLiteral(" unit:") + info.data_unit + QStringLiteral(" min:") + info.data_min +
                              QStringLiteral(" max:") + info.data_max + QStringLiteral(" type:") +
                              QString::number(info.data_type) + QStringLiteral(" writeable:") +
                              QString::number(info.data_writeable) + QStringLiteral(" code:") +
                              QString::number(info.data_code) + QStringLiteral(" ver:") +
                              QString::number(info.dev_version);
  }
}

}  // namespace

LoginSession ujsonparser::parseLoginReply(QString text) const {
  return guarded(LoginSession(), [&] {
    const JsonReply reply(text);
    LoginSession session;
    if (!reply.isEnvelope()) return session;
    session.success = reply.success();
    session.message = reply.message();
    const Json::Value& data = reply.data();
    if (reply.succeeded() && !data.isNull()) {
      if (!data.isObject()) return LoginSession();
      session.user_id = JsonReply::integer(data, "user_id");
      session.token = JsonReply::text(data, "x_Token");
    }
    return session;
  });
}

bool ujsonparser::parseHeartReply(QString text) const {
  return guarded(false, [&] {
    const JsonReply reply(text);
    return reply.isEnvelope() && reply.succeeded();
  });
}

QMap<QString, DevInfo> ujsonparser::parseDeviceList(QString text) const {
  QMap<QString, DevInfo> devices;
  parseDeviceList(text, &devices);
  return devices;
}

bool ujsonparser::parseDeviceList(QString text, QMap<QString, DevInfo>* devices) const {
  return guarded(false, [&] {
    const JsonReply reply(text);
    if (!reply.isEnvelope() || !reply.succeeded()) return false;
    const Json::Value& rows = JsonReply::member(reply.data(), "rows");
    if (!rows.isArray()) return false;
    QMap<QString, DevInfo> read;
    for (const Json::Value& row : rows) {
      if (!row.isObject()) return false;
      const DevInfo device = readDevice(row);
      read.insert(device.sn_code, device);
    }
    *devices = read;
    return true;
  });
}

DevConfig ujsonparser::parseRealtimeConf(QString text, QString sn) const {
  DevConfig config;
  parseRealtimeConf(text, sn, &config);
  return config;
}

bool ujsonparser::parseRealtimeConf(QString text, QString sn, DevConfig* config) const {
  DevConfig fallback;
  fallback.sn_code = sn;
  *config = fallback;
  return guarded(false, [&] {
    const JsonReply reply(text);
    if (!reply.isEnvelope() || !reply.succeeded() || !reply.data().isArray()) return false;
    DevConfig read = fallback;
    for (const Json::Value& element : reply.data()) {
      if (!element.isObject()) return false;
      const QString typeName = JsonReply::text(element, "type_name");
      const Json::Value& variables = JsonReply::member(element, "data");
      if (typeName.isEmpty() || variables.isNull()) continue;
      if (!variables.isArray()) return false;
      DataGroup group;
      group.sn_code = sn;
      group.type_name = typeName;
      for (const Json::Value& variable : variables) {
        if (!variable.isObject()) return false;
        group.variables.append(readVariable(variable));
      }
      group.variable_count = group.variables.size();
      read.groups.append(group);
    }
    read.group_count = read.groups.size();
    for (const DataGroup& group : read.groups) logVariables(group);
    *config = read;
    return true;
  });
}

bool ujsonparser::parseRealtimeData(QString text, QString sn, QMap<QString, QString>* values,
                                    QStringList codes) const {
  return guarded(true, [&] {
    const JsonReply reply(text);
    if (!reply.isEnvelope()) return true;
    if (!reply.succeeded()) return false;
    const Json::Value& data = reply.data();
    if (!data.isObject()) return true;
    const QByteArray snBytes = sn.toUtf8();
    const Json::Value& device = JsonReply::member(data, {snBytes.constData(), static_cast<size_t>(snBytes.size())});
    if (!device.isNull() && !device.isObject()) return true;
    if (values == nullptr) return true;
    for (const QString& code : codes) {
      const QByteArray codeBytes = code.toUtf8();
      values->insert(code, JsonReply::valueTextOf(
                               JsonReply::member(device, {codeBytes.constData(), static_cast<size_t>(codeBytes.size())})));
    }
    return true;
  });
}

bool ujsonparser::parseRealtimeDevices(QString text, QMap<QString, QMap<QString, QString>>* devices) const {
  return guarded(true, [&] {
    const PushedFrame frame(text);
    if (!frame.accepted()) return false;
    if (devices == nullptr) return true;
    for (const PushedFrame::Device& device : frame.devices()) device.copyTextsTo(&(*devices)[device.serial()]);
    return true;
  });
}
