// The registered control in a small OLE container: verbs, in-place and UI activation,
// layout in pixels, closing and releasing, the keyboard's way between the control and the
// container through real input, the focus, quick activation, IOleControl, and the ambient
// background.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "canvas.h"
#include "ole_container.h"
#include "real_input.h"

namespace zortab_test {
namespace {

using Log = std::vector<std::string>;

constexpr int kTabsId = 201;
constexpr int kTreeId = 202;
constexpr DWORD kMiscStatus = 131473;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
  return (testing::Message() << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom
                             << "}")
      .GetString();
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class OleFrame : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(apartment_.Result())); }

  // A sited control in `container`, with a few items when `items`.
  static void Make(OleContainer& container, bool items = false) {
    ASSERT_NE(container.frame, nullptr);
    ASSERT_EQ(container.Create(), S_OK);
    if (!items) return;
    AddItems(container.As<IZorTabbedList>().Get(),
             {L"TAB:A,TEXT:a1,ID:a1", L"TAB:A,TEXT:a2,ID:a2", L"TAB:A,TEXT:a3,ID:a3",
              L"TAB:B,TEXT:b1,ID:b1"});
  }
  static LONG ReadyState(OleContainer& container) {
    LONG state = -1;
    EXPECT_EQ(container.As<IZorTabbedList>()->get_ReadyState(&state), S_OK);
    return state;
  }

  Apartment apartment_;
};

TEST_F(OleFrame, EachVerb) {
  const Log ui = {"OnInPlaceActivate", "OnUIActivate", "SetActiveObject"};
  const struct {
    LONG verb;
    HRESULT result;
    bool window;
    Log log;
  } cases[] = {
      {OLEIVERB_PRIMARY, S_OK, true, ui},
      {OLEIVERB_SHOW, S_OK, true, ui},
      {OLEIVERB_UIACTIVATE, S_OK, true, ui},
      {OLEIVERB_INPLACEACTIVATE, S_OK, true, {"OnInPlaceActivate"}},
      {OLEIVERB_HIDE, S_OK, false, {}},
      {OLEIVERB_PROPERTIES, S_OK, false, {}},  // no property pages to show
      {OLEIVERB_OPEN, S_OK, false, {}},
      {OLEIVERB_DISCARDUNDOSTATE, S_OK, false, {}},
      {1, E_NOTIMPL, false, {}},
      {-8, E_NOTIMPL, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.verb);
    OleContainer container;
    ASSERT_NO_FATAL_FAILURE(Make(container));
    EXPECT_EQ(container.DoVerb(c.verb), c.result);
    const HWND window = container.ControlWindow();
    EXPECT_EQ(window != nullptr && IsWindowVisible(window), c.window);
    EXPECT_EQ(container.TakeLog(), c.log);
    if (c.window) {
      EXPECT_EQ(GetParent(window), container.frame);
      EXPECT_TRUE(SameRect(RectIn(container.frame, window), container.place));
    }
    container.CloseAndRelease();
  }
}

