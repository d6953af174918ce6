// The registration script interpreter, run over the in-memory registry, and the control's
// own registration script resources/ZorTabList.rgs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "control/reg_script.h"
#include "support/memory_registry.h"

namespace {

using control::HResult;
using control::kDispException;
using control::kOk;
using control::RegScriptMode;
using testing_support::MemoryRegistry;

constexpr RegScriptMode kRegister = RegScriptMode::kRegister;
constexpr RegScriptMode kUnregister = RegScriptMode::kUnregister;

const std::string kClassId = "{5C2E9A6E-3D7B-11D2-8E4F-0060B3A1C7D2}";
const std::string kClassKey = "CLSID\\" + kClassId;
const std::string kModule = "C:\\Program Files\\Zor\\ZorTabList.dll";

std::string ZorTabListScript() {
  const std::filesystem::path path =
      std::filesystem::path(__FILE__).parent_path() / "../../resources/ZorTabList.rgs";
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `script` the way the module does: the path's apostrophes doubled, under "Module".
HResult RunScript(MemoryRegistry& registry, std::string_view script, RegScriptMode mode,
                  const std::string& module = kModule) {
  return control::RunRegScript(script, {{"Module", control::DoubleApostrophes(module)}}, mode,
                               registry);
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The class's registry entries, all under HKCR, as MemoryRegistry::Dump() renders them.
std::vector<std::string> ClassTable(const std::string& module) {
  struct Row {
    std::string key;
    std::optional<std::string> default_value;
    std::vector<std::pair<std::string, std::string>> named = {};
  };
  const std::string cls = kClassKey;
  const std::vector<Row> rows = {
      {"ZorTabList.ZorTabbedList.1", "ZorTabbedList Class"},
      {"ZorTabList.ZorTabbedList.1\\CLSID", kClassId},
      {"ZorTabList.ZorTabbedList", "ZorTabbedList Class"},
      {"ZorTabList.ZorTabbedList\\CLSID", kClassId},
      {"ZorTabList.ZorTabbedList\\CurVer", "ZorTabList.ZorTabbedList.1"},
      {"CLSID", std::nullopt},
      {cls, "ZorTabbedList Class"},
      {cls + "\\ProgID", "ZorTabList.ZorTabbedList.1"},
      {cls + "\\VersionIndependentProgID", "ZorTabList.ZorTabbedList"},
      {cls + "\\Programmable", std::nullopt},
      {cls + "\\InprocServer32", module, {{"ThreadingModel", "Apartment"}}},
      {cls + "\\Control", std::nullopt},
      {cls + "\\Insertable", std::nullopt},
      {cls + "\\ToolboxBitmap32", module + ", 101"},
      {cls + "\\MiscStatus", "0"},
      {cls + "\\MiscStatus\\1", "131473"},
      {cls + "\\TypeLib", "{5C2E9A61-3D7B-11D2-8E4F-0060B3A1C7D2}"},
      {cls + "\\Version", "1.0"},
  };
  std::vector<std::string> lines;
  for (const Row& row : rows) {
    const std::string key = "HKCR\\" + row.key;
    lines.push_back(key);
    if (row.default_value) lines.push_back(key + " @ = S:" + *row.default_value);
    for (const auto& [name, text] : row.named) lines.push_back(key + " [" + name + "] = S:" + text);
  }
  return Sorted(lines);
}

std::vector<std::string> Plus(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return Sorted(lines);
}

// ---------------------------------------------------------------------------------------
// The control's script

TEST(reg_script_ZorTabList, RegisterWritesExactlyTheClassTable) {
  const std::string script = ZorTabListScript();
  ASSERT_FALSE(script.empty());
  MemoryRegistry registry;
  EXPECT_EQ(RunScript(registry, script, kRegister), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), ClassTable(kModule));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(reg_script_ZorTabList, ModulePathApostrophesArriveSingle) {
  const std::string module = "C:\\Users\\O'Neil\\Bob's ''Tools''\\ZorTabList.dll";
  MemoryRegistry registry;
  EXPECT_EQ(RunScript(registry, ZorTabListScript(), kRegister, module), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), ClassTable(module));
  EXPECT_EQ(registry.StringAt(kClassKey + "\\InprocServer32", ""), module);
  EXPECT_EQ(registry.StringAt(kClassKey + "\\ToolboxBitmap32", ""), module + ", 101");

  // A caller that forgets to double them gets a refusal, not a silently cut path.
  MemoryRegistry undoubled;
  EXPECT_EQ(control::RunRegScript(ZorTabListScript(), {{"Module", module}}, kRegister, undoubled),
            kDispException);
  EXPECT_TRUE(undoubled.Dump().empty());
}

TEST(reg_script_ZorTabList, ReRegistrationRestoresTheTableAndKeepsOtherClasses) {
  const std::string script = ZorTabListScript();
  MemoryRegistry registry;
  registry.PutString("CLSID\\{OTHER}", "", "Other Class");
  const std::vector<std::string> other = {"HKCR\\CLSID\\{OTHER}",
                                          "HKCR\\CLSID\\{OTHER} @ = S:Other Class"};
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  const std::vector<std::string> first = Sorted(registry.Dump());
  EXPECT_EQ(first, Plus(ClassTable(kModule), other));
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), first);

