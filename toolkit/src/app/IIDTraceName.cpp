#include "app/IIDTraceName.h"

namespace {

struct NamedIdentifier {
  const GUID* id;
  const char* name;
};

const NamedIdentifier kTraceNames[] = {
    {&IID_IClassFactory, " IID_IClassFactory"},
    {&IID_IMalloc, " IID_IMalloc"},
    {&IID_IMarshal, " IID_IMarshal"},
    {&IID_IRpcChannel, " IID_IRpcChannel"},
    {&IID_IMoniker, " IID_IMoniker"},
    {&IID_IRpcStub, " IID_IRpcStub"},
    {&IID_IStubManager, " IID_IStubManager"},
    {&IID_IRpcProxy, " IID_IRpcProxy"},
    {&IID_IProxyManager, " IID_IProxyManager"},
    {&IID_IInternalMoniker, " IID_IInternalMoniker"},
    {&IID_IMessageFilter, " IID_IMessageFilter"},
    {&IID_IStdMarshalInfo, " IID_IStdMarshalInfo"},
    {&IID_IRpcProxyBuffer, " IID_IRpcProxyBuffer"},
    {&IID_IRpcStubBuffer, " IID_IRpcStubBuffer"},
    {&IID_IRpcChannelBuffer, " IID_IRpcChannelBuffer"},
    {&IID_IExternalConnection, " IID_IExternalConnection"},
    {&CLSID_StdMarshal, " CLSID_StdMarshal"},
};

}  // namespace

const char* IIDTraceName(REFIID iid) {
  for (const NamedIdentifier& entry : kTraceNames) {
    if (*entry.id == iid) return entry.name;
  }
  return "";
}
