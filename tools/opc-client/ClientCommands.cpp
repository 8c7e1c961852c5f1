#include "ClientCommands.h"

#include "ClientGroup.h"
#include "DataChangePrinter.h"
#include "EventPrinter.h"
#include "InvariantLocale.h"
#include "StreamAdviseSink.h"
#include "ValueFormat.h"

#include <comcat.h>

#include <set>

std::atomic<ArrivalLog*> ClientCommands::running_{nullptr};

namespace {

const char* StateWord(OPCSERVERSTATE state) {
  switch (state) {
    case OPC_STATUS_RUNNING: return "running";
    case OPC_STATUS_FAILED: return "failed";
    case OPC_STATUS_NOCONFIG: return "no configuration";
    case OPC_STATUS_SUSPENDED: return "suspended";
    case OPC_STATUS_TEST: return "test";
    default: return "unknown";
  }
}

std::string GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return ValueFormat::Utf8(text);
}

// The default value of HKCR\CLSID\{class}: the server's description.
std::string ClassDescription(const CLSID& classId) {
  wchar_t key[64] = L"CLSID\\";
  StringFromGUID2(classId, key + 6, 40);
  wchar_t text[256] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
  return ValueFormat::Utf8(text);
}

}  // namespace

void ClientCommands::StopRunning() {
  if (ArrivalLog* log = running_.load()) log->Stop();
}

int ClientCommands::Run(const ClientOptions& options) {
  ClientFailure failure;
  if (options.command != ClientOptions::Command::List) failure = session_.Connect(options.progId);
  if (!failure.Failed()) {
    switch (options.command) {
      case ClientOptions::Command::List: failure = List(); break;
      case ClientOptions::Command::Status: failure = Status(); break;
      case ClientOptions::Command::Browse: failure = Browse(options.items.empty() ? L"" : options.items[0]); break;
      case ClientOptions::Command::Props: failure = Props(options.items[0]); break;
      case ClientOptions::Command::Read: failure = Read(options.items, options.device); break;
      case ClientOptions::Command::Write: failure = Write(options.items); break;
      case ClientOptions::Command::Watch: failure = Watch(options); break;
      case ClientOptions::Command::Events: failure = Events(options); break;
    }
  }
  out_.flush();
  if (!failure.Failed()) return 0;
  err_ << "opc-client: " << session_.Describe(failure) << std::endl;
  return 1;
}

ClientFailure ClientCommands::List() {
  ComPtr<ICatInformation> categories;
  HRESULT result = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ICatInformation, reinterpret_cast<void**>(categories.GetAddressOf()));
  if (FAILED(result)) return ClientFailure::Of("CoCreateInstance(StdComponentCategoriesMgr)", result);
  std::set<std::string> seen;
  for (const CATID& category : {CATID_OPCDAServer20, CATID_OPCDAServer10}) {
    ComPtr<IEnumCLSID> classes;
    CATID wanted = category;
    result = categories->EnumClassesOfCategories(1, &wanted, static_cast<ULONG>(-1), nullptr, classes.GetAddressOf());
    if (FAILED(result)) return ClientFailure::Of("ICatInformation::EnumClassesOfCategories", result);
    CLSID classId;
    ULONG fetched = 0;
    while (classes->Next(1, &classId, &fetched) == S_OK && fetched == 1) {
      const std::string guid = GuidText(classId);
      if (!seen.insert(guid).second) continue;
      LPOLESTR progId = nullptr;
      const std::string name = SUCCEEDED(ProgIDFromCLSID(classId, &progId)) ? ValueFormat::Utf8(progId) : "(no ProgID)";
      CoTaskMemFree(progId);
      out_ << name << "  " << guid << "  " << ClassDescription(classId) << "\n";
    }
  }
  return ClientFailure::None();
}

