// The allowed-sites check on plain values: domain patterns, the table walk over tables of
// every form (denying entries, zone markers, null domains), the URL split's buffers, the
// reading of the host from the URL as given, and the safety options.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "allowed_sites_config.h"
#include "control/allowed_sites.h"
#include "control/page_host.h"

namespace {

using control::AllowedSite;
using control::NullDomain;
using control::PageLocation;
using control::UrlParser;
using control::UrlSplit;
using control::ZoneMarker;

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

TEST(MatchDomainTest, PlainWildcardAndExactPatterns) {
  struct Case {
    std::optional<std::u16string_view> pattern;
    std::u16string_view domain;
    bool match;
  };
  const Case cases[] = {
      {u"b.example", u"b.example", true},
      {u"b.example", u"x.b.example", true},
      {u"b.example", u"y.x.b.example", true},
      {u"b.example", u"xb.example", false},
      {u"b.example", u"example", false},
      {u"b.example", u"b.example.evil", false},
      {u"b.example", u"B.example", false},
      {u"b.example", u"", false},
      {u"*.b.example", u"b.example", false},
      {u"*.b.example", u"x.b.example", true},
      {u"*.b.example", u"y.x.b.example", true},
      {u"*.b.example", u"xb.example", false},
      {u"=b.example", u"b.example", true},
      {u"=b.example", u"x.b.example", false},
      {u"=b.example", u"=b.example", false},
      {u"*.", u"*.", true},
      {u"*.", u"x.*.", true},
      {u"*.", u"x", false},
      {u"=", u"=", true},
      {u"=", u"a.=", true},
      {u"=", u"", false},
      {u"", u"", true},
      {u"", u"x", false},
      {std::nullopt, u"", true},
      {std::nullopt, u"b.example", false},
      {u"*.b", u".b", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(control::MatchDomain(c.pattern, c.domain), c.match)
        << (c.pattern ? Narrow(*c.pattern) : "(null)") << " / " << Narrow(c.domain);
  }
}

TEST(AllowedSitesTest, FirstMatchingEntryDecidesOverTablesOfEveryForm) {
  const AllowedSite deny_then_allow[] = {
      {1, u"http", u"=bad.example"}, {0, u"http", u"example"}, {0, u"https", u"example"}};
  const AllowedSite allow_then_deny[] = {{0, u"http", u"example"}, {1, u"http", u"=bad.example"}};
  const AllowedSite zones[] = {{0, u"http", ZoneMarker::kIntranetOrTrusted},
                               {0, u"file", ZoneMarker::kLocalMachine},
                               {0, u"https", ZoneMarker::kTrusted}};
  const AllowedSite null_domain[] = {{0, u"file", NullDomain{}},
                                     {0, u"about", NullDomain{}},
                                     {7, u"mk", NullDomain{}},
                                     {0, u"mk", NullDomain{}}};
  const AllowedSite capital_scheme[] = {{0, u"HTTP", u"example"}};
  struct Case {
    std::span<const AllowedSite> table;
    std::u16string_view scheme;
    std::u16string_view domain;
    std::uint32_t zone;
    bool allowed;
  };
  const Case cases[] = {
      {deny_then_allow, u"http", u"bad.example", 3, false},
      {deny_then_allow, u"http", u"x.bad.example", 3, true},
      {deny_then_allow, u"https", u"bad.example", 3, true},
      {deny_then_allow, u"ftp", u"example", 3, false},
      {deny_then_allow, u"http", u"elsewhere", 3, false},
      {allow_then_deny, u"http", u"bad.example", 3, true},
      {zones, u"http", u"any", 1, true},
      {zones, u"http", u"any", 2, true},
      {zones, u"http", u"any", 0, false},
      {zones, u"http", u"any", 3, false},
      {zones, u"file", u"", 0, true},
      {zones, u"file", u"", 1, false},
      {zones, u"https", u"any", 2, true},
      {zones, u"https", u"any", 1, false},
      {zones, u"https", u"any", 4, false},
      {null_domain, u"file", u"", 3, true},
      {null_domain, u"file", u"server", 3, false},
      {null_domain, u"about", u"", 3, true},
      {null_domain, u"mk", u"", 3, false},
      {capital_scheme, u"http", u"example", 3, false},
      {capital_scheme, u"HTTP", u"example", 3, true},
      {{}, u"http", u"example", 3, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(control::MatchesAllowedSites(c.table, c.scheme, c.domain, c.zone), c.allowed)
        << Narrow(c.scheme) << "://" << Narrow(c.domain) << " zone " << c.zone << " table of "
        << c.table.size();
  }
}

TEST(AllowedSitesTest, ShippedTableIsEveryConfiguredPatternForHttpThenHttps) {
  const auto table = control::ShippedAllowedSites();
  ASSERT_EQ(table.size(), 2 * control::kConfiguredSitePatterns.size());
  EXPECT_LE(table.size(), 16u);
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].rule, 0u);
    EXPECT_EQ(table[i].scheme, i % 2 == 0 ? u"http" : u"https");
    const auto* pattern = std::get_if<std::u16string_view>(&table[i].domain);
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(*pattern, control::kConfiguredSitePatterns[i / 2]);
  }
}

