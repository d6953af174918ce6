#include "control/page_host.h"

#include <algorithm>
#include <array>

namespace control {
namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool IsHostChar(char16_t c) {
  return IsAsciiLetter(c) || IsDigit(c) || c == u'-' || c == u'.' || c == u'_';
}
bool IsAddressChar(char16_t c) { return IsHexDigit(c) || c == u':' || c == u'.'; }

std::u16string Lower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

// Schemes whose host is a machine on the network, and whose URLs browsers read with a host
// even when the slashes are missing or doubled.
bool IsNetworkScheme(std::u16string_view scheme) {
  static constexpr std::array<std::u16string_view, 5> kSchemes = {u"http", u"https", u"ftp", u"ws",
                                                                  u"wss"};
  return std::find(kSchemes.begin(), kSchemes.end(), scheme) != kSchemes.end();
}

// The host of an authority ("user:password@host:port"); none when it is not plainly one.
std::optional<std::u16string_view> HostOfAuthority(std::u16string_view authority) {
  if (authority.find_first_of(u"\\%") != std::u16string_view::npos) return std::nullopt;
  const std::size_t at = authority.find(u'@');
  if (at != std::u16string_view::npos) {
    if (authority.find(u'@', at + 1) != std::u16string_view::npos) return std::nullopt;
    authority.remove_prefix(at + 1);
  }
  std::u16string_view host = authority;
  std::u16string_view port;
  if (!authority.empty() && authority.front() == u'[') {
    const std::size_t close = authority.find(u']');
    if (close == std::u16string_view::npos) return std::nullopt;
    host = authority.substr(0, close + 1);
    if (!std::all_of(host.begin() + 1, host.end() - 1, IsAddressChar)) return std::nullopt;
    const std::u16string_view rest = authority.substr(close + 1);
    if (!rest.empty() && rest.front() != u':') return std::nullopt;
    if (!rest.empty()) port = rest.substr(1);
  } else {
    const std::size_t colon = authority.find(u':');
    if (colon != std::u16string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
    }
    if (!std::all_of(host.begin(), host.end(), IsHostChar)) return std::nullopt;
  }
  if (!std::all_of(port.begin(), port.end(), IsDigit)) return std::nullopt;
  return host;
}

}  // namespace

std::optional<PageSite> ReadPageSite(std::u16string_view url) {
  if (std::any_of(url.begin(), url.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; })) {
    return std::nullopt;
  }
  const std::size_t colon = url.find(u':');
  if (colon == std::u16string_view::npos || colon == 0 || !IsAsciiLetter(url.front())) {
    return std::nullopt;
  }
  const std::u16string_view scheme = url.substr(0, colon);
  if (!std::all_of(scheme.begin(), scheme.end(), [](char16_t c) {
        return IsAsciiLetter(c) || IsDigit(c) || c == u'+' || c == u'-' || c == u'.';
      })) {
    return std::nullopt;
  }
  PageSite site{Lower(scheme), {}};
  const std::u16string_view rest = url.substr(colon + 1);
  const bool network = IsNetworkScheme(site.scheme);
  if (rest.substr(0, 2) != u"//") {
    if (network) return std::nullopt;
    return site;
  }
  const std::u16string_view after_slashes = rest.substr(2);
  const std::optional<std::u16string_view> host =
      HostOfAuthority(after_slashes.substr(0, after_slashes.find_first_of(u"/?#")));
  if (!host || (network && host->empty())) return std::nullopt;
  site.host = Lower(*host);
  return site;
}

std::optional<PageSite> MendedPageSite(std::u16string_view url, const UrlSplit& split) {
  std::optional<PageSite> site = ReadPageSite(url);
  if (!site || Lower(split.scheme) != site->scheme) return std::nullopt;
  if (split.has_domain ? Lower(split.domain) != site->host : !site->host.empty()) {
    return std::nullopt;
  }
  return site;
}

}  // namespace control