ClientFailure ClientCommands::Status() {
  OPCSERVERSTATUS* status = nullptr;
  const HRESULT result = session_.Server()->GetStatus(&status);
  if (FAILED(result) || !status) return ClientFailure::Of("IOPCServer::GetStatus", FAILED(result) ? result : E_POINTER);
  out_ << "state: " << StateWord(status->dwServerState) << "\n"
       << "vendor: " << ValueFormat::Utf8(status->szVendorInfo) << "\n"
       << "version: " << status->wMajorVersion << "." << status->wMinorVersion << "." << status->wBuildNumber << "\n"
       << "start time: " << ValueFormat::Time(status->ftStartTime) << "\n"
       << "current time: " << ValueFormat::Time(status->ftCurrentTime) << "\n"
       << "last update: " << ValueFormat::Time(status->ftLastUpdateTime) << "\n"
       << "groups: " << status->dwGroupCount << "\n";
  CoTaskMemFree(status->szVendorInfo);
  CoTaskMemFree(status);
  return ClientFailure::None();
}

ClientFailure ClientCommands::Browse(const std::wstring& filter) {
  ComPtr<IOPCBrowseServerAddressSpace> browser =
      session_.Query<IOPCBrowseServerAddressSpace>(IID_IOPCBrowseServerAddressSpace);
  if (!browser) return ClientFailure::Of("QueryInterface(IOPCBrowseServerAddressSpace)", E_NOINTERFACE);
  ComPtr<IEnumString> names;
  const HRESULT result = browser->BrowseOPCItemIDs(OPC_FLAT, filter.c_str(), VT_EMPTY, 0, names.GetAddressOf());
  if (FAILED(result)) return ClientFailure::Of("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", result);
  if (!names) return ClientFailure::None();
  LPOLESTR batch[16];
  ULONG fetched = 0;
  HRESULT next = S_OK;
  do {
    next = names->Next(16, batch, &fetched);
    if (FAILED(next)) return ClientFailure::Of("IEnumString::Next", next);
    for (ULONG i = 0; i < fetched; ++i) {
      out_ << ValueFormat::Utf8(batch[i]) << "\n";
      CoTaskMemFree(batch[i]);
    }
  } while (next == S_OK && fetched > 0);
  return ClientFailure::None();
}

ClientFailure ClientCommands::Props(const std::wstring& item) {
  ComPtr<IOPCItemProperties> properties = session_.Query<IOPCItemProperties>(IID_IOPCItemProperties);
  if (!properties) return ClientFailure::Of("QueryInterface(IOPCItemProperties)", E_NOINTERFACE);
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  std::wstring itemId = item;
  HRESULT result = properties->QueryAvailableProperties(itemId.data(), &count, &ids, &descriptions, &types);
  if (FAILED(result)) return ClientFailure::Of("IOPCItemProperties::QueryAvailableProperties", result);
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  result = properties->GetItemProperties(itemId.data(), count, ids, &values, &errors);
  for (DWORD i = 0; i < count; ++i) {
    std::string value = "(no value)";
    if (SUCCEEDED(result) && values && errors) {
      value = SUCCEEDED(errors[i]) ? ValueFormat::Value(values[i]) : "error " + session_.ErrorText(errors[i]);
      VariantClear(&values[i]);
    }
    out_ << ids[i] << "  " << ValueFormat::Utf8(descriptions[i]) << "  " << value << "\n";
    CoTaskMemFree(descriptions[i]);
  }
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
  CoTaskMemFree(ids);
  CoTaskMemFree(descriptions);
  CoTaskMemFree(types);
  if (FAILED(result)) return ClientFailure::Of("IOPCItemProperties::GetItemProperties", result);
  return ClientFailure::None();
}

