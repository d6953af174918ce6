// Page navigation for clicked items, over the HTML document of the container that sites
// the control: the page's URL, or a named frame of the top window. Where the container is
// no HTML document nothing is navigated.
#pragma once

// windows.h first: mshtml.h relies on its types.
#include <windows.h>
//
#include <mshtml.h>
#include <wrl/client.h>

#include <string>

#include "events/navigator.h"

namespace control::com {

class ControlObject;

// The HTML document of the container that sites the control; null when there is none.
Microsoft::WRL::ComPtr<IHTMLDocument2> ContainerDocument(IOleClientSite* site);

class HtmlNavigator final : public events::Navigator {
 public:
  // Becomes the facade's navigator until it is destroyed.
  explicit HtmlNavigator(ControlObject& object);
  ~HtmlNavigator() override;
  HtmlNavigator(const HtmlNavigator&) = delete;
  HtmlNavigator& operator=(const HtmlNavigator&) = delete;

  // Navigation failing at any step navigates nothing and is reported to nobody.
  void NavigatePage(const std::string& href) override;
  void NavigateFrame(const std::string& frame, const std::string& href) override;

 private:
  ControlObject& object_;
};

}  // namespace control::com
