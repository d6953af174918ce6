// The registered control's view and data objects as a container uses them while the
// control shows no window: the drawn picture in pixels, the view's status and extent, the
// view and data advise sinks hearing of stock property puts, and the same picture rendered
// as metafile data.
#include <windows.h>
// after windows.h, which they need
#include <ocidl.h>
#include <oleidl.h>

#include <vector>

#include "canvas.h"
#include "com_test_support.h"
#include "control/com/gdi_handles.h"
#include "ole_container.h"
#include "stand_ins.h"

namespace zortab_test {
namespace {

using control::com::SavedDc;

constexpr COLORREF kGrey = RGB(128, 128, 128);  // the grey stock brush
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A container's advise sink that counts what it hears; it lives on the stack of the test.
class AdviseRecorder final : public IAdviseSink {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return AnswerOne<IAdviseSink>(this, riid, object);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }
  STDMETHODIMP_(void) OnDataChange(FORMATETC* /*format*/, STGMEDIUM* medium) override {
    ++data_changes;
    data_tymed = medium ? medium->tymed : static_cast<DWORD>(TYMED_NULL);
  }
  STDMETHODIMP_(void) OnViewChange(DWORD aspect, LONG /*index*/) override {
    ++view_changes;
    view_aspect = aspect;
  }
  STDMETHODIMP_(void) OnRename(IMoniker* /*name*/) override {}
  STDMETHODIMP_(void) OnSave() override {}
  STDMETHODIMP_(void) OnClose() override {}

  LONG references = 1;
  int data_changes = 0;
  DWORD data_tymed = TYMED_NULL;
  int view_changes = 0;
  DWORD view_aspect = 0;
};

FORMATETC Format(CLIPFORMAT format, DWORD tymed, DWORD aspect = DVASPECT_CONTENT) {
  return {format, nullptr, aspect, -1, tymed};
}

class ViewObjectTest : public ControlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ControlTest::SetUp());
    ASSERT_EQ(control_.As(&view_), S_OK);
    ASSERT_EQ(control_.As(&data_), S_OK);
  }
  void TearDown() override {
    view_.Reset();
    data_.Reset();
    control_.Reset();
  }

  HRESULT Draw(HDC dc, const RECTL& bounds) {
    return view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr,
                       nullptr, 0);
  }

  AdviseRecorder view_sink_;
  AdviseRecorder data_sink_;
  ComPtr<IViewObjectEx> view_;
  ComPtr<IDataObject> data_;
};

TEST_F(ViewObjectTest, DrawsGreyOutlinedCaptionedBoxAndGivesTheDcItsStateBack) {
  // The same box on the canvas, given in the DC's own logical units: plain, and with the
  // container's viewport moved.
  struct Case {
    POINT viewport_origin;
    RECTL bounds;
  };
  for (const Case& c : {Case{{0, 0}, {10, 10, 210, 110}}, Case{{10, 10}, {0, 0, 200, 100}}}) {
    Canvas canvas(220, 120);
    ASSERT_TRUE(canvas.Ready());
    const HDC dc = canvas.Dc();
    ASSERT_TRUE(SetViewportOrgEx(dc, c.viewport_origin.x, c.viewport_origin.y, nullptr));
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const COLORREF text_colour = GetTextColor(dc);
    const int background_mode = GetBkMode(dc);
    const UINT alignment = GetTextAlign(dc);

    ASSERT_EQ(Draw(dc, c.bounds), S_OK);

    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetTextColor(dc), text_colour);
    EXPECT_EQ(GetBkMode(dc), background_mode);
    EXPECT_EQ(GetTextAlign(dc), alignment);
    POINT origin = {};
    ASSERT_TRUE(GetViewportOrgEx(dc, &origin));
    EXPECT_EQ(origin.x, c.viewport_origin.x);

    // The outline on the box's edges, nothing outside it.
    for (const POINT& edge : {POINT{10, 10}, POINT{209, 109}, POINT{110, 10}, POINT{10, 60}}) {
      EXPECT_EQ(canvas.At(edge.x, edge.y), kBlack) << edge.x << "," << edge.y;
    }
    EXPECT_EQ(canvas.At(5, 5), kWhite);
    EXPECT_EQ(canvas.At(214, 114), kWhite);
    // Grey corners without caption; the caption in the window-text colour at the centre.
    for (const RECT& corner : {RECT{11, 11, 40, 35}, RECT{180, 11, 209, 35}, RECT{11, 85, 40, 109},
                               RECT{180, 85, 209, 109}}) {
      const int area = (corner.right - corner.left) * (corner.bottom - corner.top);
      EXPECT_EQ(canvas.Count(corner, kGrey), area) << corner.left << "," << corner.top;
    }
    EXPECT_GT(canvas.Count(RECT{40, 45, 180, 75}, GetSysColor(COLOR_WINDOWTEXT)), 0);
  }
}

