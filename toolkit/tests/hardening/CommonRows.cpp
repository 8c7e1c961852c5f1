#include "hardening/CommonRows.h"

#include <memory>

#include "platform/IConnectionPoint.h"
#include "platform/IEnumConnectionPoints.h"
#include "platform/IEnumConnections.h"
#include "platform/hresult.h"

const IID kUnknownIid = {0x5A17E2C4, 0x0B61, 0x4D2E, {0x9F, 0x10, 0x2B, 0x7C, 0x44, 0x8E, 0x61, 0xD3}};

void AddQueryInterfaceRows(BadInputTable& table, const std::string& name, IUnknown* object) {
  table.Add(name + "::QueryInterface", "null out-pointer", E_INVALIDARG,
            [=] { return object->QueryInterface(IID_IUnknown, nullptr); });
  table.Add(name + "::QueryInterface", "unknown IID", E_NOINTERFACE, [=] {
    void* out = object;
    const HRESULT hr = object->QueryInterface(kUnknownIid, &out);
    return out == nullptr ? hr : kWrongOutputs;
  });
}

void AddConnectionPointRows(BadInputTable& table, const std::string& name, IConnectionPointContainer* container,
                            REFIID sinkIid, IUnknown* sink, IUnknown* wrongSink, HRESULT nullOut) {
  const std::string containerName = name + " container";
  AddQueryInterfaceRows(table, containerName, container);
  table.Add(containerName + "::EnumConnectionPoints", "null out-pointer", nullOut,
            [=] { return container->EnumConnectionPoints(nullptr); });
  table.Add(containerName + "::FindConnectionPoint", "null out-pointer", nullOut,
            [=] { return container->FindConnectionPoint(sinkIid, nullptr); });
  table.Add(containerName + "::FindConnectionPoint", "unknown IID", E_NOINTERFACE, [=] {
    IConnectionPoint* point = nullptr;
    return container->FindConnectionPoint(kUnknownIid, &point);
  });

  IConnectionPoint* point = nullptr;
  if (container->FindConnectionPoint(sinkIid, &point) != S_OK) {
    table.Add(containerName + "::FindConnectionPoint", "its own IID", S_OK, [] { return E_FAIL; });
    return;
  }
  // The table holds the point for its rows; the last row lets it go.
  const std::string pointName = name + " point";
  AddQueryInterfaceRows(table, pointName, point);
  table.Add(pointName + "::GetConnectionInterface", "null out-pointer", E_INVALIDARG,
            [=] { return point->GetConnectionInterface(nullptr); });
  table.Add(pointName + "::GetConnectionPointContainer", "null out-pointer", E_INVALIDARG,
            [=] { return point->GetConnectionPointContainer(nullptr); });
  table.Add(pointName + "::Advise", "null sink", E_POINTER, [=] {
    DWORD cookie = 0;
    return point->Advise(nullptr, &cookie);
  });
  table.Add(pointName + "::Advise", "null cookie out-pointer", E_POINTER, [=] { return point->Advise(sink, nullptr); });
  table.Add(pointName + "::Advise", "sink of another interface", CONNECT_E_CANNOTCONNECT, [=] {
    DWORD cookie = 0;
    return point->Advise(wrongSink, &cookie);
  });
  for (DWORD cookie : {0u, 0xFFFFFFFFu, 1u}) {
    table.Add(pointName + "::Unadvise", "cookie " + std::to_string(cookie) + " with no sink", CONNECT_E_NOCONNECTION,
              [=] { return point->Unadvise(cookie); });
  }
  table.Add(pointName + "::Advise", "a second sink", CONNECT_E_ADVISELIMIT, [=] {
    DWORD cookie = 0;
    const HRESULT first = point->Advise(sink, &cookie);
    const HRESULT second = point->Advise(sink, &cookie);
    return first == S_OK ? second : first;
  });
  table.Add(pointName + "::Unadvise", "cookie 0xFFFFFFFF with a sink", CONNECT_E_NOCONNECTION,
            [=] { return point->Unadvise(0xFFFFFFFF); });
  // The connections enumerator, made while the sink is advised.
  const std::string connectionsName = name + " connections enumerator";
  auto connections = std::make_shared<IEnumConnections*>(nullptr);
  table.Add(pointName + "::EnumConnections", "with a sink", S_OK,
            [=] { return point->EnumConnections(connections.get()); });
  const auto withConnections = [=](std::function<HRESULT(IEnumConnections*)> call) {
    return [=] { return *connections != nullptr ? call(*connections) : kWrongOutputs; };
  };
  table.Add(connectionsName + "::Next", "count 2, null fetched", E_POINTER, withConnections([](IEnumConnections* e) {
              CONNECTDATA fetched[2] = {};
              return e->Next(2, fetched, nullptr);
            }));
  table.Add(connectionsName + "::Next", "count 1, null array", E_POINTER, withConnections([](IEnumConnections* e) {
              ULONG fetched = 0;
              return e->Next(1, nullptr, &fetched);
            }));
  table.Add(connectionsName + "::Next", "count 0x7FFFFFFF, array of one", S_FALSE,
            withConnections([](IEnumConnections* e) {
              CONNECTDATA fetched[1] = {};
              ULONG count = 0;
              const HRESULT hr = e->Next(kHugeCount, fetched, &count);
              if (fetched[0].pUnk != nullptr) fetched[0].pUnk->Release();
              return count == 1 ? hr : kWrongOutputs;
            }));
  table.Add(connectionsName + "::Skip", "count 0xFFFFFFFF", S_FALSE, withConnections([](IEnumConnections* e) {
              e->Reset();
              e->Skip(1);
              return e->Skip(0xFFFFFFFF);
            }));
  table.Add(connectionsName + "::Clone", "null out-pointer", E_INVALIDARG,
            withConnections([](IEnumConnections* e) { return e->Clone(nullptr); }));
  table.Add(connectionsName, "released", 0, withConnections([](IEnumConnections* e) {
              e->Release();
              return S_OK;
            }));
  table.Add(pointName + "::Unadvise", "a cookie already unadvised", CONNECT_E_NOCONNECTION, [=] {
    const HRESULT first = point->Unadvise(1);
    const HRESULT second = point->Unadvise(1);
    return first == S_OK ? second : first;
  });
  table.Add(pointName + "::EnumConnections", "null out-pointer", E_INVALIDARG,
            [=] { return point->EnumConnections(nullptr); });

  const std::string enumeratorName = name + " points enumerator";
  IEnumConnectionPoints* points = nullptr;
  if (container->EnumConnectionPoints(&points) != S_OK) {
    point->Release();
    table.Add(containerName + "::EnumConnectionPoints", "a good out-pointer", S_OK, [] { return E_FAIL; });
    return;
  }
  AddQueryInterfaceRows(table, enumeratorName, points);
  table.Add(enumeratorName + "::Next", "count 2, null fetched", E_POINTER, [=] {
    IConnectionPoint* fetched[2] = {};
    return points->Next(2, fetched, nullptr);
  });
  table.Add(enumeratorName + "::Next", "count 1, null array", E_POINTER, [=] {
    ULONG fetched = 0;
    return points->Next(1, nullptr, &fetched);
  });
  table.Add(enumeratorName + "::Next", "count 0x7FFFFFFF, array of one", S_FALSE, [=] {
    IConnectionPoint* fetched[1] = {};
    ULONG count = 0;
    const HRESULT hr = points->Next(kHugeCount, fetched, &count);
    if (fetched[0] != nullptr) fetched[0]->Release();
    return count == 1 ? hr : kWrongOutputs;
  });
  for (ULONG count : std::initializer_list<ULONG>{0xFFFFFFFFu, kHugeCount}) {
    table.Add(enumeratorName + "::Skip", "count " + std::to_string(count), S_FALSE, [=] {
      points->Reset();
      return points->Skip(count);
    });
  }
  table.Add(enumeratorName + "::Clone", "null out-pointer", E_INVALIDARG, [=] { return points->Clone(nullptr); });
  table.Add(enumeratorName, "released", 0, [=] {
    point->Release();
    points->Release();
    return 0;
  });
}