ClientFailure ClientCommands::Read(const std::vector<std::wstring>& items, bool device) {
  ClientGroup group(session_.Server());
  ClientFailure failure = group.Add({});
  if (failure.Failed()) return failure;
  // An item the server refuses is reported; the others are read all the same.
  failure = group.AddItems(items);
  std::vector<OPCHANDLE> handles;
  std::vector<std::string> names;
  // A call that failed as a whole added no item at all.
  for (size_t i = 0; i < group.ServerHandles().size(); ++i) {
    if (group.ServerHandles()[i] == 0) continue;
    handles.push_back(group.ServerHandles()[i]);
    names.push_back(ValueFormat::Utf8(items[i].c_str()));
  }
  if (handles.empty()) return failure;
  ComPtr<IOPCSyncIO> io = group.Query<IOPCSyncIO>(IID_IOPCSyncIO);
  if (!io) return ClientFailure::Of("QueryInterface(IOPCSyncIO)", E_NOINTERFACE);
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT result = io->Read(device ? OPC_DS_DEVICE : OPC_DS_CACHE, static_cast<DWORD>(handles.size()),
                                  handles.data(), &states, &errors);
  if (FAILED(result)) return ClientFailure::Of("IOPCSyncIO::Read", result);
  for (size_t i = 0; i < handles.size(); ++i) {
    if (FAILED(errors[i])) {
      if (!failure.Failed()) failure = ClientFailure::Of("IOPCSyncIO::Read(" + names[i] + ")", errors[i]);
    } else {
      out_ << ValueFormat::ItemLine(names[i], states[i].vDataValue, states[i].wQuality, states[i].ftTimeStamp) << "\n";
    }
    VariantClear(&states[i].vDataValue);
  }
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
  return failure;
}

ClientFailure ClientCommands::Write(const std::vector<std::wstring>& pairs) {
  std::vector<std::wstring> items;
  std::vector<std::wstring> texts;
  for (const std::wstring& pair : pairs) {
    const size_t equals = pair.find(L'=');
    items.push_back(pair.substr(0, equals));
    texts.push_back(pair.substr(equals + 1));
  }
  ClientGroup group(session_.Server());
  ClientFailure failure = group.Add({});
  if (!failure.Failed()) failure = group.AddItems(items);
  if (failure.Failed()) return failure;
  // Each text becomes the item's own type here, read with '.' as the decimal separator.
  std::vector<VARIANT> values(items.size());
  for (size_t i = 0; i < items.size() && !failure.Failed(); ++i) {
    VariantInit(&values[i]);
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(texts[i].c_str());
    const VARTYPE canonical = group.CanonicalTypes()[i];
    const VARTYPE type = canonical == VT_EMPTY ? static_cast<VARTYPE>(VT_BSTR) : canonical;
    const HRESULT converted = VariantChangeTypeEx(&values[i], &text, kInvariantNumbers, 0, type);
    VariantClear(&text);
    if (FAILED(converted)) {
      failure = ClientFailure::Of("VariantChangeType(" + ValueFormat::Utf8(texts[i].c_str()) + ")", converted);
    }
  }
  if (!failure.Failed()) {
    ComPtr<IOPCSyncIO> io = group.Query<IOPCSyncIO>(IID_IOPCSyncIO);
    std::vector<OPCHANDLE> handles = group.ServerHandles();
    HRESULT* errors = nullptr;
    const HRESULT result = io ? io->Write(static_cast<DWORD>(handles.size()), handles.data(), values.data(), &errors)
                              : E_NOINTERFACE;
    if (FAILED(result)) failure = ClientFailure::Of("IOPCSyncIO::Write", result);
    for (size_t i = 0; errors && i < items.size(); ++i) {
      const std::string name = ValueFormat::Utf8(items[i].c_str());
      if (FAILED(errors[i])) {
        if (!failure.Failed()) failure = ClientFailure::Of("IOPCSyncIO::Write(" + name + ")", errors[i]);
      } else {
        out_ << name << "  written\n";
      }
    }
    CoTaskMemFree(errors);
  }
  for (VARIANT& value : values) VariantClear(&value);
  return failure;
}