// Answers each part as scripted (none: the parser fails) and records what it was asked.
class ScriptedParser final : public UrlParser {
 public:
  std::optional<std::u16string> canonical, scheme, domain;
  struct Call {
    Part part;
    std::u16string input;
    std::size_t capacity;
  };
  std::vector<Call> calls;

  std::optional<std::u16string> Parse(Part part, std::u16string_view url,
                                      std::size_t capacity) override {
    calls.push_back({part, std::u16string(url), capacity});
    return part == Part::kCanonical ? canonical : part == Part::kScheme ? scheme : domain;
  }
};

TEST(SplitUrlTest, PartsComeFromTheCanonicalFormWithinTheirBuffers) {
  ScriptedParser parser;
  parser.canonical = u"http://canonical.example/";
  parser.scheme = u"http";
  parser.domain = u"canonical.example";
  const std::optional<UrlSplit> split = control::SplitUrl(u"http://given.example/", parser);
  ASSERT_TRUE(split);
  EXPECT_EQ(split->scheme, u"http");
  EXPECT_EQ(split->domain, u"canonical.example");
  EXPECT_TRUE(split->has_domain);
  ASSERT_EQ(parser.calls.size(), 3u);
  EXPECT_EQ(parser.calls[0].input, u"http://given.example/");
  EXPECT_EQ(parser.calls[0].capacity, 2084u);
  EXPECT_EQ(parser.calls[1].input, u"http://canonical.example/");
  EXPECT_EQ(parser.calls[1].capacity, 32u);
  EXPECT_EQ(parser.calls[2].input, u"http://canonical.example/");
  EXPECT_EQ(parser.calls[2].capacity, 256u);

  // Limits: a part that fills its buffer without room for the terminator does not fit.
  struct Case {
    std::size_t canonical, scheme, domain;  // lengths; 0 = the parser fails
    bool splits, has_domain;
  };
  const Case cases[] = {
      {2083, 31, 255, true, true}, {2084, 4, 10, false, false}, {10, 32, 10, false, false},
      {10, 4, 256, true, false},   {10, 4, 0, true, false},     {0, 4, 10, false, false},
      {10, 0, 10, false, false},
  };
  for (const Case& c : cases) {
    const auto text = [](std::size_t n) {
      return n ? std::optional<std::u16string>(std::u16string(n, u'a')) : std::nullopt;
    };
    parser.canonical = text(c.canonical);
    parser.scheme = text(c.scheme);
    parser.domain = text(c.domain);
    const std::optional<UrlSplit> limited = control::SplitUrl(u"x:", parser);
    ASSERT_EQ(limited.has_value(), c.splits) << c.canonical << " " << c.scheme << " " << c.domain;
    if (!limited) continue;
    EXPECT_EQ(limited->has_domain, c.has_domain) << c.domain;
    EXPECT_EQ(limited->domain.empty(), !c.has_domain) << c.domain;
  }
}

