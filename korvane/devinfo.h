#pragma once

#include <QByteArray>
#include <QString>

// One device (data box) of the device-list reply.
struct DevInfo {
  QString sn_code;  // serial number, the key of the device map
  QString dev_uuid;
  QString dev_ip;
  QString dev_mac;
  qint32 record_flag = 0;  // 1 for every parsed device
  QString dev_version;
  QString dev_model;
  QString shipment_number;
  QString research_unit;
  qint32 customer_id = 0;
  QString dev_address;
  QString dev_long;
  QString dev_lat;
  QString site_name;
  QString site_type;
  QByteArray site_icon;  // Latin-1 bytes of the reply's text
  QString dev_state;     // decimal text; "1" is online
  QString report_time;
  qint32 isRegister = 0;
  qint32 vpn_port = 0;
  qint32 vpn_server_state = 0;
  qint32 vpn_client_state = 0;
  QString dev_alias;  // display name
};