  // Strays under the ForceRemove class key go, also deep ones and named values.
  registry.PutKey(kClassKey + "\\Stray\\Deeper\\Deepest");
  registry.PutString(kClassKey, "Extra", "x");
  registry.PutString(kClassKey + "\\InprocServer32\\Leftover", "v", "y");
  registry.PutString(kClassKey + "\\MiscStatus", "", "changed");
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), first);

  // Moving the module rewrites both paths.
  ASSERT_EQ(RunScript(registry, script, kRegister, "D:\\new\\z.dll"), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), Plus(ClassTable("D:\\new\\z.dll"), other));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(reg_script_ZorTabList, UnregisterRemovesClassAndProgIdsButKeepsClsid) {
  const std::string script = ZorTabListScript();
  MemoryRegistry registry;
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  EXPECT_EQ(RunScript(registry, script, kUnregister), kOk);
  EXPECT_EQ(registry.Dump(), std::vector<std::string>{"HKCR\\CLSID"});

  // Another class's entries stay; an unrelated ProgID-like key stays.
  registry.PutString("CLSID\\{OTHER}\\InprocServer32", "", "other.dll");
  registry.PutString("ZorTabList.Other", "", "Other");
  const std::vector<std::string> before = Sorted(registry.Dump());
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  EXPECT_EQ(RunScript(registry, script, kUnregister), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), before);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(reg_script_ZorTabList, ForeignEntriesKeepAProgIdKey) {
  const std::string script = ZorTabListScript();
  MemoryRegistry registry;
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  registry.PutKey("ZorTabList.ZorTabbedList\\Added");
  registry.PutString("ZorTabList.ZorTabbedList.1", "Owner", "someone");
  EXPECT_EQ(RunScript(registry, script, kUnregister), kOk);
  EXPECT_TRUE(registry.HasKey("ZorTabList.ZorTabbedList\\Added"));
  EXPECT_FALSE(registry.HasKey("ZorTabList.ZorTabbedList\\CLSID"));
  EXPECT_FALSE(registry.HasKey("ZorTabList.ZorTabbedList\\CurVer"));
  EXPECT_EQ(registry.StringAt("ZorTabList.ZorTabbedList.1", "Owner"), "someone");
  EXPECT_FALSE(registry.HasKey("ZorTabList.ZorTabbedList.1\\CLSID"));
  EXPECT_FALSE(registry.HasKey(kClassKey));
  EXPECT_TRUE(registry.HasKey("CLSID"));
}

TEST(reg_script_ZorTabList, UnregisterWithNothingRegisteredCreatesNothing) {
  MemoryRegistry registry;
  EXPECT_EQ(RunScript(registry, ZorTabListScript(), kUnregister), kOk);
  EXPECT_TRUE(registry.Dump().empty());
  EXPECT_EQ(registry.WriteCount(), 0);
  // Half registered (only the class key) is cleaned up as well.
  registry.PutString(kClassKey + "\\InprocServer32", "", "x.dll");
  EXPECT_EQ(RunScript(registry, ZorTabListScript(), kUnregister), kOk);
  EXPECT_EQ(registry.Dump(), std::vector<std::string>{"HKCR\\CLSID"});
}

