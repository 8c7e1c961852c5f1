// Values passed as references (VT_BYREF) are stored as the value referred to:
// the library never keeps a pointer into the caller's memory.
#include "app/CVorlixApp.h"
#include "da/group/OPCGroupItem.h"
#include "support/EventLog.h"
#include "support/HostCalls.h"
#include "tags/OPCTag.h"

#include "platform/bstr.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

VARIANT ReferenceTo(double* value) {
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_R8 | VT_BYREF;
  reference.pdblVal = value;
  return reference;
}

double StoredR8(DWORD tag) {
  TagReading reading = ReadTagState(tag);
  EXPECT_TRUE(reading.found);
  EXPECT_EQ(reading.value.vt, VT_R8);
  const double value = reading.value.vt == VT_R8 ? reading.value.dblVal : -1.0;
  VariantClear(&reading.value);
  return value;
}

}  // namespace

TEST(ReferenceValue, EveryHostPathStoresTheReferredValue) {
  const struct {
    const char* path;
    std::function<DWORD(VARIANT)> store;  // gives the tag it stored into
  } paths[] = {
      {"CreateTag", [](VARIANT v) { return CreateTag(std::string("Made").data(), v, OPC_QUALITY_GOOD, TRUE); }},
      {"CreateSecureTag",
       [](VARIANT v) { return CreateSecureTag(std::string("Secure").data(), v, OPC_QUALITY_GOOD, 0, 0); }},
      {"UpdateTag",
       [](VARIANT v) {
         const DWORD tag = NewTag("Updated");
         EXPECT_TRUE(UpdateTag(tag, v, OPC_QUALITY_GOOD));
         return tag;
       }},
      {"UpdateTagWithTimeStamp",
       [](VARIANT v) {
         const DWORD tag = NewTag("Stamped");
         EXPECT_TRUE(UpdateTagWithTimeStamp(tag, v, OPC_QUALITY_GOOD, FILETIME{1, 1}));
         return tag;
       }},
      {"UpdateTagByName",
       [](VARIANT v) {
         const DWORD tag = NewTag("Named");
         EXPECT_TRUE(UpdateTagByName(std::string("Named").data(), v, OPC_QUALITY_GOOD));
         return tag;
       }},
      {"UpdateTagToList",
       [](VARIANT v) {
         const DWORD tag = NewTag("Batched");
         EXPECT_TRUE(StartUpdateTags());
         EXPECT_TRUE(UpdateTagToList(tag, v, OPC_QUALITY_GOOD));
         EXPECT_TRUE(EndUpdateTags());
         return tag;
       }},
  };
  for (const auto& path : paths) {
    double hostValue = 2.5;
    const DWORD tag = path.store(ReferenceTo(&hostValue));
    ASSERT_NE(tag, VORLIX_INVALID_TAG) << path.path;
    // The host's variable changes (or goes) afterwards.
    hostValue = 99.0;
    EXPECT_EQ(StoredR8(tag), 2.5) << path.path;
  }
}

TEST(ReferenceValue, PropertiesAndEventAttributesKeepTheReferredValue) {
  double hostValue = 7.0;
  const DWORD tag = NewTag("WithProperty");
  EXPECT_TRUE(SetTagProperties(tag, 5000, std::string("Limit").data(), ReferenceTo(&hostValue)));
  EventLog events;
  ONEVENTSTRUCT event{};
  VARIANT attribute = ReferenceTo(&hostValue);
  event.dwNumEventAttrs = 1;
  event.pEventAttributes = &attribute;
  EXPECT_TRUE(UserAEMessageEx(event));
  hostValue = 99.0;

  VARIANT property;
  VariantInit(&property);
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    EXPECT_EQ(VorlixApp().TagFromHandle(tag)->GetPropertyValue(5000, &property), S_OK);
  }
  EXPECT_EQ(property.vt, VT_R8);
  EXPECT_EQ(property.dblVal, 7.0);
  ASSERT_EQ(events.Size(), 1u);
  ASSERT_EQ(events[0].dwNumEventAttrs, 1u);
  EXPECT_EQ(events[0].pEventAttributes[0].vt, VT_R8);
  EXPECT_EQ(events[0].pEventAttributes[0].dblVal, 7.0);
}

TEST(ReferenceValue, AClientWriteOfAReferenceCachesTheReferredValue) {
  OPCGroupItem item;
  item.accessRights = OPC_WRITEABLE;
  item.canonicalType = VT_BSTR;
  BSTR text = SysAllocString(OLESTR("client text"));
  VARIANT written;
  VariantInit(&written);
  written.vt = VT_BSTR | VT_BYREF;
  written.pbstrVal = &text;
  EXPECT_EQ(item.CheckWrite(&written), S_OK);
  SysFreeString(text);
  text = nullptr;
  ASSERT_EQ(item.value.vt, VT_BSTR);
  EXPECT_EQ(WideString(item.value.bstrVal), OLESTR("client text"));
  VariantClear(&written);
}