TEST_F(ViewObjectTest, ViewStatusAndExtent) {
  DWORD status = 0;
  ASSERT_EQ(view_->GetViewStatus(&status), S_OK);
  EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_OPAQUE));

  SIZEL extent = {};
  ASSERT_EQ(view_->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
  EXPECT_GT(extent.cx, 0);
  EXPECT_GT(extent.cy, 0);
  EXPECT_EQ(view_->GetExtent(DVASPECT_ICON, -1, nullptr, &extent), E_FAIL);
  RECTL rect = {};
  ASSERT_EQ(view_->GetRect(DVASPECT_CONTENT, &rect), S_OK);
  EXPECT_EQ(rect.right - rect.left, extent.cx);
  EXPECT_EQ(rect.bottom - rect.top, extent.cy);
  ComPtr<IOleObject> ole;
  ASSERT_EQ(control_.As(&ole), S_OK);
  SIZEL agreed = {};
  ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &agreed), S_OK);
  EXPECT_EQ(agreed.cx, extent.cx);
  EXPECT_EQ(agreed.cy, extent.cy);
  // A new extent agreed with the container is the view's too.
  SIZEL larger = {agreed.cx + 1000, agreed.cy + 500};
  ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &larger), S_OK);
  ASSERT_EQ(view_->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
  EXPECT_EQ(extent.cx, larger.cx);
  EXPECT_EQ(extent.cy, larger.cy);
}

TEST_F(ViewObjectTest, StockPutsTellTheViewAndDataSinksOtherPutsDoNot) {
  ASSERT_EQ(view_->SetAdvise(DVASPECT_CONTENT, 0, &view_sink_), S_OK);
  DWORD aspects = 0;
  DWORD flags = ~0u;
  ComPtr<IAdviseSink> sink;
  ASSERT_EQ(view_->GetAdvise(&aspects, &flags, &sink), S_OK);
  EXPECT_EQ(aspects, static_cast<DWORD>(DVASPECT_CONTENT));
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(sink.Get(), static_cast<IAdviseSink*>(&view_sink_));
  sink.Reset();
  FORMATETC format = Format(CF_METAFILEPICT, TYMED_MFPICT);
  DWORD connection = 0;
  ASSERT_EQ(data_->DAdvise(&format, 0, &data_sink_, &connection), S_OK);

  ASSERT_EQ(control_->put_TabRows(2), S_OK);
  EXPECT_EQ(view_sink_.view_changes, 0);
  EXPECT_EQ(data_sink_.data_changes, 0);
  ASSERT_EQ(control_->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_EQ(view_sink_.view_changes, 1);
  EXPECT_EQ(view_sink_.view_aspect, static_cast<DWORD>(DVASPECT_CONTENT));
  EXPECT_EQ(data_sink_.data_changes, 1);
  EXPECT_EQ(data_sink_.data_tymed, static_cast<DWORD>(TYMED_MFPICT));  // rendered for it

  EXPECT_EQ(data_->DUnadvise(connection), S_OK);
  EXPECT_EQ(data_->DUnadvise(connection), OLE_E_NOCONNECTION);
  control_.Reset();
  view_.Reset();
  data_.Reset();
  EXPECT_EQ(view_sink_.references, 1);  // the control let go of both
  EXPECT_EQ(data_sink_.references, 1);
}

TEST(ViewObjectInPlaceTest, DrawsNothingWhileInPlaceAndTheBoxAgainAfterwards) {
  Apartment apartment;
  ASSERT_TRUE(SUCCEEDED(apartment.Result()));
  OleContainer container;
  ASSERT_EQ(container.Create(), S_OK);
  ASSERT_EQ(container.DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
  container.Settle();
  const ComPtr<IViewObject> view = container.As<IViewObject>();
  ASSERT_NE(view, nullptr);
  const RECTL bounds = {10, 10, 210, 110};
  const auto draw = [&](const Canvas& canvas) {
    return view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                      nullptr, nullptr, 0);
  };

  Canvas active(220, 120);
  ASSERT_TRUE(active.Ready());
  EXPECT_EQ(draw(active), S_OK);
  EXPECT_EQ(active.Count(RECT{0, 0, 220, 120}, kWhite), 220 * 120);  // the views paint

  ASSERT_EQ(container.As<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
  Canvas inactive(220, 120);
  ASSERT_TRUE(inactive.Ready());
  EXPECT_EQ(draw(inactive), S_OK);
  EXPECT_EQ(inactive.At(30, 30), kGrey);
  container.CloseAndRelease();
}

// Plays a rendered picture into `area` of the canvas.
void Play(const Canvas& canvas, const STGMEDIUM& medium, const RECT& area) {
  if (medium.tymed == TYMED_ENHMF) {
    ASSERT_TRUE(PlayEnhMetaFile(canvas.Dc(), medium.hEnhMetaFile, &area));
    return;
  }
  ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_MFPICT));
  const auto* picture = static_cast<const METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
  ASSERT_NE(picture, nullptr);
  const SavedDc saved(canvas.Dc());
  EXPECT_TRUE(saved.Saved());
  EXPECT_TRUE(SetMapMode(canvas.Dc(), picture->mm));
  EXPECT_TRUE(SetViewportOrgEx(canvas.Dc(), area.left, area.top, nullptr));
  EXPECT_TRUE(
      SetViewportExtEx(canvas.Dc(), area.right - area.left, area.bottom - area.top, nullptr));
  EXPECT_TRUE(PlayMetaFile(canvas.Dc(), picture->hMF));
  GlobalUnlock(medium.hMetaFilePict);
}

