// The host a browser connects to for a page, read from the page's URL as the container gave
// it, and the check that the URL parser's scheme and domain (taken after unescaping) name
// that same host.
//
// The parser unescapes before it takes the domain, so "http://good%2F.evil/" splits to the
// domain "good" although a browser asks the name server for something under "evil"; it
// also gives an empty domain for some URLs with a host ("http:good/", an over-long host),
// which a null-domain entry would take. The site walk therefore only sees a page whose
// parsed domain is the host read here, and a URL that browsers could read two ways is no
// page at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "control/allowed_sites.h"

namespace control {

struct PageSite {
  std::u16string scheme;  // ASCII letters in lower case
  std::u16string host;    // lower case; empty when the URL names no host
};

// The scheme and host of `url`, read strictly. None for:
// - a control character anywhere, or no scheme ("letter *(letter / digit / + - .) :");
// - an authority ("//" after the scheme, up to the first "/", "?" or "#") holding a
//   backslash, a percent sign, more than one "@", a host of other characters than ASCII
//   letters, digits, "-", "." and "_" (or a bracketed address of hex digits, ":" and "."),
//   or a port that is not digits;
// - a network scheme (http, https, ftp, ws, wss) without "//" or with an empty host.
// A URL of another scheme without "//" names no host.
std::optional<PageSite> ReadPageSite(std::u16string_view url);

// The scheme and domain the site walk matches for a page: the parsed ones in lower case,
// when they are the scheme and host ReadPageSite finds in the URL as given (no parsed
// domain only when that names no host); none otherwise.
std::optional<PageSite> MendedPageSite(std::u16string_view url, const UrlSplit& split);

}  // namespace control
