// The registered control's connection point: finding and enumerating it, connecting and
// disconnecting sinks, and events arriving at C++ sinks as dispatch calls, in slot order,
// with sinks that disconnect or call back into the control while they are called.
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "com_test_support.h"
#include "event_sink_support.h"
#include "ole_container.h"
#include "stand_ins.h"

namespace zortab_test {
namespace {

class ConnectionPointTest : public ControlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ControlTest::SetUp());
    ASSERT_EQ(control_.As(&container_), S_OK);
    point_ = EventPoint(control_.Get());
    ASSERT_NE(point_, nullptr);
    AddItems(control_.Get(), {L"TAB:Main,TEXT:Alpha,ID:a", L"TAB:Main,TEXT:Beta,ID:b"});
  }
  void TearDown() override {
    point_.Reset();
    container_.Reset();
    control_.Reset();
    // The control let go of every sink it held.
    for (RecordingSink* sink : {&first_, &second_, &third_}) EXPECT_EQ(sink->references, 1);
  }

  DWORD Connect(RecordingSink& sink) {
    DWORD cookie = 0;
    EXPECT_EQ(point_->Advise(static_cast<IDispatch*>(&sink), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    return cookie;
  }
  void Click(const wchar_t* id) { EXPECT_EQ(control_->FireClick(MakeBstr(id).Get()), S_OK); }
  std::vector<int> SinksCalled() const {
    std::vector<int> order;
    for (const EventCall& call : journal_) order.push_back(call.sink);
    return order;
  }

  std::vector<EventCall> journal_;
  RecordingSink first_{journal_, 1};
  RecordingSink second_{journal_, 2};
  RecordingSink third_{journal_, 3};
  ComPtr<IConnectionPointContainer> container_;
  ComPtr<IConnectionPoint> point_;
};

TEST_F(ConnectionPointTest, TheContainerHasOnePointForTheEventInterface) {
  ComPtr<IConnectionPoint> other;
  EXPECT_EQ(container_->FindConnectionPoint(IID_IPropertyNotifySink, other.GetAddressOf()),
            CONNECT_E_NOCONNECTION);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(container_->FindConnectionPoint(DIID__IZorTabbedListEvents, nullptr), E_POINTER);

  IID iid = {};
  ASSERT_EQ(point_->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, DIID__IZorTabbedListEvents));
  ComPtr<IConnectionPointContainer> back;
  ASSERT_EQ(point_->GetConnectionPointContainer(back.GetAddressOf()), S_OK);
  EXPECT_EQ(back.Get(), container_.Get());
  // The point is an object of its own: it answers only its own interface.
  ComPtr<IConnectionPoint> same;
  EXPECT_EQ(point_.As(&same), S_OK);
  ComPtr<IDispatch> not_the_control;
  EXPECT_EQ(point_.As(&not_the_control), E_NOINTERFACE);

  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(container_->EnumConnectionPoints(points.GetAddressOf()), S_OK);
  IConnectionPoint* found[2] = {};
  ULONG fetched = 7;
  EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(found[0], point_.Get());
  found[0]->Release();
  EXPECT_EQ(points->Next(1, found, nullptr), S_FALSE);
  EXPECT_EQ(points->Next(2, found, nullptr), E_INVALIDARG);
  EXPECT_EQ(points->Reset(), S_OK);
  EXPECT_EQ(points->Skip(2), S_FALSE);
  EXPECT_EQ(points->Reset(), S_OK);
  ComPtr<IEnumConnectionPoints> clone;
  ASSERT_EQ(points->Clone(clone.GetAddressOf()), S_OK);
  EXPECT_EQ(points->Skip(1), S_OK);
  // The clone keeps its own place: it still has the point to give.
  ASSERT_EQ(clone->Next(1, found, &fetched), S_OK);
  EXPECT_EQ(found[0], point_.Get());
  found[0]->Release();
}