TEST(reg_script_ZorTabList, EveryFailedWriteAnswersDispException) {
  const std::string script = ZorTabListScript();
  MemoryRegistry counting;
  ASSERT_EQ(RunScript(counting, script, kRegister), kOk);
  const int total = counting.WriteCount();
  ASSERT_GT(total, 20);
  for (int allowed = 0; allowed <= total; ++allowed) {
    MemoryRegistry registry;
    registry.FailWritesAfter(allowed);
    EXPECT_EQ(RunScript(registry, script, kRegister), allowed == total ? kOk : kDispException)
        << "writes allowed: " << allowed;
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
  }
}

TEST(reg_script_ZorTabList, UnregisterRemovesWhatItCanPastAFailure) {
  const std::string script = ZorTabListScript();
  MemoryRegistry registry;
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  registry.Lock("ZorTabList.ZorTabbedList.1\\CLSID");
  EXPECT_EQ(RunScript(registry, script, kUnregister), kDispException);
  EXPECT_TRUE(registry.HasKey("ZorTabList.ZorTabbedList.1\\CLSID"));
  EXPECT_FALSE(registry.HasKey("ZorTabList.ZorTabbedList"));
  EXPECT_FALSE(registry.HasKey(kClassKey));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// ---------------------------------------------------------------------------------------
// Grammar

TEST(reg_script_Grammar, RootKeysInShortAndLongFormAndAnyCase) {
  const std::vector<std::pair<std::string, std::string>> roots = {
      {"HKCR", "HKCR"}, {"HKEY_CLASSES_ROOT", "HKCR"},
      {"HKCU", "HKCU"}, {"hkey_current_user", "HKCU"},
      {"HKLM", "HKLM"}, {"HKEY_LOCAL_MACHINE", "HKLM"},
      {"hku", "HKU"},   {"HKEY_USERS", "HKU"},
      {"HKPD", "HKPD"}, {"HKEY_PERFORMANCE_DATA", "HKPD"},
      {"HKDD", "HKDD"}, {"HKEY_DYN_DATA", "HKDD"},
      {"HKCC", "HKCC"}, {"HKEY_Current_Config", "HKCC"}};
  for (const auto& [name, shown] : roots) {
    MemoryRegistry registry;
    EXPECT_EQ(RunScript(registry, name + " { K = s 'v' }", kRegister), kOk) << name;
    EXPECT_EQ(registry.Dump(), (std::vector<std::string>{shown + "\\K", shown + "\\K @ = S:v"}))
        << name;
  }
}

TEST(reg_script_Grammar, ValueTypesKeywordsAndQuoting) {
  MemoryRegistry registry;
  const std::string script =
      "HKCU\n{\n"
      "  noREMOVE Types = S 'top'\n  {\n"
      "    vAl Text = s 'it''s 100%% %module%'\n"
      "    VAL Number = d '4294967295'\n"
      "    val Hex = D '0x1f'\n"
      "    Val Bytes = b '00Ff10'\n"
      "    Val Empty = B ''\n"
      "    Val 'spaced name' = s ''\n"
      "  }\n"
      "  'Val' = d '7'\n"
      "  'Delete' { 'with space' {GUID} = s 'x' }\n"
      "  forceremove Plain=s'glued'\n"
      "}\n";
  EXPECT_EQ(RunScript(registry, script, kRegister, "m'd"), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), Sorted({
                                         "HKCU\\Types",
                                         "HKCU\\Types @ = S:top",
                                         "HKCU\\Types [Text] = S:it's 100% m'd",
                                         "HKCU\\Types [Number] = D:4294967295",
                                         "HKCU\\Types [Hex] = D:31",
                                         "HKCU\\Types [Bytes] = B:00ff10",
                                         "HKCU\\Types [Empty] = B:",
                                         "HKCU\\Types [spaced name] = S:",
                                         "HKCU\\Val",
                                         "HKCU\\Val @ = D:7",
                                         "HKCU\\Delete",
                                         "HKCU\\Delete\\with space",
                                         "HKCU\\Delete\\{GUID}",
                                         "HKCU\\Delete\\{GUID} @ = S:x",
                                         "HKCU\\Plain",
                                         "HKCU\\Plain @ = S:glued",
                                     }));
}

