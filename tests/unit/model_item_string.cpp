// The record writer, and records that go out through ItemString and back in through
// AddItem.
#include <gtest/gtest.h>

#include <string>

#include "model/properties.h"
#include "model/record.h"
#include "model/store.h"

using model::Store;
using namespace std::string_literals;

namespace {

TEST(ItemString, FieldOrderAndDisplayStyle) {
  Store store;
  model::AddItem(store, "TAB:Main,TEXT:Node,ID:top");
  model::AddItem(store,
                 "TAB:Main,TEXT:Leaf,ID:leaf,PARENT:top,BOLD:1,EXPAND:1,CPIC:3,OPIC:4,LEVEL:7");
  EXPECT_EQ(model::ItemString(store, "top"), "TAB:Main,TEXT:Node,ID:top,ENABLE:1");
  EXPECT_EQ(model::ItemString(store, "leaf"),
            "PARENT:top,TAB:Main,TEXT:Leaf,ID:leaf,CPIC:3,OPIC:4,ENABLE:1,BOLD:1,EXPAND:1");
  store.SetDisplayStyle(model::kDisplayTabsOnly);
  EXPECT_EQ(model::ItemString(store, "top"), "TEXT:Node,ID:top,ENABLE:1");
  store.SetDisplayStyle(model::kDisplayTreeOnly);
  EXPECT_EQ(model::ItemString(store, "leaf"),
            "PARENT:top,TEXT:Leaf,ID:leaf,CPIC:3,OPIC:4,ENABLE:1,BOLD:1,EXPAND:1");
  EXPECT_EQ(model::ItemString(store, "nobody"), "");
}

TEST(ItemString, EveryOptionalField) {
  Store store;
  store.SetDelimiter(';');  // the writer always uses commas
  model::AddItem(store,
                 "TAB:T;TEXT:x;ID:a;HREF:h;FRAME:f;TAG:g;CPIC:-3;OPIC:54;OVERLAY:8;ENABLE:0;"
                 "SELECT:1;HASCHILDREN:1");
  EXPECT_EQ(model::ItemString(store, "a"),
            "TAB:T,TEXT:x,ID:a,HREF:h,FRAME:f,TAG:g,CPIC:-3,OPIC:54,OVERLAY:8,ENABLE:0,"
            "SELECT:1,HASCHILDREN:1");
  model::PutTextProperty(store, "a", model::TextField::kText, "");
  model::PutNumberProperty(store, "a", model::NumberField::kCpic, INT32_MIN);
  EXPECT_EQ(model::ItemString(store, "a").substr(0, 18), "TAB:T,TEXT:,ID:a,H");
  EXPECT_NE(model::ItemString(store, "a").find(",CPIC:-2147483648,"), std::string::npos);
}

TEST(ItemString, TabNameFollowsTabRemoval) {
  Store store;
  model::AddItem(store, "TAB:T1,TEXT:x,ID:a");
  model::AddItem(store, "TAB:T2,TEXT:x,ID:b");
  model::AddItem(store, "TAB:T3,TEXT:x,ID:c");
  store.RemoveTab("T2");
  EXPECT_EQ(model::ItemString(store, "c"), "TAB:T3,TEXT:x,ID:c,ENABLE:1");
}

// The item with the ID that was added last.
const model::Item& LastWithId(const Store& store, std::string_view id) {
  model::Seq last = store.FindItem(id);
  for (model::Seq s = last; s != model::kNoSeq; s = store.FindNextWithId(id, s)) last = s;
  return *store.FindItemPtr(last);
}

void ExpectSameFields(const model::Item& a, const model::Item& b) {
  EXPECT_EQ(a.ID(), b.ID());
  EXPECT_EQ(a.Parent(), b.Parent());
  EXPECT_EQ(a.TabIndex(), b.TabIndex());
  EXPECT_EQ(a.Text, b.Text);
  EXPECT_EQ(a.Href, b.Href);
  EXPECT_EQ(a.Frame, b.Frame);
  EXPECT_EQ(a.Tag, b.Tag);
  EXPECT_EQ(a.Cpic, b.Cpic);
  EXPECT_EQ(a.Opic, b.Opic);
  EXPECT_EQ(a.Flags, b.Flags);
  EXPECT_EQ(a.OverlayPic, b.OverlayPic);
  EXPECT_EQ(a.ItemEnabled, b.ItemEnabled);
  EXPECT_EQ(a.HasChildren, b.HasChildren);
}

TEST(ItemString, RoundTripKeepsFieldsButDerivesLevelAgain) {
  Store store;
  model::AddItemList(store,
                     "TAB:Main,TEXT:Root,ID:r,HREF:http://h/x?a=1,FRAME:f,TAG:t:=,CPIC:2,OPIC:9\n"
                     "TAB:Main,TEXT:Kid,ID:k,PARENT:r,SELECT:1,OVERLAY:2,ENABLE:0,HASCHILDREN:1\n"
                     "TAB:Other,TEXT:N\0ul,ID:n\0\0,TAG:\0"s);
  model::PutNumberProperty(store, "r", model::NumberField::kLevel, 5);
  for (const char* id : {"r", "k"}) {
    const std::string record = model::ItemString(store, id);
    model::AddItem(store, record);
    ASSERT_EQ(store.CountWithId(id), 2) << record;
    ExpectSameFields(*store.FindItemById(id), LastWithId(store, id));
  }
  // The top-level item's Level was 5 and comes back 0; the child's is derived again.
  EXPECT_EQ(LastWithId(store, "r").Level, 0);
  EXPECT_EQ(LastWithId(store, "k").Level, 6);

  // NULs come back byte for byte.
  const std::string nul_id = "n\0\0"s;
  const std::string record = model::ItemString(store, nul_id);
  EXPECT_EQ(record, "TAB:Other,TEXT:N\0ul,ID:n\0\0,TAG:\0,ENABLE:1"s);
  model::AddItem(store, record);
  ASSERT_EQ(store.CountWithId(nul_id), 2);
  ExpectSameFields(*store.FindItemById(nul_id), LastWithId(store, nul_id));
  EXPECT_EQ(store.FindItem("n"), model::kNoSeq);
}

TEST(ItemString, WhatARecordCannotCarry) {
  Store store;
  model::AddItem(store, "TAB:T,TEXT:x,ID:a");
  model::PutTextProperty(store, "a", model::TextField::kHref, "NONE");
  model::PutTextProperty(store, "a", model::TextField::kText, "one,two");
  model::AddItem(store, model::ItemString(store, "a"));
  const model::Item& copy = LastWithId(store, "a");
  EXPECT_EQ(copy.Href, "");
  EXPECT_EQ(copy.Text, "one");
}

}  // namespace