TEST_F(ConnectionPointTest, AdviseAndUnadviseRefuseWhatTheyCannotTake) {
  std::vector<EventCall> ignored;
  RecordingSink plain_dispatch(ignored, 9, /*answers_events=*/false);
  DWORD cookie = 5;
  EXPECT_EQ(point_->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(point_->Advise(static_cast<IDispatch*>(&first_), nullptr), E_POINTER);
  cookie = 5;
  EXPECT_EQ(point_->Advise(static_cast<IDispatch*>(&plain_dispatch), &cookie),
            CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(plain_dispatch.references, 1);

  const DWORD connected = Connect(first_);
  for (DWORD unknown : {DWORD{0}, connected + 1000}) {
    EXPECT_EQ(point_->Unadvise(unknown), CONNECT_E_NOCONNECTION) << unknown;
  }
  EXPECT_EQ(point_->Unadvise(connected), S_OK);
  EXPECT_EQ(point_->Unadvise(connected), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(first_.references, 1);
  Click(L"a");
  EXPECT_TRUE(journal_.empty());
}

TEST_F(ConnectionPointTest, EnumConnectionsListsTheSinksWithTheirCookies) {
  const DWORD one = Connect(first_);
  const DWORD two = Connect(second_);
  const DWORD three = Connect(third_);
  ASSERT_EQ(point_->Unadvise(two), S_OK);

  const LONG held_before = first_.references;
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(point_->EnumConnections(connections.GetAddressOf()), S_OK);
  CONNECTDATA data[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(3, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(data[0].pUnk, static_cast<IUnknown*>(&first_));
  EXPECT_EQ(data[0].dwCookie, one);
  EXPECT_EQ(data[1].pUnk, static_cast<IUnknown*>(&third_));
  EXPECT_EQ(data[1].dwCookie, three);
  // Each sink handed out carries a reference for the caller.
  connections.Reset();
  EXPECT_EQ(first_.references, held_before + 1);
  for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
  ASSERT_EQ(point_->Unadvise(one), S_OK);
  ASSERT_EQ(point_->Unadvise(three), S_OK);
}

TEST_F(ConnectionPointTest, EventsArriveAsDispatchCallsWithFreshTextsForEachSink) {
  Connect(first_);
  Connect(second_);
  // A sink that scribbles over the text it was given harms nobody else.
  first_.handler = [](const EventCall& call) {
    if (!call.args.empty() && call.args[0].bstr) call.args[0].bstr[0] = L'#';
  };
  Click(L"a");
  EXPECT_EQ(control_->FireDblClick(MakeBstr(L"b").Get()), S_OK);
  EXPECT_EQ(control_->put_Expand(MakeBstr(L"a").Get(), 1), S_OK);
  EXPECT_EQ(control_->put_Expand(MakeBstr(L"b").Get(), 0), S_OK);
  Click(L"nobody");

  struct Expected {
    DISPID dispid;
    const wchar_t* id;
  };
  const Expected expected[] = {
      {kTreeClicked, L"a"}, {kTreeDblClicked, L"b"}, {kTreeOpening, L"a"}, {kTreeClosing, L"b"}};
  ASSERT_EQ(journal_.size(), 2 * std::size(expected));
  for (std::size_t i = 0; i < journal_.size(); ++i) {
    const EventCall& call = journal_[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(call.sink, static_cast<int>(i % 2) + 1);
    EXPECT_EQ(call.dispid, expected[i / 2].dispid);
    EXPECT_TRUE(IsEqualIID(call.riid, IID_NULL));
    EXPECT_EQ(call.locale, static_cast<LCID>(LOCALE_USER_DEFAULT));
    EXPECT_EQ(call.flags, DISPATCH_METHOD);
    EXPECT_EQ(call.named, 0u);
    EXPECT_FALSE(call.result_buffer || call.exception_buffer || call.argument_error_buffer);
    ASSERT_EQ(call.args.size(), 1u);
    EXPECT_EQ(call.args[0].type, VT_BSTR);
    EXPECT_EQ(call.args[0].text, expected[i / 2].id);
  }
}

TEST_F(ConnectionPointTest, SinksAreCalledInSlotOrderAndAFailingSinkStopsNobody) {
  const DWORD one = Connect(first_);
  Connect(second_);
  ASSERT_EQ(point_->Unadvise(one), S_OK);
  Connect(third_);  // takes the slot the first left
  second_.answer = E_FAIL;
  third_.answer = DISP_E_EXCEPTION;
  Click(L"a");
  Click(L"b");
  EXPECT_EQ(SinksCalled(), (std::vector<int>{3, 2, 3, 2}));
}

TEST_F(ConnectionPointTest, SinksMayDisconnectConnectAndCallTheControlWhileCalled) {
  const DWORD first_cookie = Connect(first_);
  const DWORD second_cookie = Connect(second_);
  LONG items_seen = -1;
  // The first leaves during its first event, and brings the third in; it also changes
  // the clicked item and fires a nested event, which the second sees before the outer one.
  first_.handler = [&](const EventCall& call) {
    if (call.dispid != kTreeClicked) return;
    EXPECT_EQ(point_->Unadvise(first_cookie), S_OK);
    Connect(third_);
    EXPECT_EQ(control_->AddItem(MakeBstr(L"TAB:Main,TEXT:Gamma,ID:c").Get()), S_OK);
    EXPECT_EQ(control_->get_ItemCount(&items_seen), S_OK);
    EXPECT_EQ(control_->DeleteItem(MakeBstr(L"a").Get()), S_OK);
    EXPECT_EQ(control_->FireDblClick(MakeBstr(L"b").Get()), S_OK);
  };
  Click(L"a");
  EXPECT_EQ(items_seen, 3);
  // The third connected during the event: not called for it, but for the nested one,
  // which the first no longer saw.
  EXPECT_EQ(SinksCalled(), (std::vector<int>{1, 3, 2, 2}));
  EXPECT_EQ(journal_[1].dispid, kTreeDblClicked);
  EXPECT_EQ(journal_[3].dispid, kTreeClicked);
  EXPECT_EQ(journal_[3].args[0].text, L"a");
  EXPECT_EQ(first_.references, 1);

  journal_.clear();
  Click(L"c");
  EXPECT_EQ(SinksCalled(), (std::vector<int>{3, 2}));
  EXPECT_EQ(point_->Unadvise(second_cookie), S_OK);
}

// Events with several parameters reach the sink last parameter first: a selection moved
// by the control (SelectedItem written) carries nAction, then the new item, then the old.
TEST(ConnectionPointInContainer, ArgumentsArriveLastParameterFirst) {
  Apartment apartment;
  ASSERT_TRUE(SUCCEEDED(apartment.Result()));
  std::vector<EventCall> journal;
  RecordingSink sink(journal, 1);
  {
    OleContainer container;
    ASSERT_EQ(container.Create(), S_OK);
    ComPtr<IZorTabbedList> list = container.As<IZorTabbedList>();
    AddItems(list.Get(), {L"TAB:Main,TEXT:Alpha,ID:a", L"TAB:Main,TEXT:Beta,ID:b"});
    ASSERT_EQ(container.DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
    container.Settle();
    UniqueBstr before;
    ASSERT_EQ(list->get_SelectedItem(before.Out()), S_OK);
    const ComPtr<IConnectionPoint> point = EventPoint(list.Get());
    ASSERT_NE(point, nullptr);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(&sink), &cookie), S_OK);
    ASSERT_EQ(list->put_SelectedItem(MakeBstr(L"b").Get()), S_OK);
    container.Settle();

    std::vector<DISPID> seen;
    for (const EventCall& call : journal) {
      seen.push_back(call.dispid);
      ASSERT_EQ(call.args.size(), 3u);
      EXPECT_EQ(call.args[0].type, VT_I4);
      EXPECT_EQ(call.args[0].number, 0);  // made by the control, not by mouse or key
      EXPECT_EQ(call.args[1].type, VT_BSTR);
      EXPECT_EQ(call.args[1].text, L"b");
      EXPECT_EQ(call.args[2].type, VT_BSTR);
      EXPECT_EQ(call.args[2].text, Text(before));
    }
    EXPECT_EQ(seen, (std::vector<DISPID>{kTreeSelChanging, kTreeSelChanged}));
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    container.CloseAndRelease();
  }
  EXPECT_EQ(sink.references, 1);
}

}  // namespace
}  // namespace zortab_test
