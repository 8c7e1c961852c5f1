#include "platform/classobject.h"
#include "platform/cominit.h"

#include <gtest/gtest.h>

namespace {

constexpr CLSID kClass = {0x12345678, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr CLSID kOtherClass = {0x12345679, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

// A class object whose instances are the factory itself, and which counts references.
class CountingFactory : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IUnknown || riid == IID_IClassFactory ? this : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return QueryInterface(riid, object);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

  ULONG references = 1;
};

struct ClassObjectFixture : ::testing::Test {
  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

}  // namespace

using ClassObjects = ClassObjectFixture;

TEST_F(ClassObjects, ClientsFindARegisteredClassInTheContextsItWasRegisteredFor) {
  CountingFactory factory;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  EXPECT_EQ(factory.references, 2u);

  for (DWORD context : {CLSCTX_LOCAL_SERVER, CLSCTX_ALL}) {
    void* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kClass, nullptr, context, IID_IUnknown, &object), S_OK) << context;
    EXPECT_EQ(object, static_cast<IUnknown*>(&factory));
    static_cast<IUnknown*>(object)->Release();
  }
  EXPECT_EQ(factory.references, 2u);  // the lookup's own reference was given back

  void* object = &factory;
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(kOtherClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(kClass, &factory, CLSCTX_ALL, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IMalloc, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);

  ASSERT_EQ(CoGetClassObject(kClass, CLSCTX_ALL, nullptr, IID_IClassFactory, &object), S_OK);
  EXPECT_EQ(object, static_cast<IClassFactory*>(&factory));
  static_cast<IClassFactory*>(object)->Release();

  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(factory.references, 1u);
  EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
}

TEST_F(ClassObjects, OneRegistrationPerClassAndOnlyServerContextsAndMultipleUse) {
  CountingFactory factory;
  DWORD cookie = 0;
  DWORD second = 0;
  ASSERT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTI_SEPARATE, &cookie), S_OK);
  EXPECT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &second),
            CO_E_OBJISREG);
  const DWORD kSingleUse = 0;
  EXPECT_EQ(CoRegisterClassObject(kOtherClass, &factory, CLSCTX_LOCAL_SERVER, kSingleUse, &second), E_INVALIDARG);
  EXPECT_EQ(CoRegisterClassObject(kOtherClass, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &second), E_INVALIDARG);
  EXPECT_EQ(CoRegisterClassObject(kOtherClass, nullptr, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &second),
            E_INVALIDARG);
  EXPECT_EQ(factory.references, 2u);

  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), S_OK);
  static_cast<IUnknown*>(object)->Release();
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST(ClassObjectsWithoutCom, ClientCallsNeedComOnTheCallingThread) {
  CountingFactory factory;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
  void* object = &factory;
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoGetClassObject(kClass, CLSCTX_ALL, nullptr, IID_IClassFactory, &object), CO_E_NOTINITIALIZED);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(factory.references, 1u);
}