TEST(reg_script_Grammar, EmptyScriptsAndTrailingNulsAreFine) {
  MemoryRegistry registry;
  EXPECT_EQ(RunScript(registry, "", kRegister), kOk);
  EXPECT_EQ(RunScript(registry, " \r\n\t", kRegister), kOk);
  EXPECT_EQ(RunScript(registry, "HKCR { } HKLM { }", kRegister), kOk);
  EXPECT_TRUE(registry.Dump().empty());
  EXPECT_EQ(RunScript(registry, std::string("HKCR { A }\0\0", 12), kRegister), kOk);
  EXPECT_EQ(registry.Dump(), std::vector<std::string>{"HKCR\\A"});
}

TEST(reg_script_Grammar, NestingIsBounded) {
  auto nested = [](int depth) {
    std::string script = "HKCR {";
    for (int i = 1; i < depth; ++i) script += " k" + std::to_string(i) + " {";
    for (int i = 0; i < depth; ++i) script += " }";
    return script;
  };
  MemoryRegistry registry;
  EXPECT_EQ(RunScript(registry, nested(control::kMaxRegScriptNesting), kRegister), kOk);
  EXPECT_EQ(registry.Dump().size(), static_cast<std::size_t>(control::kMaxRegScriptNesting - 1));
  EXPECT_EQ(RunScript(registry, nested(control::kMaxRegScriptNesting), kUnregister), kOk);
  EXPECT_TRUE(registry.Dump().empty());

  EXPECT_EQ(RunScript(registry, nested(control::kMaxRegScriptNesting + 1), kRegister),
            kDispException);
  std::string hostile = "HKCR {";
  for (int i = 0; i < 100000; ++i) hostile += " k {";
  EXPECT_EQ(RunScript(registry, hostile, kRegister), kDispException);
  EXPECT_TRUE(registry.Dump().empty());
}

