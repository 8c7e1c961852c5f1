// The item record: cached reads in the requested type, the write check, copies
// and the room its value takes in a data stream.
#include "app/CVorlixApp.h"
#include "da/group/OPCGroupItem.h"
#include "support/HostCalls.h"

#include "platform/bstr.h"
#include "platform/safearray.h"

#include <gtest/gtest.h>

namespace {

VARIANT MakeI4Array(ULONG elements) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_I4;
  v.parray = SafeArrayCreateVector(VT_I4, 0, elements);
  return v;
}

// An item holding `value` with the given rights and requested type.
void Hold(OPCGroupItem& item, VARIANT value, DWORD rights, VARTYPE requested = VT_EMPTY) {
  VariantClear(&item.value);
  item.value = value;
  item.canonicalType = value.vt;
  item.accessRights = rights;
  item.requestedType = requested;
  item.quality = OPC_QUALITY_GOOD;
  item.timestamp = {5, 6};
}

}  // namespace

TEST(GroupItem, CachedReadsComeInTheRequestedType) {
  OPCGroupItem item;
  Hold(item, MakeR8(2.5), OPC_READABLE);
  const struct {
    VARTYPE requested;
    HRESULT hr;
    VARTYPE read;
    WORD quality;
  } cases[] = {
      {VT_EMPTY, S_OK, VT_R8, OPC_QUALITY_GOOD},
      {VT_BSTR, S_OK, VT_BSTR, OPC_QUALITY_GOOD},
      {VT_UNKNOWN, DISP_E_TYPEMISMATCH, VT_EMPTY, OPC_QUALITY_BAD},
  };
  for (const auto& c : cases) {
    item.requestedType = c.requested;
    VARIANT value;
    VariantInit(&value);
    WORD quality = 0xFF;
    FILETIME time = {0, 0};
    EXPECT_EQ(item.ReadCached(&value, &quality, &time), c.hr) << c.requested;
    EXPECT_EQ(value.vt, c.read) << c.requested;
    EXPECT_EQ(quality, c.quality) << c.requested;
    EXPECT_EQ(time.dwLowDateTime, 5u);
    VariantClear(&value);
  }
  EXPECT_EQ(item.value.vt, VT_R8);  // the cache keeps its own type

  item.accessRights = OPC_WRITEABLE;
  WORD quality = 0x77;
  EXPECT_EQ(item.ReadCached(nullptr, &quality, nullptr), OPC_E_BADRIGHTS);
  EXPECT_EQ(quality, 0x77);
}

TEST(GroupItem, WritesNeedTheRightAndConvertOnlyWhenTheHostAsks) {
  OPCGroupItem item;
  Hold(item, MakeI4(1), OPC_READABLE);
  item.changed = FALSE;
  VARIANT text = MakeBstr(OLESTR("12"));
  EXPECT_EQ(item.CheckWrite(&text), OPC_E_BADRIGHTS);
  EXPECT_EQ(item.value.lVal, 1);
  EXPECT_FALSE(item.changed);

  item.accessRights = OPC_READABLE | OPC_WRITEABLE;
  ASSERT_TRUE(VorlixApp().EnableWriteNotification(nullptr, TRUE) == FALSE);
  EXPECT_EQ(item.CheckWrite(&text), S_OK);
  EXPECT_EQ(text.vt, VT_I4);  // converted in place
  EXPECT_EQ(item.value.vt, VT_I4);
  EXPECT_EQ(item.value.lVal, 12);
  EXPECT_TRUE(item.changed);
  VARIANT word = MakeBstr(OLESTR("twelve"));
  EXPECT_EQ(item.CheckWrite(&word), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(item.value.lVal, 12);

  VorlixApp().EnableWriteNotification(nullptr, FALSE);
  EXPECT_EQ(item.CheckWrite(&word), S_OK);
  EXPECT_EQ(item.value.vt, VT_BSTR);  // stored as sent
  VariantClear(&word);
  VariantClear(&text);
}

TEST(GroupItem, ConvertedArrayWritesKeepTheShape) {
  VorlixApp().EnableWriteNotification(nullptr, TRUE);
  OPCGroupItem item;
  Hold(item, MakeI4Array(3), OPC_WRITEABLE);
  VARIANT longer = MakeI4Array(4);
  EXPECT_EQ(item.CheckWrite(&longer), DISP_E_TYPEMISMATCH);
  VARIANT same = MakeI4Array(3);
  EXPECT_EQ(item.CheckWrite(&same), S_OK);
  VariantClear(&longer);
  VariantClear(&same);
}

TEST(GroupItem, CopiesKeepAFreshUserNameAndChangedFlag) {
  OPCGroupItem item;
  Hold(item, MakeBstr(OLESTR("abc")), OPC_READABLE, VT_EMPTY);
  item.AssignServerHandle();
  item.clientHandle = 4;
  item.SetUserName("alice");
  item.changed = FALSE;
  item.SetNames("Text", "Plant");
  OPCGroupItem copy;
  ASSERT_TRUE(copy.CopyFrom(item));
  EXPECT_EQ(copy.serverHandle, item.serverHandle);
  EXPECT_EQ(copy.clientHandle, 4u);
  EXPECT_EQ(copy.FullName(), "Plant.Text");
  EXPECT_EQ(copy.ItemId(), "Text");
  EXPECT_EQ(copy.AccessPath(), "Plant");
  EXPECT_EQ(copy.UserName(), "Unknown");
  EXPECT_TRUE(copy.changed);
  EXPECT_NE(copy.value.bstrVal, item.value.bstrVal);  // a deep copy
  // A copy given a handle of its own does not take the original's.
  copy.AssignServerHandle();
  EXPECT_NE(copy.serverHandle, item.serverHandle);
}

TEST(GroupItem, StreamRoomOfTheValueInTheRequestedType) {
  OPCGroupItem item;
  Hold(item, MakeI4(7), OPC_READABLE);
  EXPECT_EQ(item.ValueStreamSize(), 16u);
  item.requestedType = VT_BSTR;  // "7": length prefix, one character, terminator
  EXPECT_EQ(item.ValueStreamSize(), 16u + 4 + 2 + 2);
  Hold(item, MakeBstr(OLESTR("abc")), OPC_READABLE);
  EXPECT_EQ(item.ValueStreamSize(), 16u + 4 + 6 + 2);
  item.requestedType = VT_I4;  // does not convert: an empty value
  EXPECT_EQ(item.ValueStreamSize(), 16u);
}
