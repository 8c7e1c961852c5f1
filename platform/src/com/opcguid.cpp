// Values of the OPC interface identifiers, as published.
#include "platform/opcguid.h"

namespace {
// {39C13Axx-011E-11D0-9675-0020AFD8ADB3}: the Data Access interfaces.
constexpr GUID DataAccessGuid(uint32_t data1) { return {data1, 0x011E, 0x11D0, {0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3}}; }
// {F31DFDEx-07B6-11D2-B2D8-0060083BA1FB}: the Common interfaces.
constexpr GUID CommonGuid(uint32_t data1) { return {data1, 0x07B6, 0x11D2, {0xB2, 0xD8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB}}; }
// {651688xx-5783-11D1-84A0-00608CB8A7E9}: the Alarms and Events interfaces.
constexpr GUID EventsGuid(uint32_t data1) { return {data1, 0x5783, 0x11D1, {0x84, 0xA0, 0x00, 0x60, 0x8C, 0xB8, 0xA7, 0xE9}}; }
}  // namespace

const IID IID_IOPCServer = DataAccessGuid(0x39C13A4D);
const IID IID_IOPCServerPublicGroups = DataAccessGuid(0x39C13A4E);
const IID IID_IOPCBrowseServerAddressSpace = DataAccessGuid(0x39C13A4F);
const IID IID_IOPCGroupStateMgt = DataAccessGuid(0x39C13A50);
const IID IID_IOPCPublicGroupStateMgt = DataAccessGuid(0x39C13A51);
const IID IID_IOPCSyncIO = DataAccessGuid(0x39C13A52);
const IID IID_IOPCAsyncIO = DataAccessGuid(0x39C13A53);
const IID IID_IOPCItemMgt = DataAccessGuid(0x39C13A54);
const IID IID_IEnumOPCItemAttributes = DataAccessGuid(0x39C13A55);
const IID IID_IOPCDataCallback = DataAccessGuid(0x39C13A70);
const IID IID_IOPCAsyncIO2 = DataAccessGuid(0x39C13A71);
const IID IID_IOPCItemProperties = DataAccessGuid(0x39C13A72);

const IID IID_IOPCShutdown = CommonGuid(0xF31DFDE1);
const IID IID_IOPCCommon = CommonGuid(0xF31DFDE2);

const IID IID_IOPCEventServer = EventsGuid(0x65168851);
const IID IID_IOPCEventSubscriptionMgt = EventsGuid(0x65168855);
const IID IID_IOPCEventAreaBrowser = EventsGuid(0x65168857);
const IID IID_IOPCEventSink = EventsGuid(0x6516885F);

const IID IID_IOPCSecurityNT = {0x7AA83A01, 0x6C77, 0x11D3, {0x84, 0xF9, 0x00, 0x00, 0x86, 0x30, 0xA3, 0x8B}};