TEST(PageHostTest, ReadsTheHostABrowserConnectsToOrNothingWhenAmbiguous) {
  struct Case {
    std::u16string_view url;
    std::optional<std::u16string_view> scheme, host;  // none: not read
  };
  const Case cases[] = {
      {u"http://a.example/", u"http", u"a.example"},
      {u"HTTPS://A.Example:8443/p?q#f", u"https", u"a.example"},
      {u"http://user:pw@a.example/", u"http", u"a.example"},
      {u"http://a.example@evil.invalid/", u"http", u"evil.invalid"},
      {u"http://a.example#@evil.invalid/", u"http", u"a.example"},
      {u"http://evil.invalid?@a.example/", u"http", u"evil.invalid"},
      {u"http://a.example:/", u"http", u"a.example"},
      {u"http://[::1]:80/", u"http", u"[::1]"},
      {u"http://a.example./", u"http", u"a.example."},
      {u"file:///C:/page.html", u"file", u""},
      {u"file://server/share/page.html", u"file", u"server"},
      {u"about:blank", u"about", u""},
      {u"mk:@MSITStore:C:\\help.chm::/page.htm", u"mk", u""},
      {u"javascript:alert(1)", u"javascript", u""},
      {u"http://a@b@a.example/", std::nullopt, std::nullopt},
      {u"http://a.example%2F.evil.invalid/", std::nullopt, std::nullopt},
      {u"http://%61.example/", std::nullopt, std::nullopt},
      {u"http://a.example\\.evil.invalid/", std::nullopt, std::nullopt},
      {u"http:\\\\a.example\\", std::nullopt, std::nullopt},
      {u"http:a.example/", std::nullopt, std::nullopt},
      {u"http:/a.example/", std::nullopt, std::nullopt},
      {u"http:///a.example/", std::nullopt, std::nullopt},
      {u"http://:80/", std::nullopt, std::nullopt},
      {u"http://a.example:evil/", std::nullopt, std::nullopt},
      {u"http://a.example\t.evil.invalid/", std::nullopt, std::nullopt},
      {u"http://a.example/\n", std::nullopt, std::nullopt},
      {std::u16string_view(u"http://a.example\0.evil/", 23), std::nullopt, std::nullopt},
      {u"http://\u0430.example/", std::nullopt, std::nullopt},
      {u"http://a\u3002example/", std::nullopt, std::nullopt},
      {u"http://[::1/", std::nullopt, std::nullopt},
      {u"http://[::1]x/", std::nullopt, std::nullopt},
      {u" http://a.example/", std::nullopt, std::nullopt},
      {u"ht%74p://a.example/", std::nullopt, std::nullopt},
      {u"://a.example/", std::nullopt, std::nullopt},
      {u"a.example", std::nullopt, std::nullopt},
      {u"javascript://a%2Eexample/", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<control::PageSite> site = control::ReadPageSite(c.url);
    ASSERT_EQ(site.has_value(), c.host.has_value()) << Narrow(c.url);
    if (!site) continue;
    EXPECT_EQ(site->scheme, *c.scheme) << Narrow(c.url);
    EXPECT_EQ(site->host, *c.host) << Narrow(c.url);
  }
}

TEST(PageHostTest, PageIsAllowedOnlyWhenTheParsedDomainIsTheHostAsGiven) {
  const AllowedSite table[] = {{0, u"http", u"a.example"},
                               {0, u"http", NullDomain{}},
                               {0, u"about", NullDomain{}},
                               {0, u"javascript", NullDomain{}}};
  const std::u16string long_host = u"http://" + std::u16string(300, u'x') + u".a.example/";
  struct Case {
    std::u16string_view url;
    std::u16string_view scheme;            // as the parser gives it
    std::optional<std::u16string> domain;  // none: the parser finds no domain
    bool walk_alone, allowed;              // the walk on the parsed parts, and the whole check
  };
  const Case cases[] = {
      {u"http://a.example/", u"http", u"a.example", true, true},
      {u"HTTP://A.EXAMPLE/", u"HTTP", u"A.EXAMPLE", false, true},
      {u"http://a.example%2F.evil.invalid/", u"http", u"a.example", true, false},
      {u"http://evil.invalid%40a.example/", u"http", u"a.example", true, false},
      {u"http://evil.invalid/", u"http", u"a.example", true, false},
      {u"http:evil.invalid/", u"http", std::nullopt, true, false},
      {long_host, u"http", std::nullopt, true, false},
      {u"javascript://a.example/%0a", u"javascript", std::nullopt, true, false},
      {u"about:blank", u"about", std::nullopt, true, true},
      {u"http://a.example/", u"https", u"a.example", false, false},
  };
  for (const Case& c : cases) {
    ScriptedParser parser;
    parser.canonical = std::u16string(c.url);
    parser.scheme = std::u16string(c.scheme);
    parser.domain = c.domain;
    EXPECT_EQ(control::MatchesAllowedSites(table, c.scheme, c.domain.value_or(u""), 3),
              c.walk_alone)
        << Narrow(c.url);
    EXPECT_EQ(control::IsSiteAllowed(table, PageLocation{std::u16string(c.url), 3}, parser),
              c.allowed)
        << Narrow(c.url);
  }
  ScriptedParser unused;
  EXPECT_FALSE(control::IsSiteAllowed(table, std::nullopt, unused));
  EXPECT_TRUE(unused.calls.empty());
}

TEST(SafetyOptionsTest, BitsChangeOnlyThroughAnAllowedSetOfSupportedBits) {
  control::SafetyOptions options;
  int site_checks = 0;
  const auto allowed = [&] { return ++site_checks, true; };
  const auto refused = [&] { return ++site_checks, false; };
  EXPECT_TRUE(options.Set(1, 1, allowed));
  EXPECT_EQ(options.Enabled(true), 1u);
  EXPECT_TRUE(options.Set(2, 3, allowed));  // only the masked bit changes
  EXPECT_EQ(options.Enabled(true), 3u);
  EXPECT_EQ(options.Enabled(false), 0u);
  EXPECT_FALSE(options.Set(1, 0, refused));
  EXPECT_EQ(options.Bits(), 3u);
  EXPECT_EQ(site_checks, 3);
  EXPECT_FALSE(options.Set(4, 4, allowed));
  EXPECT_FALSE(options.Set(5, 0, allowed));
  EXPECT_EQ(site_checks, 3);  // an unsupported mask is refused before the page is asked
  EXPECT_TRUE(options.Set(1, 0, allowed));
  EXPECT_EQ(options.Bits(), 2u);
  EXPECT_TRUE(options.Set(0, 3, allowed));
  EXPECT_EQ(options.Bits(), 2u);
}

}  // namespace