TEST_F(ViewObjectTest, RendersThePictureAsPlayableMetafiles) {
  std::vector<CLIPFORMAT> enumerated;
  ComPtr<IEnumFORMATETC> formats;
  ASSERT_EQ(data_->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
  for (FORMATETC format = {}; formats->Next(1, &format, nullptr) == S_OK;) {
    EXPECT_EQ(data_->QueryGetData(&format), S_OK);
    enumerated.push_back(format.cfFormat);
  }
  EXPECT_EQ(enumerated.size(), 2u);

  for (const CLIPFORMAT format_id : enumerated) {
    FORMATETC format = Format(format_id, TYMED_MFPICT | TYMED_ENHMF);
    STGMEDIUM medium = {};
    ASSERT_EQ(data_->GetData(&format, &medium), S_OK) << format_id;
    Canvas canvas(220, 120);
    ASSERT_TRUE(canvas.Ready());
    Play(canvas, medium, RECT{10, 10, 210, 110});
    ReleaseStgMedium(&medium);
    EXPECT_EQ(canvas.At(30, 30), kGrey) << format_id;
    EXPECT_EQ(canvas.At(190, 90), kGrey) << format_id;
    EXPECT_EQ(canvas.At(5, 5), kWhite) << format_id;
    EXPECT_EQ(canvas.At(215, 115), kWhite) << format_id;
  }

  struct Refused {
    FORMATETC format;
    HRESULT expected;
  };
  for (Refused refused :
       {Refused{Format(CF_TEXT, TYMED_HGLOBAL), DV_E_FORMATETC},
        Refused{Format(CF_METAFILEPICT, TYMED_HGLOBAL), DV_E_TYMED},
        Refused{Format(CF_ENHMETAFILE, TYMED_ENHMF, DVASPECT_ICON), DV_E_DVASPECT}}) {
    STGMEDIUM medium = {};
    EXPECT_EQ(data_->QueryGetData(&refused.format), refused.expected);
    EXPECT_EQ(data_->GetData(&refused.format, &medium), refused.expected);
  }
}

}  // namespace
}  // namespace zortab_test
