// The zortab tool's readers and printers: how a page's parameters and a text file's lines
// become records, how attribute values are decoded, how bytes are printed safely, and the
// findings that need all records of a file.
#include <gtest/gtest.h>

#include <string>

#include "tools/zortab/checker.h"
#include "tools/zortab/output.h"
#include "tools/zortab/page_input.h"

using namespace std::string_literals;

namespace {

TEST(DecodeCharacterReferences, DecodesAsABrowserDoes) {
  const std::pair<std::string, std::string> cases[] = {
      {"a &amp; b", "a & b"},
      {"&lt;&gt;&quot;&apos;", "<>\"'"},
      {"&nbsp;", "\xC2\xA0"},
      {"&#65;&#x42;&#X43", "ABC"},   // the ';' of a numeric reference may be left out
      {"&#x263A;", "\xE2\x98\xBA"},  // UTF-8
      {"&#0;&#xD800;&#99999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // U+FFFD
      {"&AMP; &unknown; & &#; &#x;", "&AMP; &unknown; & &#; &#x;"},            // kept
      {"&amp", "&amp"},
  };
  for (const auto& [value, decoded] : cases) {
    EXPECT_EQ(zortab::DecodeCharacterReferences(value), decoded) << value;
  }
}

TEST(ReadPageParams, TakesClValuesInIndexOrderOutsideCommentsAndScripts) {
  const std::string page =
      "<script>x='<param name=CL0 value=\"TAB:S,TEXT:s\">'</script>\n"
      "<!-- <param name=CL1 value=\"TAB:C,TEXT:c\"> -->\n"
      "<object><param name='cl10' value='ten'>\n"
      "<PARAM VALUE=\"T&amp;x\" NAME=\"CL2\" value=\"second\"/>\n"
      "<param name=CL3 value=three><param name=CL2 value=again>\n"
      "<param name=CL007 value=x><param name=CL351 value=x><param name=CL4>\n"
      "<param name=DisplayStyle value=' 2 '><param name=Sorted value=one>\n"
      "<param name=CL5 value=\"open";
  const zortab::Input input = zortab::ReadPageParams(page);
  EXPECT_TRUE(input.page);
  ASSERT_EQ(input.records.size(), 4u);
  const std::string expected[][3] = {
      {"CL2", "T&x", "4"}, {"CL3", "three", "5"}, {"CL5", "open", "8"}, {"CL10", "ten", "3"}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(input.records[i].name, expected[i][0]);
    EXPECT_EQ(input.records[i].text, expected[i][1]);
    EXPECT_EQ(std::to_string(input.records[i].line), expected[i][2]);
  }
  EXPECT_EQ(input.display_style, 2);
  EXPECT_FALSE(input.sorted.has_value());
  // The second CL2, CL007, CL351, Sorted's value and the open quote.
  ASSERT_EQ(input.warnings.size(), 5u);
  EXPECT_EQ(input.warnings[0].line, 5u);
  EXPECT_EQ(input.warnings.back().line, 8u);
}

TEST(ReadTextRecords, LinesEndAtCrLfOrBothAndEmptyLinesAddNothing) {
  const zortab::Input input = zortab::ReadTextRecords(
      "\xEF\xBB\xBF"
      "a\r\nb\rc\n\nd\0e\r"s);
  ASSERT_EQ(input.records.size(), 4u);
  const std::pair<std::size_t, std::string> expected[] = {
      {1, "a"}, {2, "b"}, {3, "c"}, {5, "d\0e"s}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(input.records[i].line, expected[i].first);
    EXPECT_EQ(input.records[i].text, expected[i].second);
  }
}

TEST(Output, BytesArePrintedSafely) {
  const std::string bytes = "ok \xC3\xA9 \xE9\x1b[0m\0\"\\\xF0\x9F\x98\x80\xED\xA0\x80"s;
  EXPECT_EQ(zortab::TerminalText(bytes),
            "ok \xC3\xA9 \\xe9\\x1b[0m\\x00\"\\\xF0\x9F\x98\x80\\xed\\xa0\\x80");
  EXPECT_EQ(
      zortab::JsonString(bytes),
      "\"ok \xC3\xA9 \\u00e9\\u001b[0m\\u0000\\\"\\\\\xF0\x9F\x98\x80\\u00ed\\u00a0\\u0080\"");
}

TEST(CheckRecords, LaterDuplicatesAndLoopsAreFoundAcrossTheFile) {
  zortab::Input input;
  input.records = {{1, {}, "TAB:A,TEXT:a,ID:x,PARENT:y", {}},
                   {2, {}, "TAB:A,TEXT:b,ID:y,PARENT:x", {}},
                   {3, {}, "TAB:A,TEXT:c,ID:x", {}},
                   {4, {}, "TAB:A,TEXT:d,ID:ID4", {}},
                   {5, {}, "TAB:A,TEXT:e", {}}};
  const auto records = zortab::CheckRecords(input, {});
  ASSERT_EQ(records.size(), 5u);
  const auto has = [&](std::size_t i, const std::string& text) {
    for (const auto& message : records[i].messages) {
      if (message.text.find(text) != std::string::npos) return true;
    }
    return false;
  };
  EXPECT_TRUE(has(0, "parent loop: \"x\" -> \"y\" -> \"x\""));
  EXPECT_TRUE(has(1, "parent loop"));
  EXPECT_FALSE(has(2, "parent loop"));
  EXPECT_TRUE(has(2, "already used by line 1"));
  // A generated ID can clash with one a record gave.
  EXPECT_EQ(records[4].id, "ID4");
  EXPECT_TRUE(has(4, "already used by line 4"));
  EXPECT_FALSE(has(3, "already used"));
}

}  // namespace
