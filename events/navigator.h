// Navigation of the hosting page when an item with an Href is clicked.
//
// The COM layer implements this over the container's HTML document; where the control
// does not sit in an HTML page it offers no navigator and clicks navigate nothing.
#pragma once

#include <string>

namespace events {

class Navigator {
 public:
  virtual ~Navigator() = default;
  // Sets the URL of the page that holds the control.
  virtual void NavigatePage(const std::string& href) = 0;
  // Navigates the frame named `frame` among the frames of the top-level window,
  // whatever frame the control itself sits in. An unknown frame navigates nothing.
  virtual void NavigateFrame(const std::string& frame, const std::string& href) = 0;
};

// The page when `frame` is empty, else the named frame. `navigator` may be null.
inline void NavigateItem(Navigator* navigator, const std::string& href, const std::string& frame) {
  if (navigator == nullptr) return;
  if (frame.empty()) {
    navigator->NavigatePage(href);
  } else {
    navigator->NavigateFrame(frame, href);
  }
}

}  // namespace events