TEST_F(OleFrame, HideDeactivateAndActivateAgain) {
  OleContainer container;
  ASSERT_NO_FATAL_FAILURE(Make(container, true));
  EXPECT_EQ(ReadyState(container), 0);
  ASSERT_EQ(container.DoVerb(OLEIVERB_UIACTIVATE), S_OK);
  EXPECT_EQ(ReadyState(container), 1);
  const HWND first = container.ControlWindow();
  EXPECT_EQ(GetFocus(), GetDlgItem(first, kTreeId));  // the dialog passed the focus on
  container.TakeLog();

  ASSERT_EQ(container.DoVerb(OLEIVERB_HIDE), S_OK);
  EXPECT_FALSE(IsWindowVisible(first));
  EXPECT_EQ(container.TakeLog(), (Log{"SetActiveObject(null)", "OnUIDeactivate"}));
  ASSERT_EQ(container.DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_EQ(container.ControlWindow(), first);

  ASSERT_EQ(container.As<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(container.ControlWindow(), nullptr);
  EXPECT_EQ(container.TakeLog(), (Log{"OnInPlaceDeactivate"}));
  EXPECT_EQ(ReadyState(container), 1);

  ASSERT_EQ(container.DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
  const HWND second = container.ControlWindow();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(SendMessageA(GetDlgItem(second, kTabsId), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(GetDlgItem(second, kTreeId), TVM_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(container.TakeLog(), (Log{"OnInPlaceActivate"}));
}

TEST_F(OleFrame, ObjectRectsAndExtentLayTheViewsOut) {
  OleContainer container;
  ASSERT_NO_FATAL_FAILURE(Make(container, true));
  ASSERT_EQ(container.DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
  const HWND window = container.ControlWindow();
  // The views fill the window: the strip on top across it, the tree below to its bottom.
  auto expect_filled = [&](int width, int height) {
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    const RECT tabs = RectIn(window, GetDlgItem(window, kTabsId));
    const RECT tree = RectIn(window, GetDlgItem(window, kTreeId));
    EXPECT_TRUE(SameRect(tabs, RECT{0, 0, width, tabs.bottom})) << Describe(tabs);
    EXPECT_TRUE(SameRect(tree, RECT{0, tabs.bottom, width, height})) << Describe(tree);
    EXPECT_GT(tabs.bottom, 0);
    EXPECT_LT(tabs.bottom, height);
  };
  expect_filled(320, 280);

  const RECT moved{20, 30, 420, 330};
  ASSERT_EQ(container.As<IOleInPlaceObject>()->SetObjectRects(&moved, &moved), S_OK);
  EXPECT_TRUE(SameRect(RectIn(container.frame, window), moved));
  expect_filled(400, 300);
  // A clip rectangle that cuts the control off gives the window a region.
  const RECT clip{20, 30, 220, 330};
  ASSERT_EQ(container.As<IOleInPlaceObject>()->SetObjectRects(&moved, &clip), S_OK);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(window, region), SIMPLEREGION);
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_TRUE(SameRect(box, RECT{0, 0, 200, 300})) << Describe(box);
  DeleteObject(region);

  // The window does not lay its views out when it is resized; SetExtent does.
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 250, 200, SWP_NOMOVE | SWP_NOZORDER));
  SIZEL size{5000, 4000};
  ASSERT_EQ(container.object->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  expect_filled(250, 200);
  SIZEL read{};
  ASSERT_EQ(container.object->GetExtent(DVASPECT_CONTENT, &read), S_OK);
  EXPECT_EQ(read.cx, 5000);
  EXPECT_EQ(read.cy, 4000);
  EXPECT_EQ(container.object->SetExtent(DVASPECT_THUMBNAIL, &size), DV_E_DVASPECT);
  EXPECT_EQ(container.object->SetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
  EXPECT_EQ(container.object->GetExtent(DVASPECT_ICON, &read), E_FAIL);
}

// The initial extent is template 103's size with its own font: the dialog manager makes
// the same template the same size.
TEST_F(OleFrame, InitialExtentIsTheTemplateSize) {
  OleContainer container;
  ASSERT_NO_FATAL_FAILURE(Make(container));
  SIZEL extent{};
  ASSERT_EQ(container.object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  const HWND dialog = CreateDialogParamA(GetModuleHandleA("ZorTabList.dll"), MAKEINTRESOURCEA(103),
                                         container.frame, QuietDialog, 0);
  ASSERT_NE(dialog, nullptr);
  RECT client{};
  ASSERT_TRUE(GetClientRect(dialog, &client));
  DestroyWindow(dialog);
  HDC screen = GetDC(nullptr);
  const int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_NEAR(MulDiv(extent.cx, dpi_x, 2540), client.right, 1);
  EXPECT_NEAR(MulDiv(extent.cy, dpi_y, 2540), client.bottom, 1);
  EXPECT_NE(extent.cx, 5080);
}

TEST_F(OleFrame, AClickUiActivatesUnlessInDesignMode) {
  for (const bool design : {false, true}) {
    SCOPED_TRACE(design ? "design mode" : "run mode");
    OleContainer container;
    container.user_mode = !design;
    ASSERT_NO_FATAL_FAILURE(Make(container, true));
    ASSERT_EQ(container.DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
    container.Settle();
    container.TakeLog();
    ASSERT_NO_FATAL_FAILURE(PointAt(GetDlgItem(container.ControlWindow(), kTreeId)));
    ASSERT_NO_FATAL_FAILURE(PressMouse());
    container.Settle();
    EXPECT_EQ(container.TakeLog(), design ? Log{} : (Log{"OnUIActivate", "SetActiveObject"}));
    EXPECT_EQ(container.active != nullptr, !design);
    container.CloseAndRelease();
  }
}

TEST_F(OleFrame, CloseSavesOnlyWhatChangedAndDeactivatesItself) {
  const struct {
    bool dirty;
    DWORD option;
    bool saved;
  } cases[] = {
      {false, OLECLOSE_SAVEIFDIRTY, false},
      {true, OLECLOSE_SAVEIFDIRTY, true},
      {true, OLECLOSE_PROMPTSAVE, true},
      {true, OLECLOSE_NOSAVE, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.option << (c.dirty ? " dirty" : " clean"));
    OleContainer container;
    ASSERT_NO_FATAL_FAILURE(Make(container));
    DWORD cookie = 0;
    ASSERT_EQ(container.object->Advise(&container, &cookie), S_OK);
    if (c.dirty) {
      ASSERT_EQ(container.As<IZorTabbedList>()->put_Enabled(VARIANT_TRUE), S_OK);
    }
    ASSERT_EQ(container.DoVerb(OLEIVERB_UIACTIVATE), S_OK);
    const HWND window = container.ControlWindow();
    container.TakeLog();
    // Closed straight from UI activation, as a host window does from its destruction.
    EXPECT_EQ(container.object->Close(c.option), S_OK);
    Log expected = {"SetActiveObject(null)", "OnUIDeactivate", "OnInPlaceDeactivate"};
    if (c.saved) expected.insert(expected.begin(), "SaveObject");
    EXPECT_EQ(container.TakeLog(), expected);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(container.advise_log.back(), "OnClose");
    EXPECT_EQ(container.object->Unadvise(cookie), S_OK);
    EXPECT_EQ(container.object->Unadvise(cookie), OLE_E_NOCONNECTION);
    container.CloseAndRelease();
  }
}

TEST_F(OleFrame, ReleasedWhileActiveWithTheSiteStillSet) {
  OleContainer container;
  ASSERT_NO_FATAL_FAILURE(Make(container, true));
  ASSERT_EQ(container.DoVerb(OLEIVERB_UIACTIVATE), S_OK);
  const HWND window = container.ControlWindow();
  container.active.Reset();
  container.object.Reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(container.references, 1);
}

TEST_F(OleFrame, KeysLeaveByTheContainerOnlyAtTheEdges) {
  enum Where { kTabs, kTree };
  const struct {
    Where from;
    std::initializer_list<WORD> modifiers;
    WORD key;
    std::vector<OleContainer::Accelerator> handed;
    Where to;
  } cases[] = {
      {kTree, {}, VK_TAB, {{WM_KEYDOWN, VK_TAB, 0}}, kTree},  // Tab out of the last child
      {kTabs, {VK_SHIFT}, VK_TAB, {{WM_KEYDOWN, VK_TAB, 1}}, kTabs},
      {kTabs, {}, VK_TAB, {}, kTree},  // inside the control the dialog moves the focus
      {kTree, {VK_SHIFT}, VK_TAB, {}, kTabs},
      {kTree, {VK_CONTROL, VK_SHIFT}, VK_RETURN, {{WM_KEYDOWN, VK_RETURN, 3}}, kTree},
      {kTree, {VK_CONTROL}, VK_ESCAPE, {{WM_KEYDOWN, VK_ESCAPE, 2}}, kTree},
      {kTree, {}, VK_DOWN, {}, kTree},  // the tree wants its arrows
  };
  OleContainer container;
  ASSERT_NO_FATAL_FAILURE(Make(container, true));
  ASSERT_EQ(container.DoVerb(OLEIVERB_UIACTIVATE), S_OK);
  ASSERT_NE(container.active, nullptr);
  const HWND window = container.ControlWindow();
  const HWND views[] = {GetDlgItem(window, kTabsId), GetDlgItem(window, kTreeId)};
  container.Settle();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " from " << c.from);
    SetFocus(views[c.from]);
    container.Settle();
    container.accelerators.clear();
    ASSERT_NO_FATAL_FAILURE(PressKey(c.key, c.modifiers));
    container.Settle();
    EXPECT_EQ(container.accelerators, c.handed);
    EXPECT_EQ(GetFocus(), views[c.to]);
  }
  // The arrow moved the tree's selection.
  BSTR selected = nullptr;
  ASSERT_EQ(container.As<IZorTabbedList>()->get_SelectedItem(&selected), S_OK);
  EXPECT_EQ(Text(UniqueBstr(selected)), L"a2");

  // TranslateAccelerator answers what the site answers for a key it hands over.
  SetFocus(views[kTree]);
  for (const HRESULT answer : {S_OK, S_FALSE}) {
    container.translate_answer = answer;
    MSG tab{views[kTree], WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(container.active->TranslateAccelerator(&tab), answer);
  }
  EXPECT_EQ(container.accelerators.size(), 2u);
}

TEST_F(OleFrame, FocusLeavingTheControlIsReported) {
  OleContainer container;
  ASSERT_NO_FATAL_FAILURE(Make(container, true));
  const HWND outside =
      CreateWindowExA(0, "BUTTON", "outside", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 340, 8, 100, 30,
                      container.frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(outside, nullptr);
  ASSERT_EQ(container.DoVerb(OLEIVERB_UIACTIVATE), S_OK);
  const HWND window = container.ControlWindow();
  container.TakeLog();
  SetFocus(GetDlgItem(window, kTabsId));  // moves inside: nothing to report
  SetFocus(outside);
  EXPECT_EQ(container.TakeLog(), (Log{"OnFocus(0)"}));
  ASSERT_EQ(container.As<IOleInPlaceObject>()->UIDeactivate(), S_OK);
  SetFocus(GetDlgItem(window, kTreeId));
  container.TakeLog();
  SetFocus(outside);  // still in place: reported
  EXPECT_EQ(container.TakeLog(), (Log{"OnFocus(0)"}));
}

TEST_F(OleFrame, QuickActivateSitesWithoutConnectingEvents) {
  OleContainer container;
  ASSERT_NE(container.frame, nullptr);
  ComPtr<IQuickActivate> quick = NewControl<IQuickActivate>();
  ASSERT_NE(quick, nullptr);
  QACONTAINER given{};
  given.cbSize = sizeof given;
  given.pClientSite = &container;
  given.pAdviseSink = &container;
  given.pUnkEventSink = static_cast<IOleClientSite*>(&container);  // answers no events
  QACONTROL answer;
  std::memset(&answer, 0xAB, sizeof answer);
  answer.cbSize = sizeof answer;
  EXPECT_EQ(quick->QuickActivate(nullptr, &answer), E_POINTER);
  EXPECT_EQ(quick->QuickActivate(&given, nullptr), E_POINTER);
  ASSERT_EQ(quick->QuickActivate(&given, &answer), S_OK);
  EXPECT_EQ(answer.cbSize, sizeof answer);
  EXPECT_EQ(answer.dwMiscStatus, kMiscStatus);
  EXPECT_EQ(answer.dwViewStatus, static_cast<DWORD>(VIEWSTATUS_OPAQUE));
  EXPECT_EQ(answer.dwEventCookie, 0u);
  EXPECT_EQ(answer.dwPropNotifyCookie, 0u);
  EXPECT_EQ(answer.dwPointerActivationPolicy, 0u);

  ASSERT_EQ(quick.As(&container.object), S_OK);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(container.object->GetClientSite(&site), S_OK);
  EXPECT_EQ(site.Get(), static_cast<IOleClientSite*>(&container));
  site.Reset();
  DWORD aspects = 0;
  ComPtr<IAdviseSink> sink;
  ASSERT_EQ(container.As<IViewObject>()->GetAdvise(&aspects, nullptr, &sink), S_OK);
  EXPECT_EQ(sink.Get(), static_cast<IAdviseSink*>(&container));
  EXPECT_EQ(aspects, static_cast<DWORD>(DVASPECT_CONTENT));
  sink.Reset();
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container.As<IConnectionPointContainer>()->FindConnectionPoint(
                DIID__IZorTabbedListEvents, &point),
            S_OK);
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(point->EnumConnections(&connections), S_OK);
  CONNECTDATA data{};
  EXPECT_EQ(connections->Next(1, &data, nullptr), S_FALSE);

  SIZEL size{1234, 567};
  ASSERT_EQ(quick->SetContentExtent(&size), S_OK);
  SIZEL read{};
  ASSERT_EQ(quick->GetContentExtent(&read), S_OK);
  EXPECT_EQ(read.cx, 1234);
  EXPECT_EQ(read.cy, 567);
  quick.Reset();
  container.CloseAndRelease();
}

// The members of the object that answer fixed results or the registry's.
TEST_F(OleFrame, FixedAndRegistryAnswers) {
  OleContainer container;
  ASSERT_NO_FATAL_FAILURE(Make(container));
  IOleObject* object = container.object.Get();
  DWORD misc = 0;
  EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
  EXPECT_EQ(misc, kMiscStatus);
  LPOLESTR type = nullptr;
  ASSERT_EQ(object->GetUserType(USERCLASSTYPE_FULL, &type), S_OK);
  EXPECT_STREQ(type, L"ZorTabbedList Class");
  CoTaskMemFree(type);
  ComPtr<IEnumOLEVERB> verbs;
  ComPtr<IEnumOLEVERB> registered;  // none are registered
  const HRESULT none = OleRegEnumVerbs(CLSID_ZorTabbedList, &registered);
  EXPECT_TRUE(FAILED(none));
  EXPECT_EQ(object->EnumVerbs(&verbs), none);
  EXPECT_EQ(object->Update(), S_OK);
  EXPECT_EQ(object->IsUpToDate(), S_OK);
  EXPECT_EQ(object->SetMoniker(OLEWHICHMK_OBJFULL, nullptr), E_NOTIMPL);
  ComPtr<IMoniker> moniker;
  EXPECT_EQ(object->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, &moniker), E_NOTIMPL);
  EXPECT_EQ(object->InitFromData(nullptr, TRUE, 0), E_NOTIMPL);
  ComPtr<IDataObject> data;
  EXPECT_EQ(object->GetClipboardData(0, &data), E_NOTIMPL);
  EXPECT_EQ(object->SetColorScheme(nullptr), E_NOTIMPL);

  ComPtr<IOleInPlaceObjectWindowless> windowless = container.As<IOleInPlaceObjectWindowless>();
  LRESULT result = 1;
  EXPECT_EQ(windowless->OnWindowMessage(WM_LBUTTONDOWN, 0, 0, &result), S_FALSE);
  ComPtr<IDropTarget> target;
  EXPECT_EQ(windowless->GetDropTarget(&target), E_NOTIMPL);
  EXPECT_EQ(windowless->ReactivateAndUndo(), E_NOTIMPL);
  HWND window = reinterpret_cast<HWND>(1);
  EXPECT_EQ(windowless->GetWindow(&window), E_FAIL);  // no window before activation

  ComPtr<IOleControl> control = container.As<IOleControl>();
  CONTROLINFO info{};
  info.cb = sizeof info;
  EXPECT_EQ(control->GetControlInfo(&info), E_NOTIMPL);
  MSG msg{};
  EXPECT_EQ(control->OnMnemonic(&msg), E_NOTIMPL);
  EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
  EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);
  EXPECT_EQ(container.As<IOleWindow>().Get(), static_cast<IOleWindow*>(windowless.Get()));
}

// The ambient BackColor is the dialog's background from the window's creation, and again
// after OnAmbientPropertyChange(-701); other ambients change nothing.
TEST_F(OleFrame, AmbientBackColorPaintsTheBackground) {
  OleContainer container;
  container.back_color = RGB(200, 30, 40);
  ASSERT_NO_FATAL_FAILURE(Make(container));
  ASSERT_EQ(container.DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
  const HWND window = container.ControlWindow();
  container.Settle();
  // What the dialog paints as its background, read back from a memory picture.
  auto background = [&] {
    const Canvas picture(4, 4);
    EXPECT_TRUE(picture.Ready());
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture.Dc()), 0);
    return picture.At(1, 1);
  };
  EXPECT_EQ(background(), RGB(200, 30, 40));
  ComPtr<IOleControl> control = container.As<IOleControl>();
  container.back_color = RGB(10, 120, 230);
  ASSERT_EQ(control->OnAmbientPropertyChange(DISPID_AMBIENT_FORECOLOR), S_OK);
  EXPECT_EQ(background(), RGB(200, 30, 40));
  ASSERT_EQ(control->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR), S_OK);
  EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));  // a repaint is asked for
  EXPECT_EQ(background(), RGB(10, 120, 230));
}

}  // namespace
}  // namespace zortab_test
