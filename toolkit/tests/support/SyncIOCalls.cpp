#include "support/SyncIOCalls.h"

#include "platform/taskmemory.h"

SyncRead::~SyncRead() {
  for (OPCITEMSTATE& state : states) VariantClear(&state.vDataValue);
}

SyncRead ReadItems(IOPCSyncIO* io, OPCDATASOURCE source, std::vector<OPCHANDLE> handles) {
  SyncRead read;
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  read.hr = io->Read(source, static_cast<DWORD>(handles.size()), handles.data(), &states, &errors);
  if (states != nullptr) read.states.assign(states, states + handles.size());
  if (errors != nullptr) read.errors.assign(errors, errors + handles.size());
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
  return read;
}

SyncWrite WriteItems(IOPCSyncIO* io, std::vector<OPCHANDLE> handles, std::vector<VARIANT> values) {
  SyncWrite write;
  HRESULT* errors = nullptr;
  write.hr = io->Write(static_cast<DWORD>(handles.size()), handles.data(), values.data(), &errors);
  if (errors != nullptr) write.errors.assign(errors, errors + handles.size());
  CoTaskMemFree(errors);
  return write;
}
