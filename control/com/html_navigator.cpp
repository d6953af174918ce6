#include "control/com/html_navigator.h"

#include "control/com/com_text.h"
#include "control/com/control_object.h"
#include "control/tabbed_list_impl.h"

namespace control::com {

using Microsoft::WRL::ComPtr;

namespace {

// The frame named `name` among the frames of the document's top window; null when any
// step yields nothing.
ComPtr<IHTMLWindow2> TopFrame(IHTMLDocument2& document, const std::string& name) {
  ComPtr<IHTMLWindow2> parent;
  ComPtr<IHTMLWindow2> top;
  ComPtr<IHTMLFramesCollection2> frames;
  ComPtr<IHTMLWindow2> frame;
  if (FAILED(document.get_parentWindow(parent.GetAddressOf())) || !parent) return frame;
  if (FAILED(parent->get_top(top.GetAddressOf())) || !top) return frame;
  if (FAILED(top->get_frames(frames.GetAddressOf())) || !frames) return frame;
  UniqueVariant index;
  V_BSTR(index.Get()) = ToBstr(name).Release();
  V_VT(index.Get()) = VT_BSTR;
  UniqueVariant found;
  if (FAILED(frames->item(index.Get(), found.Get()))) return frame;
  IUnknown* object = nullptr;
  if (V_VT(found.Get()) == VT_DISPATCH) object = V_DISPATCH(found.Get());
  if (V_VT(found.Get()) == VT_UNKNOWN) object = V_UNKNOWN(found.Get());
  if (object && FAILED(object->QueryInterface(IID_PPV_ARGS(&frame)))) frame.Reset();
  return frame;
}

}  // namespace

ComPtr<IHTMLDocument2> ContainerDocument(IOleClientSite* site) {
  ComPtr<IHTMLDocument2> document;
  if (!site) return document;
  ComPtr<IOleContainer> container;
  if (FAILED(site->GetContainer(container.GetAddressOf())) || !container) return document;
  if (FAILED(container.As(&document))) document.Reset();
  return document;
}

HtmlNavigator::HtmlNavigator(ControlObject& object) : object_(object) {
  object_.List().Impl().events.Handlers().SetNavigator(this);
}

HtmlNavigator::~HtmlNavigator() { object_.List().Impl().events.Handlers().SetNavigator(nullptr); }

void HtmlNavigator::NavigatePage(const std::string& href) {
  // Runs inside a click: nothing may escape into the handler that clicked.
  (void)Guarded([&] {
    const ComPtr<IHTMLDocument2> document = ContainerDocument(object_.Site().ClientSite());
    if (!document) return S_OK;
    // The page's answer is its own business: a refused URL navigates nothing.
    return document->put_URL(ToBstr(href).Get());
  });
}

void HtmlNavigator::NavigateFrame(const std::string& frame, const std::string& href) {
  (void)Guarded([&] {
    const ComPtr<IHTMLDocument2> document = ContainerDocument(object_.Site().ClientSite());
    if (!document) return S_OK;
    const ComPtr<IHTMLWindow2> target = TopFrame(*document.Get(), frame);
    if (!target) return S_OK;
    return target->navigate(ToBstr(href).Get());
  });
}

}  // namespace control::com
