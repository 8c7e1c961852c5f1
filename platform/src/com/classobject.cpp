#include "platform/classobject.h"

#include "com/apartment.h"

#include <mutex>
#include <vector>

namespace {

constexpr DWORD kServerContexts = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

class ClassObjectTable {
 public:
  HRESULT Register(REFCLSID clsid, IUnknown* object, DWORD context, DWORD* cookie) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const Entry& entry : entries_) {
      if (entry.clsid == clsid) return CO_E_OBJISREG;
    }
    object->AddRef();
    entries_.push_back({clsid, object, context, ++lastCookie_});
    *cookie = lastCookie_;
    return S_OK;
  }

  // The unlisted object, or null when the cookie is not registered.
  IUnknown* Revoke(DWORD cookie) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
      if (entry->cookie == cookie) {
        IUnknown* object = entry->object;
        entries_.erase(entry);
        return object;
      }
    }
    return nullptr;
  }

  // The registered object, AddRef'd, or null.
  IUnknown* Find(REFCLSID clsid, DWORD context) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const Entry& entry : entries_) {
      if (entry.clsid == clsid && (entry.context & context) != 0) {
        entry.object->AddRef();
        return entry.object;
      }
    }
    return nullptr;
  }

 private:
  struct Entry {
    CLSID clsid;
    IUnknown* object;
    DWORD context;
    DWORD cookie;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
  DWORD lastCookie_ = 0;
};

// Never destroyed: servers revoke their registrations from static destructors.
ClassObjectTable& Table() {
  static ClassObjectTable* table = new ClassObjectTable;
  return *table;
}

}  // namespace

HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                              LPDWORD lpdwRegister) {
  if (pUnk == nullptr || lpdwRegister == nullptr) return E_INVALIDARG;
  if ((dwClsContext & kServerContexts) == 0 || (dwClsContext & ~kServerContexts) != 0) return E_INVALIDARG;
  if (flags != REGCLS_MULTIPLEUSE && flags != REGCLS_MULTI_SEPARATE) return E_INVALIDARG;
  return Table().Register(rclsid, pUnk, dwClsContext, lpdwRegister);
}

HRESULT CoRevokeClassObject(DWORD dwRegister) {
  IUnknown* object = Table().Revoke(dwRegister);
  if (object == nullptr) return CO_E_OBJNOTREG;
  object->Release();
  return S_OK;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO* pServerInfo, REFIID riid,
                         LPVOID* ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (pServerInfo != nullptr) return E_INVALIDARG;
  if (!IsComInitializedOnThisThread()) return CO_E_NOTINITIALIZED;
  IUnknown* object = Table().Find(rclsid, dwClsContext);
  if (object == nullptr) return REGDB_E_CLASSNOTREG;
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  void* factory = nullptr;
  HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, &factory);
  if (FAILED(hr)) return hr;
  hr = static_cast<IClassFactory*>(factory)->CreateInstance(pUnkOuter, riid, ppv);
  static_cast<IClassFactory*>(factory)->Release();
  if (FAILED(hr)) *ppv = nullptr;
  return hr;
}