ClientFailure ClientCommands::WaitFor(ArrivalLog& log, const ClientOptions& options, const char* what) {
  running_ = &log;
  const bool arrived = log.Wait(options.timeoutSeconds == 0 ? INFINITE : options.timeoutSeconds * 1000);
  running_ = nullptr;
  if (arrived) return ClientFailure::None();
  ClientFailure failure;
  failure.call = what;
  failure.detail = !log.Failure().empty()
                       ? log.Failure()
                       : "timed out after " + std::to_string(options.timeoutSeconds) + " s with " +
                             std::to_string(log.Count()) + " of " + std::to_string(options.count);
  return failure;
}

ClientFailure ClientCommands::Watch(const ClientOptions& options) {
  ClientGroup group(session_.Server());
  ClientGroup::Settings settings;
  settings.rateMs = options.rateMs;
  settings.deadbandPercent = options.deadbandPercent;
  ClientFailure failure = group.Add(settings);
  if (!failure.Failed()) failure = group.AddItems(options.items);
  if (failure.Failed()) return failure;
  ArrivalLog log(out_, options.count);
  if (options.version1) {
    ComPtr<IDataObject> data = group.Query<IDataObject>(IID_IDataObject);
    if (!data) return ClientFailure::Of("QueryInterface(IDataObject)", E_NOINTERFACE);
    auto* sink = new StreamAdviseSink(group, log);
    FORMATETC format{StreamAdviseSink::DataTimeFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    DWORD connection = 0;
    const HRESULT result = data->DAdvise(&format, 0, sink, &connection);
    sink->Release();
    if (FAILED(result)) return ClientFailure::Of("IDataObject::DAdvise", result);
    failure = WaitFor(log, options, "watch");
    data->DUnadvise(connection);
    return failure;
  }
  ComPtr<IConnectionPointContainer> container = group.Query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  if (!container) return ClientFailure::Of("QueryInterface(IConnectionPointContainer)", E_NOINTERFACE);
  ComPtr<IConnectionPoint> point;
  HRESULT result = container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf());
  if (FAILED(result)) return ClientFailure::Of("IConnectionPointContainer::FindConnectionPoint", result);
  auto* sink = new DataChangePrinter(group, log);
  DWORD cookie = 0;
  result = point->Advise(sink, &cookie);
  sink->Release();
  if (FAILED(result)) return ClientFailure::Of("IConnectionPoint::Advise", result);
  failure = WaitFor(log, options, "watch");
  point->Unadvise(cookie);
  return failure;
}

ClientFailure ClientCommands::Events(const ClientOptions& options) {
  ComPtr<IOPCEventServer> events = session_.Query<IOPCEventServer>(IID_IOPCEventServer);
  if (!events) return ClientFailure::Of("QueryInterface(IOPCEventServer)", E_NOINTERFACE);
  ComPtr<IUnknown> subscription;
  DWORD bufferTime = 0;
  DWORD maxSize = 0;
  HRESULT result = events->CreateEventSubscription(TRUE, 0, 0, 1, IID_IOPCEventSubscriptionMgt,
                                                   subscription.GetAddressOf(), &bufferTime, &maxSize);
  if (FAILED(result)) return ClientFailure::Of("IOPCEventServer::CreateEventSubscription", result);
  ComPtr<IConnectionPointContainer> container;
  result = subscription->QueryInterface(IID_IConnectionPointContainer,
                                        reinterpret_cast<void**>(container.GetAddressOf()));
  if (FAILED(result)) return ClientFailure::Of("QueryInterface(IConnectionPointContainer)", result);
  ComPtr<IConnectionPoint> point;
  result = container->FindConnectionPoint(IID_IOPCEventSink, point.GetAddressOf());
  if (FAILED(result)) return ClientFailure::Of("IConnectionPointContainer::FindConnectionPoint", result);
  ArrivalLog log(out_, options.count);
  auto* sink = new EventPrinter(log);
  DWORD cookie = 0;
  result = point->Advise(sink, &cookie);
  sink->Release();
  if (FAILED(result)) return ClientFailure::Of("IConnectionPoint::Advise", result);
  const ClientFailure failure = WaitFor(log, options, "events");
  point->Unadvise(cookie);
  return failure;
}
