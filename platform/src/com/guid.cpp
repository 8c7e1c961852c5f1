// Values of the standard COM identifiers, as published.
#include "platform/guid.h"

namespace {
// {0000000x-0000-0000-C000-000000000046}: the family of the original COM identifiers.
constexpr GUID OleGuid(uint32_t data1) { return {data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}}; }
// {D5F56xxx-593B-101A-B569-08002B2DBF7A}: the RPC buffer interfaces.
constexpr GUID RpcBufferGuid(uint32_t data1) { return {data1, 0x593B, 0x101A, {0xB5, 0x69, 0x08, 0x00, 0x2B, 0x2D, 0xBF, 0x7A}}; }
// {B196B28x-BAB4-101A-B69C-00AA00341D07}: the connection-point interfaces.
constexpr GUID ConnectionGuid(uint32_t data1) { return {data1, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}}; }
}  // namespace

const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

const IID IID_IUnknown = OleGuid(0x00000000);
const IID IID_IClassFactory = OleGuid(0x00000001);
const IID IID_IMalloc = OleGuid(0x00000002);
const IID IID_IMarshal = OleGuid(0x00000003);
const IID IID_IRpcChannel = OleGuid(0x00000004);
const IID IID_IRpcStub = OleGuid(0x00000005);
const IID IID_IStubManager = OleGuid(0x00000006);
const IID IID_IRpcProxy = OleGuid(0x00000007);
const IID IID_IProxyManager = OleGuid(0x00000008);
const IID IID_IMoniker = OleGuid(0x0000000F);
const IID IID_IInternalMoniker = OleGuid(0x00000011);
const IID IID_IMessageFilter = OleGuid(0x00000016);
const CLSID CLSID_StdMarshal = OleGuid(0x00000017);
const IID IID_IStdMarshalInfo = OleGuid(0x00000018);
const IID IID_IExternalConnection = OleGuid(0x00000019);
const IID IID_IEnumUnknown = OleGuid(0x00000100);
const IID IID_IEnumString = OleGuid(0x00000101);
const IID IID_IEnumFORMATETC = OleGuid(0x00000103);
const IID IID_IEnumSTATDATA = OleGuid(0x00000105);
const IID IID_IPersistFile = OleGuid(0x0000010B);
const IID IID_IPersist = OleGuid(0x0000010C);
const IID IID_IDataObject = OleGuid(0x0000010E);
const IID IID_IAdviseSink = OleGuid(0x0000010F);
const IID IID_IRpcProxyBuffer = RpcBufferGuid(0xD5F56A34);
const IID IID_IRpcStubBuffer = RpcBufferGuid(0xD5F56AFC);
const IID IID_IRpcChannelBuffer = RpcBufferGuid(0xD5F56B60);
const IID IID_IConnectionPointContainer = ConnectionGuid(0xB196B284);
const IID IID_IEnumConnectionPoints = ConnectionGuid(0xB196B285);
const IID IID_IConnectionPoint = ConnectionGuid(0xB196B286);
const IID IID_IEnumConnections = ConnectionGuid(0xB196B287);