TEST(reg_script_Grammar, MalformedScriptsChangeNothing) {
  const std::vector<std::string> scripts = {
      "HKCR {",
      "HKCR { A",
      "HKCR { A { }",
      "HKCR { A } }",
      "HKCR }",
      "{ }",
      "HKCR",
      "HKCR A { }",
      "HKXX { A }",
      "'HKCR' { A }",
      "HKCR = s 'x' { }",
      "HKCR {A}",
      "HKCR { A = }",
      "HKCR { A = s }",
      "HKCR { A = s x }",
      "HKCR { A = 'x' }",
      "HKCR { A = q 'x' }",
      "HKCR { A = ss 'x' }",
      "HKCR { A = 's' 'x' }",
      "HKCR { A = s 'x' = s 'y' }",
      "HKCR { A = s 'unterminated }",
      "HKCR { 'unterminated = s 'x' }",
      "HKCR { A = s '%UNKNOWN%' }",
      "HKCR { A = s '%MODULE' }",
      "HKCR { A = s '50% off' }",
      "HKCR { A = b 'xz' }",
      "HKCR { A = b 'abc' }",
      "HKCR { A = b '0 1' }",
      "HKCR { A = d '' }",
      "HKCR { A = d '-1' }",
      "HKCR { A = d '4294967296' }",
      "HKCR { A = d '99999999999' }",
      "HKCR { A = d '0x100000000' }",
      "HKCR { A = d '0x' }",
      "HKCR { A = d '12 ' }",
      "HKCR { Val }",
      "HKCR { Val n }",
      "HKCR { Val n = }",
      "HKCR { Val n s 'x' }",
      "HKCR { Val n = s }",
      "HKCR { Val '' = s 'x' }",
      "HKCR { Val { } }",
      "HKCR { '' }",
      "HKCR { 'a\\b' }",
      "HKCR { a\\b }",
      "HKCR { " + std::string(256, 'k') + " }",
      "HKCR { NoRemove }",
      "HKCR { NoRemove ForceRemove A }",
      "HKCR { Delete Val n = s 'x' }",
      "HKCR { = s 'x' }",
      std::string("HKCR { A\0B }", 12),
      "HKCR { New = s 'x' } HKCU {",
      "HKCR { New = s 'x' } junk",
      "HKCR { New = s 'x' } HKCU { Bad = s '%NOPE%' }",
  };
  for (const std::string& script : scripts) {
    for (RegScriptMode mode : {kRegister, kUnregister}) {
      MemoryRegistry registry;
      registry.PutString("New", "", "old");
      registry.PutString("A", "n", "old");
      const std::vector<std::string> before = registry.Dump();
      EXPECT_EQ(RunScript(registry, script, mode), kDispException) << script;
      EXPECT_EQ(registry.Dump(), before) << script;
      EXPECT_EQ(registry.WriteCount(), 0) << script;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Flags

TEST(reg_script_Flags, DeleteRemovesTheWholeTreeAndWritesNothing) {
  MemoryRegistry registry;
  registry.PutString("Old\\Sub\\Deep", "v", "x");
  registry.PutString("Old\\Other", "", "y");
  registry.PutString("Old", "", "z");
  registry.PutString("Keep", "", "k");
  EXPECT_EQ(RunScript(registry, "HKCR { Delete old = s 'no' { New = s 'no' } Delete Missing }",
                      kRegister),
            kOk);
  EXPECT_EQ(Sorted(registry.Dump()), Sorted({"HKCR\\Keep", "HKCR\\Keep @ = S:k"}));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(reg_script_Flags, ClsidAndTypelibAreNeverForceRemovedOrDeleted) {
  const std::string script =
      "HKCR { ForceRemove clsid { ForceRemove Mine = s '1' } Delete TYPELIB "
      "ForceRemove TypeLib { Lib = s '2' } Delete Other { CLSID } }";
  MemoryRegistry registry;
  registry.PutString("CLSID\\{X}", "", "x");
  registry.PutString("TypeLib\\{Y}", "", "y");
  registry.PutString("Other\\CLSID\\{Z}", "", "z");
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  EXPECT_EQ(Sorted(registry.Dump()), Sorted({
                                         "HKCR\\CLSID",
                                         "HKCR\\CLSID\\{X}",
                                         "HKCR\\CLSID\\{X} @ = S:x",
                                         "HKCR\\CLSID\\Mine",
                                         "HKCR\\CLSID\\Mine @ = S:1",
                                         "HKCR\\TypeLib",
                                         "HKCR\\TypeLib\\{Y}",
                                         "HKCR\\TypeLib\\{Y} @ = S:y",
                                         "HKCR\\TypeLib\\Lib",
                                         "HKCR\\TypeLib\\Lib @ = S:2",
                                     }));

  // Unregistering keeps them like NoRemove keys, even once they are empty.
  ASSERT_EQ(RunScript(registry, script, kUnregister), kOk);
  EXPECT_EQ(Sorted(registry.Dump()),
            Sorted({"HKCR\\CLSID", "HKCR\\CLSID\\{X}", "HKCR\\CLSID\\{X} @ = S:x", "HKCR\\TypeLib",
                    "HKCR\\TypeLib\\{Y}", "HKCR\\TypeLib\\{Y} @ = S:y"}));
  registry.PutString("Empty", "", "");
  ASSERT_EQ(RunScript(registry, "HKCR { NoRemove Empty { ForceRemove CLSID ForceRemove typelib } }",
                      kRegister),
            kOk);
  ASSERT_EQ(RunScript(registry, "HKCR { Delete Empty { ForceRemove CLSID Delete typelib } }",
                      kUnregister),
            kOk);
  EXPECT_TRUE(registry.HasKey("Empty\\CLSID"));
  EXPECT_TRUE(registry.HasKey("Empty\\typelib"));
}

TEST(reg_script_Flags, UnregisterDeletesEmptiedKeysAndTheScriptsValues) {
  const std::string script =
      "HKCR { A = s 'a' { B = s 'b' { Val v = s 'z' } } NoRemove N { Val w = d '1' C } }";
  MemoryRegistry registry;
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  registry.PutString("N", "foreign", "f");
  ASSERT_EQ(RunScript(registry, script, kUnregister), kOk);
  // A and B held only a default value and the script's own named value: both go. N stays,
  // without the script's value.
  EXPECT_EQ(Sorted(registry.Dump()), Sorted({"HKCR\\N", "HKCR\\N [foreign] = S:f"}));

  // A named value from elsewhere keeps B, and so A above it.
  ASSERT_EQ(RunScript(registry, script, kRegister), kOk);
  registry.PutString("A\\B", "foreign", "f");
  ASSERT_EQ(RunScript(registry, script, kUnregister), kOk);
  EXPECT_TRUE(registry.HasKey("A\\B"));
  EXPECT_EQ(registry.StringAt("A\\B", "v"), std::nullopt);
  EXPECT_EQ(registry.StringAt("A", ""), "a");
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// ---------------------------------------------------------------------------------------
// Hostile input

// A mutated script either runs or is refused; a refusal changes nothing, and whatever a
// run registered, its unregistration can remove again.
void ExpectSoundRun(const std::string& script) {
  MemoryRegistry registry;
  const HResult registered = RunScript(registry, script, kRegister);
  ASSERT_TRUE(registered == kOk || registered == kDispException) << script;
  if (registered == kDispException) {
    EXPECT_TRUE(registry.Dump().empty()) << script;
  } else {
    EXPECT_EQ(RunScript(registry, script, kUnregister), kOk) << script;
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  MemoryRegistry fresh;
  const HResult unregistered = RunScript(fresh, script, kUnregister);
  EXPECT_TRUE(unregistered == kOk || unregistered == kDispException) << script;
  EXPECT_TRUE(fresh.Dump().empty()) << script;
}

TEST(reg_script_Fuzz, EveryTruncationOfTheControlScriptIsRefused) {
  const std::string script = ZorTabListScript();
  const std::size_t last_close = script.rfind('}');
  ASSERT_NE(last_close, std::string::npos);
  for (std::size_t length = 1; length <= last_close; ++length) {
    MemoryRegistry registry;
    ASSERT_EQ(RunScript(registry, script.substr(0, length), kRegister), kDispException) << length;
    ASSERT_TRUE(registry.Dump().empty()) << length;
  }
}

TEST(reg_script_Fuzz, MutatedAndRandomScriptsNeverMisbehave) {
  const std::string script = ZorTabListScript();
  std::mt19937 random(20240611u);
  auto pick = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  const std::string special("{}='%\\ \n\0Bb0xX", 14);
  for (int round = 0; round < 1500; ++round) {
    std::string mutated = script;
    const int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits && !mutated.empty(); ++e) {
      const std::size_t at = pick(mutated.size());
      switch (pick(4)) {
        case 0:
          mutated[at] = special[pick(special.size())];
          break;
        case 1:
          mutated[at] = static_cast<char>(pick(256));
          break;
        case 2:
          mutated.erase(at, 1 + pick(16));
          break;
        default:
          mutated.insert(at, mutated.substr(pick(mutated.size()), 1 + pick(24)));
          break;
      }
    }
    ExpectSoundRun(mutated);
  }

  const std::vector<std::string> words = {
      "HKCR",  "HKLM",    "HKEY_USERS", "{",     "}",          "=",      "s",
      "D",     "b",       "Val",        "val",   "NoRemove",   "Delete", "ForceRemove",
      "CLSID", "typelib", "Key",        "'q'",   "'%MODULE%'", "'0a'",   "'12'",
      "''",    "'",       "%%",         "'%X%'", "{GUID}"};
  for (int round = 0; round < 3000; ++round) {
    std::string soup;
    const std::size_t count = 1 + pick(40);
    for (std::size_t i = 0; i < count; ++i) soup += words[pick(words.size())] + ' ';
    ExpectSoundRun(soup);
  }
}

}  // namespace
