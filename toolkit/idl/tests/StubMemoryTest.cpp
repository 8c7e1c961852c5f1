// The stubs of OpcProxyStub.dll free what they take for a call. An [in] array
// whose elements hold texts, blobs or VARIANTs cannot be used where it lies in
// the call's buffer: the receiving stub copies it into task memory and frees
// the copy once the call is over, whichever side receives it (the server for
// item definitions and writes, the client for data changes and events).
//
// The object lives in this process's multithreaded apartment and is called
// from a single-threaded apartment of the same process, so each call goes
// through a proxy and a stub as between processes, and the count of this
// process's task-allocator blocks sees both.

#include "ProxyStubRegistration.h"

#include "platform/taskmemory.h"

#include <OpcInterfaces.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

// Takes the calls of the interfaces it offers, counts them and answers S_OK
// without results; methods no case calls answer E_NOTIMPL.
class ArrayTaker final : public IOPCSyncIO,
                         public IOPCItemMgt,
                         public IOPCEventSubscriptionMgt,
                         public IOPCDataCallback,
                         public IOPCEventSink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCSyncIO)) *object = static_cast<IOPCSyncIO*>(this);
    if (IsEqualIID(riid, IID_IOPCItemMgt)) *object = static_cast<IOPCItemMgt*>(this);
    if (IsEqualIID(riid, IID_IOPCEventSubscriptionMgt)) *object = static_cast<IOPCEventSubscriptionMgt*>(this);
    if (IsEqualIID(riid, IID_IOPCDataCallback)) *object = static_cast<IOPCDataCallback*>(this);
    if (IsEqualIID(riid, IID_IOPCEventSink)) *object = static_cast<IOPCEventSink*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOPCSyncIO
  HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE, DWORD, OPCHANDLE*, OPCITEMSTATE**, HRESULT**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Write(DWORD, OPCHANDLE*, VARIANT*, HRESULT** errors) override { return Took(errors); }

  // IOPCItemMgt
  HRESULT STDMETHODCALLTYPE AddItems(DWORD, OPCITEMDEF*, OPCITEMRESULT** results, HRESULT** errors) override {
    *results = nullptr;
    return Took(errors);
  }
  HRESULT STDMETHODCALLTYPE ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT** results,
                                          HRESULT** errors) override {
    *results = nullptr;
    return Took(errors);
  }
  HRESULT STDMETHODCALLTYPE RemoveItems(DWORD, OPCHANDLE*, HRESULT** errors) override { return Took(errors); }
  HRESULT STDMETHODCALLTYPE SetActiveState(DWORD, OPCHANDLE*, BOOL, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD, OPCHANDLE*, OPCHANDLE*, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD, OPCHANDLE*, VARTYPE*, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID, LPUNKNOWN*) override { return E_NOTIMPL; }

  // IOPCEventSubscriptionMgt
  HRESULT STDMETHODCALLTYPE SetFilter(DWORD, DWORD, DWORD*, DWORD, DWORD, DWORD, LPWSTR*, DWORD, LPWSTR*) override {
    return Took();
  }
  HRESULT STDMETHODCALLTYPE GetFilter(DWORD*, DWORD*, DWORD**, DWORD*, DWORD*, DWORD*, LPWSTR**, DWORD*,
                                      LPWSTR**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SelectReturnedAttributes(DWORD, DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetReturnedAttributes(DWORD, DWORD*, DWORD**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Refresh(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CancelRefresh(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetState(BOOL*, DWORD*, DWORD*, OPCHANDLE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetState(BOOL*, DWORD*, DWORD*, OPCHANDLE, DWORD*, DWORD*) override { return E_NOTIMPL; }

  // IOPCDataCallback
  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                         FILETIME*, HRESULT*) override {
    return Took();
  }
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                           FILETIME*, HRESULT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD, OPCHANDLE) override { return E_NOTIMPL; }

  // IOPCEventSink
  HRESULT STDMETHODCALLTYPE OnEvent(OPCHANDLE, BOOL, BOOL, DWORD, ONEVENTSTRUCT*) override { return Took(); }

  ULONG Calls() const { return calls_; }

 private:
  ~ArrayTaker() = default;

  HRESULT Took(HRESULT** errors = nullptr) {
    if (errors) *errors = nullptr;
    ++calls_;
    return S_OK;
  }

  std::atomic<ULONG> references_{1};
  std::atomic<ULONG> calls_{0};
};

// The arrays the cases send: three elements each, with texts in and out of
// the 8-bit code pages' reach, a blob and a VARIANT holding a BSTR.
struct Arrays {
  Arrays() {
    for (VARIANT& value : values) VariantInit(&value);
    V_VT(&values[0]) = VT_I4;
    V_I4(&values[0]) = 42;
    V_VT(&values[1]) = VT_BSTR;
    V_BSTR(&values[1]) = SysAllocString(L"一号泵运行中");
    V_VT(&values[2]) = VT_R8;
    V_R8(&values[2]) = -0.5;
    for (DWORD i = 0; i < 3; ++i) {
      items[i].szAccessPath = const_cast<LPWSTR>(L"");
      items[i].szItemID = texts[i];
      items[i].bActive = TRUE;
      items[i].hClient = i + 1;
      events[i].szSource = texts[i];
      events[i].szMessage = const_cast<LPWSTR>(L"温度过高");
      events[i].dwEventType = OPC_SIMPLE_EVENT;
    }
    items[1].dwBlobSize = sizeof blob;
    items[1].pBlob = blob;
    events[0].dwNumEventAttrs = 3;
    events[0].pEventAttributes = values;
  }
  ~Arrays() {
    for (VARIANT& value : values) VariantClear(&value);
  }

  LPWSTR texts[3] = {const_cast<LPWSTR>(L"P1.Analog.Temp"), const_cast<LPWSTR>(L"泵站.一号泵"),
                     const_cast<LPWSTR>(L"")};
  OPCHANDLE handles[3] = {11, 12, 13};
  VARIANT values[3];
  WORD qualities[3] = {OPC_QUALITY_GOOD, OPC_QUALITY_BAD, OPC_QUALITY_GOOD};
  FILETIME times[3] = {{1, 2}, {3, 4}, {5, 6}};
  HRESULT errors[3] = {S_OK, OPC_E_BADRIGHTS, S_OK};
  DWORD categories[3] = {1, 2, 3};
  BYTE blob[4] = {1, 2, 3, 4};
  OPCITEMDEF items[3] = {};
  ONEVENTSTRUCT events[3] = {};
};

template <typename Interface>
HRESULT Through(IUnknown* proxy, REFIID iid, const std::function<HRESULT(Interface*)>& call) {
  Interface* object = nullptr;
  const HRESULT found = proxy->QueryInterface(iid, reinterpret_cast<void**>(&object));
  if (FAILED(found)) return found;
  const HRESULT result = call(object);
  object->Release();
  return result;
}

struct InArrayCall {
  const char* name;
  std::function<HRESULT(IUnknown*, Arrays&)> call;
};

const InArrayCall kCalls[] = {
    {"IOPCSyncIO::Write (VARIANTs)",
     [](IUnknown* proxy, Arrays& a) {
       return Through<IOPCSyncIO>(proxy, IID_IOPCSyncIO, [&](IOPCSyncIO* io) {
         HRESULT* errors = nullptr;
         return io->Write(3, a.handles, a.values, &errors);
       });
     }},
    {"IOPCItemMgt::AddItems (item definitions)",
     [](IUnknown* proxy, Arrays& a) {
       return Through<IOPCItemMgt>(proxy, IID_IOPCItemMgt, [&](IOPCItemMgt* items) {
         OPCITEMRESULT* results = nullptr;
         HRESULT* errors = nullptr;
         return items->AddItems(3, a.items, &results, &errors);
       });
     }},
    {"IOPCItemMgt::ValidateItems (item definitions)",
     [](IUnknown* proxy, Arrays& a) {
       return Through<IOPCItemMgt>(proxy, IID_IOPCItemMgt, [&](IOPCItemMgt* items) {
         OPCITEMRESULT* results = nullptr;
         HRESULT* errors = nullptr;
         return items->ValidateItems(3, a.items, TRUE, &results, &errors);
       });
     }},
    {"IOPCItemMgt::RemoveItems (handles, used in place)",
     [](IUnknown* proxy, Arrays& a) {
       return Through<IOPCItemMgt>(proxy, IID_IOPCItemMgt, [&](IOPCItemMgt* items) {
         HRESULT* errors = nullptr;
         return items->RemoveItems(3, a.handles, &errors);
       });
     }},
    {"IOPCEventSubscriptionMgt::SetFilter (texts)",
     [](IUnknown* proxy, Arrays& a) {
       return Through<IOPCEventSubscriptionMgt>(
           proxy, IID_IOPCEventSubscriptionMgt, [&](IOPCEventSubscriptionMgt* subscription) {
             return subscription->SetFilter(OPC_ALL_EVENTS, 3, a.categories, 1, 1000, 3, a.texts, 3, a.texts);
           });
     }},
    {"IOPCDataCallback::OnDataChange (VARIANTs)",
     [](IUnknown* proxy, Arrays& a) {
       return Through<IOPCDataCallback>(proxy, IID_IOPCDataCallback, [&](IOPCDataCallback* callback) {
         return callback->OnDataChange(1, 2, S_OK, S_OK, 3, a.handles, a.values, a.qualities, a.times, a.errors);
       });
     }},
    {"IOPCEventSink::OnEvent (events with attributes)",
     [](IUnknown* proxy, Arrays& a) {
       return Through<IOPCEventSink>(proxy, IID_IOPCEventSink,
                                     [&](IOPCEventSink* sink) { return sink->OnEvent(5, FALSE, FALSE, 3, a.events); });
     }},
};

class StubMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    ASSERT_EQ(ProxyStubRegistration::Register(), S_OK);
    taker_ = new ArrayTaker();
  }
  void TearDown() override {
    taker_->Release();
    CoUninitialize();
  }

  // Runs `work` on a thread of a single-threaded apartment, with a proxy of the object.
  void FromAnotherApartment(const std::function<void(IUnknown*)>& work) {
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IUnknown, static_cast<IOPCSyncIO*>(taker_), &stream), S_OK);
    std::thread caller([&] {
      ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
      IUnknown* proxy = nullptr;
      EXPECT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_IUnknown, reinterpret_cast<void**>(&proxy)), S_OK);
      if (proxy) {
        work(proxy);
        proxy->Release();
      }
      CoUninitialize();
    });
    caller.join();
  }

  ArrayTaker* taker_ = nullptr;
};

TEST_F(StubMemory, EveryCallFreesTheInArraysItsStubCopied) {
  constexpr int kRepeats = 4;
  FromAnotherApartment([&](IUnknown* proxy) {
    Arrays arrays;
    for (const InArrayCall& call : kCalls) {
      SCOPED_TRACE(call.name);
      // The first call makes what COM keeps for the interface (its proxy and stub).
      ASSERT_EQ(call.call(proxy, arrays), S_OK);
      const ULONG callsBefore = taker_->Calls();
      const size_t blocksBefore = TaskMemoryLiveBlocks();
      for (int i = 0; i < kRepeats; ++i) EXPECT_EQ(call.call(proxy, arrays), S_OK);
      EXPECT_EQ(taker_->Calls() - callsBefore, static_cast<ULONG>(kRepeats)) << "calls that reached the object";
      EXPECT_EQ(static_cast<long long>(TaskMemoryLiveBlocks()) - static_cast<long long>(blocksBefore), 0)
          << "blocks left open by " << kRepeats << " calls";
    }
  });
}

}  // namespace
