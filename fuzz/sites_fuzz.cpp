// Fuzz entry point of the allowed-sites logic: MatchDomain, the table walk, the strict read
// of a page's site and the mending of a parser's split against it.
// Input: a pattern, a domain and a URL as texts (each byte a UTF-16 unit, 0xFF followed by
// two bytes any unit), a zone byte, then up to four table entries (rule, scheme choice,
// domain kind, pattern) and what the stand-in parser answers (the canonical form, the scheme
// and the domain: each taken from the URL's own strict reading or from the input).
// Whatever the input: an exact pattern of a domain matches it, a page is allowed only when
// its mended site exists and names the host read from the URL, nothing is allowed by an
// empty table or without a page.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "control/allowed_sites.h"
#include "control/page_host.h"
#include "fuzz_input.h"

namespace {

std::u16string Wide(fuzzing::FuzzInput& in, std::size_t max) {
  const std::string bytes = in.Text(max);
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == 0xFF && i + 2 < bytes.size()) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) |
                                           (static_cast<unsigned char>(bytes[i + 2]) << 8)));
      i += 2;
    } else {
      text.push_back(static_cast<char16_t>(byte));
    }
  }
  return text;
}

// Answers each part from the URL's strict reading, from the input, or not at all.
class FuzzParser : public control::UrlParser {
 public:
  FuzzParser(fuzzing::FuzzInput& in) : in_(in) {}
  std::optional<std::u16string> Parse(Part part, std::u16string_view url,
                                      std::size_t capacity) override {
    const std::uint8_t how = in_.Byte();
    std::optional<std::u16string> answer;
    if (how % 4 == 0) {
      answer = std::u16string(url);
    } else if (how % 4 == 1) {
      const auto site = control::ReadPageSite(url);
      if (site) answer = part == Part::kScheme ? site->scheme : site->host;
    } else if (how % 4 == 2) {
      answer = Wide(in_, 40);
    }
    if (answer && answer->size() >= capacity) return std::nullopt;
    return answer;
  }

 private:
  fuzzing::FuzzInput& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::FuzzInput in(data, size);
  const std::u16string pattern = Wide(in, 40);
  const std::u16string domain = Wide(in, 40);
  const std::u16string url = Wide(in, 120);
  const std::uint32_t zone = in.Byte() % 5;

  (void)control::MatchDomain(pattern, domain);
  if (!domain.empty() && !control::MatchDomain(u"=" + domain, domain)) std::abort();
  if (control::MatchDomain(std::nullopt, domain) != domain.empty()) std::abort();

  std::vector<std::u16string> patterns;
  patterns.reserve(4);
  std::vector<control::AllowedSite> table;
  const int entries = in.Byte() % 5;
  for (int i = 0; i < entries; ++i) {
    control::AllowedSite site{};
    site.rule = in.Byte() % 3 == 0 ? 1 : 0;
    const std::uint8_t scheme = in.Byte() % 3;
    site.scheme = scheme == 0 ? u"http" : scheme == 1 ? u"https" : u"file";
    const std::uint8_t kind = in.Byte() % 6;
    if (kind < 3) {
      patterns.push_back(Wide(in, 24));
      site.domain = std::u16string_view(patterns.back());
    } else if (kind == 3) {
      site.domain = control::NullDomain{};
    } else {
      site.domain = kind == 4 ? control::ZoneMarker::kLocalMachine : control::ZoneMarker::kTrusted;
    }
    table.push_back(site);
  }
  (void)control::MatchesAllowedSites(table, u"http", domain, zone);

  FuzzParser parser(in);
  const control::PageLocation page{url, zone};
  const bool allowed = control::IsSiteAllowed(table, page, parser);
  if (allowed) {
    const auto read = control::ReadPageSite(url);
    if (!read || table.empty()) std::abort();
  }
  FuzzParser again(in);
  if (control::IsSiteAllowed({}, page, again) ||
      control::IsSiteAllowed(table, std::nullopt, again)) {
    std::abort();
  }
  FuzzParser split_parser(in);
  if (const auto split = control::SplitUrl(url, split_parser)) {
    if (const auto mended = control::MendedPageSite(url, *split)) {
      const auto read = control::ReadPageSite(url);
      if (!read || read->host != mended->host || read->scheme != mended->scheme) std::abort();
    }
  }
  return 0;
}
