// The type library is the control's binary contract: hosts bind to its DISPIDs and
// vtable slots. The tables below restate that contract on their own, so any change of
// order, DISPID, kind, argument or help string in the IDL fails here. Every check runs
// on the generated .tlb and on the copy embedded in the DLL as TYPELIB 1.
#include <gtest/gtest.h>
#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ZorTabList.h"
#include "control/com/com_text.h"

namespace {

using control::com::UniqueBstr;
using Microsoft::WRL::ComPtr;

std::wstring Str(const UniqueBstr& text) {
  return std::wstring(text.Get() ? text.Get() : L"", text.Length());
}

// Member names are ASCII; for failure messages.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// --- The contract ----------------------------------------------------------------------

struct Arg {
  const wchar_t* name;
  VARTYPE type;
};

// One row per member. `accessors` lists the member's functions in slot order:
// 'g' property get, 'p' property put, 'm' method.
struct Member {
  const wchar_t* name;
  const char* accessors;
  DISPID id;
  std::vector<Arg> args;              // index arguments of a property, parameters of a method
  VARTYPE value;                      // property value type; VT_EMPTY for a method
  const wchar_t* help;                // nullptr: no help string
  const wchar_t* put_help = nullptr;  // the setter's, where it differs
  bool undirected = false;            // parameters declared without [in]
};

const Arg kId = {L"sID", VT_BSTR};

const std::vector<Member>& ControlMembers() {
  static const std::vector<Member> members = {
      {L"Enabled", "pg", -514, {}, VT_BOOL, nullptr},
      {L"TabStop", "pg", -516, {}, VT_BOOL, nullptr},
      {L"MousePointer", "pg", -521, {}, VT_I4, nullptr},
      {L"TabRows", "gp", 1, {}, VT_I4, L"Number of tab rows to display"},
      {L"MinTabWidth", "gp", 2, {}, VT_I4, L"Minimum width of each tab"},
      {L"ItemCount", "g", -531, {}, VT_I4, L"Number of tree items in all tabs"},
      {L"TabCount", "g", 4, {}, VT_I4, L"Number of tabs"},
      {L"PictureCount", "g", 5, {}, VT_I4, L"Number of pictures available"},
      {L"DisplayStyle", "gp", -540, {}, VT_I4, L"Display style, 0-both, 1-tab only, 2-tree only"},
      {L"TabStyle",
       "gp",
       6,
       {},
       VT_I4,
       L"Tab style bitmask, 1-justified, 2-vertical, 4-scrolling, 8-buttons, 16-flat, 32-no "
       L"separators"},
      {L"TreeStyle",
       "gp",
       7,
       {},
       VT_I4,
       L"Tree style bitmask, 1-lines at root, 2-no pictures, 4-select always, 8-single expand"},
      {L"SelectedTab", "gp", 8, {}, VT_BSTR, L"Currently selected tab name"},
      {L"SelectedItem", "gp", 9, {}, VT_BSTR, L"ID of currently selected tree item"},
      {L"Sorted",
       "gp",
       10,
       {},
       VT_I4,
       L"0-unsorted, 1-tree items are sorted, 2-use sort callback event"},
      {L"Tag", "gp", 11, {kId}, VT_BSTR, L"Tag string of item (ID)"},
      {L"HasChildren",
       "gp",
       12,
       {kId},
       VT_I4,
       L"Read: returns 1 if item (ID) currently has children loaded in the tree",
       L"Write: set to 1 to display the +(open) picture even if no children are currently "
       L"loaded for item (ID)"},
      {L"Delimiter", "gp", 13, {}, VT_I4, L"AddItem element parsing delimiter, ASCII value"},
      {L"ItemExists", "g", 14, {kId}, VT_I4, L"Returns 1 if item (ID) exists"},
      {L"TabExists", "g", 15, {kId}, VT_I4, L"Returns 1 if tab (Name) exists"},
      {L"Text", "gp", 22, {kId}, VT_BSTR, L"Text string of item (ID)"},
      {L"Href", "gp", 23, {kId}, VT_BSTR, L"Href string of item (ID)"},
      {L"Frame", "gp", 24, {kId}, VT_BSTR, L"Frame string of item (ID)"},
      {L"Parent", "gp", 25, {kId}, VT_BSTR, L"Parent ID of item (ID)"},
      {L"Select", "gp", 26, {kId}, VT_I4, L"Selected setting of item (ID)"},
      {L"Expand", "gp", 27, {kId}, VT_I4, L"Expanded setting of item (ID)"},
      {L"Bold", "gp", 28, {kId}, VT_I4, L"Bold setting of item (ID)"},
      {L"Level", "gp", 29, {kId}, VT_I4, L"Level setting of item (ID)"},
      {L"Opic", "gp", 30, {kId}, VT_I4, L"Open Picture setting of item (ID)"},
      {L"Cpic", "gp", 31, {kId}, VT_I4, L"Closed Picture setting of item (ID)"},
      {L"Pic", "gp", 32, {kId}, VT_I4, L"Picture setting of item (ID)"},
      {L"Tab", "gp", 33, {kId}, VT_BSTR, L"Tab name of item (ID)"},
      {L"FirstVisibleItem", "gp", 35, {}, VT_BSTR, L"First visible tree item (ID)"},
      {L"GetFirstItem", "g", 36, {}, VT_BSTR, L"Begin tree list iterator"},
      {L"GetNextItem", "g", 37, {}, VT_BSTR, L"Continue tree list iterator"},
      {L"OverlayPic", "gp", 38, {kId}, VT_I4, L"Overlay picture setting of item (ID),0-3"},
      {L"ItemEnabled", "gp", 39, {kId}, VT_BOOL, L"Enabled setting of item (ID)"},
      {L"GetFirstChild",
       "g",
       40,
       {{L"parentID", VT_BSTR}},
       VT_BSTR,
       L"Begin Child list iterator (ID)"},
      {L"GetNextChild",
       "g",
       41,
       {{L"prevChildID", VT_BSTR}},
       VT_BSTR,
       L"Continue Child list iterator (Previous Child ID)"},
      {L"OverlayPictureCount", "g", 44, {}, VT_I4, L"Number of overlay pictures available"},
      {L"HilightSelectedTab", "gp", 46, {}, VT_BOOL, L"Highlight selected tab"},
      {L"TabPic", "gp", 47, {kId}, VT_I4, L"Picture setting of tab (tab)"},
      {L"ItemString", "g", 49, {kId}, VT_BSTR, L"Returns AddItem string for item"},
      {L"EnableToolTips", "gp", 50, {}, VT_BOOL, L"Tool tips enabled setting"},
      {L"ToolTipText", "gp", 51, {}, VT_BSTR, L"Tool tip text"},
      {L"ToolTipDelay", "gp", 53, {}, VT_I4, L"Milliseconds to delay before showing tool tips"},
      {L"SortCompare", "gp", 54, {}, VT_I4, L"Tree sort compare result:0-equal,-1-A<B, 1-A>B"},
      {L"EventKeyState",
       "g",
       55,
       {{L"virtKey", VT_I4}},
       VT_I4,
       L"Get key state of a virtual key number during mouse event"},
      {L"FireClick", "m", 56, {kId}, VT_EMPTY, L"method Fires the click event on the control."},
      {L"FireDblClick", "m", 57, {kId}, VT_EMPTY, L"method Fires the Click event on the control."},
      {L"SelectMultiple",
       "m",
       58,
       {kId, {L"selected", VT_BOOL}, {L"cascade", VT_BOOL}},
       VT_EMPTY,
       L"method Select multiple items on the tree",
       nullptr,
       true},
      {L"GetFirstSelectedItem", "g", 59, {}, VT_BSTR, L"Begin tree selected list iterator"},
      {L"GetNextSelectedItem", "g", 60, {}, VT_BSTR, L"Continue tree selected list iterator"},
      {L"DeleteItem", "m", -555, {kId}, VT_EMPTY, L"Delete item from tree"},
      {L"AddItem", "m", -553, {{L"bsVal", VT_BSTR}}, VT_EMPTY, L"Add item to tab/tree"},
      {L"Refresh", "m", -550, {}, VT_EMPTY, L"Refresh display after adding items"},
      {L"SetFocus", "m", 19, {}, VT_EMPTY, L"Sets input focus on tree"},
      {L"DeleteTab", "m", 34, {{L"sTab", VT_BSTR}}, VT_EMPTY, L"Delete a tab"},
      {L"DeleteChildren", "m", 42, {{L"parentID", VT_BSTR}}, VT_EMPTY, L"Delete all child items"},
      {L"ReadyState", "g", 43, {}, VT_I4, L"property ReadyState"},
      {L"DeleteAll", "m", 45, {}, VT_EMPTY, L"Delete all Tabs and Tree Items"},
      {L"AddItemList",
       "m",
       48,
       {{L"bsVal", VT_BSTR}},
       VT_EMPTY,
       L"Add a CR-delimited list of items to tab/tree"},
      {L"ExpandAll",
       "m",
       52,
       {{L"newVal", VT_BOOL}, kId},
       VT_EMPTY,
       L"Expand or collapse all children of a tree item"},
      {L"CL", "pg", 21, {{L"index", VT_I4}}, VT_BSTR, L"property CL"},
      {L"CL0", "pg", 20, {}, VT_BSTR, L"property CL0"},
  };
  return members;
}

struct Event {
  const wchar_t* name;
  std::vector<Arg> args;
};

// DISPIDs are the positions, from 1.
const std::vector<Event>& ControlEvents() {
  static const std::vector<Event> events = {
      {L"TabChanged", {{L"bsNewTab", VT_BSTR}}},
      {L"TreeOpened", {{L"bsID", VT_BSTR}}},
      {L"TreeClosed", {{L"bsID", VT_BSTR}}},
      {L"TreeClicked", {{L"bsID", VT_BSTR}}},
      {L"TreeRClicked", {{L"bsID", VT_BSTR}}},
      {L"TreeDblClicked", {{L"bsID", VT_BSTR}}},
      {L"TreeOpening", {{L"bsID", VT_BSTR}}},
      {L"TreeSelChanged", {{L"bsID", VT_BSTR}, {L"bsNewID", VT_BSTR}, {L"nAction", VT_I4}}},
      {L"TreeKeyPress", {{L"bsID", VT_BSTR}, {L"lKeyVal", VT_I4}}},
      {L"TreeClosing", {{L"bsID", VT_BSTR}}},
      {L"TreeSingleExpand", {{L"bsID", VT_BSTR}, {L"bsNewID", VT_BSTR}}},
      {L"TreeSelChanging", {{L"bsID", VT_BSTR}, {L"bsNewID", VT_BSTR}, {L"nAction", VT_I4}}},
      {L"TreeRDblClicked", {{L"bsID", VT_BSTR}}},
      {L"TreeGotFocus", {}},
      {L"TreeLostFocus", {}},
      {L"TreeItemDeleted", {{L"bsID", VT_BSTR}}},
      {L"TreeGetToolTipText", {{L"bsID", VT_BSTR}}},
      {L"TreeSortCompare", {{L"bsID1", VT_BSTR}, {L"bsID2", VT_BSTR}}},
      {L"TabRClicked", {{L"bsTab", VT_BSTR}}},
      {L"TabKeyPress", {{L"bsTab", VT_BSTR}, {L"lKeyVal", VT_I4}}},
      {L"TabChanging", {{L"bsTab", VT_BSTR}}},
  };
  return events;
}

struct Constant {
  const wchar_t* name;
  LONG value;
};

const std::vector<Constant> kMousePointers = {
    {L"ccDefault", 0},        {L"ccArrow", 1},
    {L"ccCross", 2},          {L"ccIbeam", 3},
    {L"ccIcon", 4},           {L"ccSize", 5},
    {L"ccSizeNESW", 6},       {L"ccSizeNS", 7},
    {L"ccSizeNWSE", 8},       {L"ccSizeEW", 9},
    {L"ccUpArrow", 10},       {L"ccHourglass", 11},
    {L"ccNoDrop", 12},        {L"ccArrowHourglass", 13},
    {L"ccArrowQuestion", 14}, {L"ccSizeAll", 15},
    {L"ccCustom", 99},
};
const std::vector<Constant> kStates = {
    {L"overlayNone", 0},        {L"overlayDisabled", 1}, {L"overlayChecked", 2},
    {L"overlayXed", 3},         {L"overlayShortcut", 4}, {L"overlayBlueTriangle", 5},
    {L"overlayRedTriangle", 6}, {L"overlayLocked", 7},   {L"overlayUnlocked", 8},
};

// Identities as literals, so that the generated header cannot agree with itself.
constexpr GUID kLibraryId = {
    0x5C2E9A61, 0x3D7B, 0x11D2, {0x8E, 0x4F, 0x00, 0x60, 0xB3, 0xA1, 0xC7, 0xD2}};
constexpr GUID kInterfaceId = {
    0x5C2E9A6D, 0x3D7B, 0x11D2, {0x8E, 0x4F, 0x00, 0x60, 0xB3, 0xA1, 0xC7, 0xD2}};
constexpr GUID kClassId = {
    0x5C2E9A6E, 0x3D7B, 0x11D2, {0x8E, 0x4F, 0x00, 0x60, 0xB3, 0xA1, 0xC7, 0xD2}};
constexpr GUID kEventsId = {
    0x8F41B7C2, 0x2E6A, 0x11D2, {0xA5, 0xD3, 0x00, 0x80, 0xC7, 0xE2, 0x91, 0x4B}};
constexpr GUID kMousePointersId = {
    0x5C2E9A63, 0x3D7B, 0x11D2, {0x8E, 0x4F, 0x00, 0x60, 0xB3, 0xA1, 0xC7, 0xD2}};
constexpr GUID kStatesId = {
    0x5C2E9A64, 0x3D7B, 0x11D2, {0x8E, 0x4F, 0x00, 0x60, 0xB3, 0xA1, 0xC7, 0xD2}};
constexpr GUID kStdOleId = {
    0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// One function as the type library must describe it.
struct Param {
  std::wstring name;  // empty: unnamed (the value of a property put)
  VARTYPE type;       // VT_PTR means pointer to `pointee`
  VARTYPE pointee;
  USHORT flags;
};
struct Function {
  std::wstring name;
  DISPID id;
  INVOKEKIND kind;
  std::vector<Param> params;
  std::wstring help;        // the help string of this very function
  std::wstring first_help;  // what GetDocumentation answers for the DISPID
};

std::vector<Function> ExpectedFunctions() {
  std::vector<Function> functions;
  for (const Member& member : ControlMembers()) {
    for (const char* accessor = member.accessors; *accessor; ++accessor) {
      Function f;
      f.name = member.name;
      f.id = member.id;
      const USHORT in = member.undirected ? PARAMFLAG_NONE : PARAMFLAG_FIN;
      for (const Arg& arg : member.args) f.params.push_back({arg.name, arg.type, VT_EMPTY, in});
      f.help = member.help ? member.help : L"";
      f.first_help = f.help;
      switch (*accessor) {
        case 'g':
          f.kind = INVOKE_PROPERTYGET;
          f.params.push_back({L"pVal", VT_PTR, member.value, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL});
          break;
        case 'p':
          f.kind = INVOKE_PROPERTYPUT;
          f.params.push_back({L"", member.value, VT_EMPTY, PARAMFLAG_FIN});
          if (member.put_help) f.help = member.put_help;
          break;
        default:
          f.kind = INVOKE_FUNC;
          break;
      }
      functions.push_back(f);
    }
  }
  return functions;
}

// --- Reading the raw tlb ---------------------------------------------------------------
// The automation API answers help strings and names per DISPID only, so a setter whose
// help differs from its getter's, or the parameter names of a second accessor, are
// invisible through it. This reads them from every function record of the MSFT file.

struct Record {
  std::wstring help;
  std::vector<std::wstring> params;  // empty text: unnamed
};

class RawTypeLib {
 public:
  explicit RawTypeLib(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  // The function records of the type named `type`, in slot order; nullopt when the file
  // cannot be read as expected.
  std::optional<std::vector<Record>> Functions(const std::wstring& type) const {
    if (Int(0) != 0x5446534D) return std::nullopt;  // "MSFT"
    const int count = Int(0x20);
    const size_t offsets = 0x54 + ((Int(0x14) & 0x100) ? 4 : 0);  // help DLL field
    const size_t segments = offsets + 4 * static_cast<size_t>(count);
    auto segment = [&](int index) { return static_cast<size_t>(Int(segments + 16 * index)); };
    const size_t typeinfos = segment(0), names = segment(7), strings = segment(8);
    for (int i = 0; i < count; ++i) {
      const size_t info = typeinfos + static_cast<size_t>(Int(offsets + 4 * i));
      if (Name(names, Int(info + 0x34)) != type) continue;
      const int functions = Int(info + 0x18) & 0xFFFF;
      size_t record = static_cast<size_t>(Int(info + 4)) + 4;
      std::vector<Record> result;
      for (int f = 0; f < functions; ++f) {
        const size_t size = static_cast<size_t>(Int(record) & 0xFFFF);
        const size_t args = static_cast<size_t>(Int(record + 0x14) & 0xFFFF);
        if (size < 24 + 12 * args || record + size > bytes_.size()) return std::nullopt;
        Record r;
        const size_t optional = (size - 24 - 12 * args) / 4;
        const int help = optional >= 2 ? Int(record + 28) : -1;
        if (help >= 0) r.help = String(strings + static_cast<size_t>(help));
        const size_t params = record + size - 12 * args;
        for (size_t a = 0; a < args; ++a) r.params.push_back(Name(names, Int(params + 12 * a + 4)));
        result.push_back(std::move(r));
        record += size;
      }
      return result;
    }
    return std::nullopt;
  }

 private:
  int Int(size_t at) const {
    if (at + 4 > bytes_.size()) return -1;
    int32_t value;
    std::memcpy(&value, &bytes_[at], 4);
    return value;
  }
  std::wstring Chars(size_t at, size_t length) const {
    std::wstring text;
    for (size_t i = 0; i < length && at + i < bytes_.size(); ++i) text += wchar_t(bytes_[at + i]);
    return text;
  }
  // A name table entry: hreftype, hash link, length in the low byte, then the characters.
  std::wstring Name(size_t table, int offset) const {
    if (offset < 0) return L"";
    const size_t at = table + static_cast<size_t>(offset);
    return Chars(at + 12, static_cast<size_t>(Int(at + 8) & 0xFF));
  }
  // A string table entry: 16-bit length, then the characters.
  std::wstring String(size_t at) const {
    return Chars(at + 2, static_cast<size_t>(Int(at) & 0xFFFF));
  }

  std::vector<unsigned char> bytes_;
};

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::vector<unsigned char> ReadWholeFile(const wchar_t* path) {
  Handle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::vector<unsigned char> bytes;
  LARGE_INTEGER size;
  if (file.Get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.Get(), &size)) return bytes;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size()) {
    bytes.clear();
  }
  return bytes;
}

// TYPELIB 1 of the DLL, read without running any of the DLL's code.
std::vector<unsigned char> EmbeddedTypeLib(const wchar_t* dll) {
  std::vector<unsigned char> bytes;
  HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return bytes;
  if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB")) {
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (data)
      bytes.assign(static_cast<const unsigned char*>(data),
                   static_cast<const unsigned char*>(data) + size);
  }
  FreeLibrary(module);
  return bytes;
}

// --- Test fixture ----------------------------------------------------------------------

enum class Source { File, Dll };

void PrintTo(Source source, std::ostream* out) { *out << (source == Source::File ? "tlb" : "dll"); }

class TypeLibTest : public ::testing::TestWithParam<Source> {
 protected:
  void SetUp() override {
    const wchar_t* path = GetParam() == Source::File ? ZORTAB_TLB_PATH : ZORTAB_DLL_PATH;
    ASSERT_EQ(LoadTypeLib(path, &library_), S_OK) << "cannot load the type library";
  }

  ComPtr<ITypeInfo> Info(const GUID& id) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(id, &info), S_OK);
    return info;
  }

  // The vtable view of the dual interface.
  ComPtr<ITypeInfo> InterfaceInfo() {
    ComPtr<ITypeInfo> dispatch = Info(kInterfaceId);
    ComPtr<ITypeInfo> vtable;
    HREFTYPE ref = 0;
    if (dispatch && dispatch->GetRefTypeOfImplType(-1, &ref) == S_OK) {
      EXPECT_EQ(dispatch->GetRefTypeInfo(ref, &vtable), S_OK);
    }
    return vtable;
  }

  ComPtr<ITypeLib> library_;
};

std::wstring Documentation(ITypeInfo* info, MEMBERID id) {
  UniqueBstr name, help;
  if (info->GetDocumentation(id, name.Out(), help.Out(), nullptr, nullptr) != S_OK) return L"?";
  return Str(help);
}

std::wstring TypeName(ITypeInfo* info) {
  UniqueBstr name;
  if (info->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr) != S_OK) {
    return L"?";
  }
  return Str(name);
}

std::vector<std::wstring> Names(ITypeInfo* info, MEMBERID id) {
  BSTR names[8] = {};
  UINT count = 0;
  std::vector<std::wstring> result;
  if (info->GetNames(id, names, 8, &count) != S_OK) return result;
  for (UINT i = 0; i < count; ++i) {
    UniqueBstr owned(names[i]);
    result.push_back(Str(owned));
  }
  return result;
}

class FuncDesc {
 public:
  FuncDesc(ITypeInfo* info, UINT index) : info_(info) {
    if (info_->GetFuncDesc(index, &desc_) != S_OK) desc_ = nullptr;
  }
  ~FuncDesc() {
    if (desc_) info_->ReleaseFuncDesc(desc_);
  }
  FuncDesc(const FuncDesc&) = delete;
  FuncDesc& operator=(const FuncDesc&) = delete;
  const FUNCDESC* operator->() const { return desc_; }
  explicit operator bool() const { return desc_ != nullptr; }

 private:
  ITypeInfo* info_;
  FUNCDESC* desc_ = nullptr;
};

class TypeAttr {
 public:
  explicit TypeAttr(ITypeInfo* info) : info_(info) {
    if (!info_ || info_->GetTypeAttr(&attr_) != S_OK) attr_ = nullptr;
  }
  ~TypeAttr() {
    if (attr_) info_->ReleaseTypeAttr(attr_);
  }
  TypeAttr(const TypeAttr&) = delete;
  TypeAttr& operator=(const TypeAttr&) = delete;
  const TYPEATTR* operator->() const { return attr_; }
  explicit operator bool() const { return attr_ != nullptr; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attr_ = nullptr;
};

// --- Library ---------------------------------------------------------------------------

TEST_P(TypeLibTest, LibraryIdentityAndContent) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, kLibraryId));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0u);
  EXPECT_EQ(attr->syskind, ZORTAB_SYSKIND_EXPECTED);
  library_->ReleaseTLibAttr(attr);

  UniqueBstr name, help;
  ASSERT_EQ(library_->GetDocumentation(-1, name.Out(), help.Out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Str(name), L"ZORTABLISTLib");
  EXPECT_EQ(Str(help), L"ZorTabList 1.0 Type Library");

  // Exactly the five types, each of its kind and with its help string.
  struct Type {
    const GUID* id;
    const wchar_t* name;
    TYPEKIND kind;
    const wchar_t* help;
  };
  const Type types[] = {
      {&kEventsId, L"_IZorTabbedListEvents", TKIND_DISPATCH, L"_IZorTabbedListEvents Interface"},
      {&kClassId, L"ZorTabbedList", TKIND_COCLASS, L"ZorTabbedList Class"},
      {&kInterfaceId, L"IZorTabbedList", TKIND_DISPATCH, L"IZorTabbedList Interface"},
      {&kMousePointersId, L"mousepointers", TKIND_ENUM, L""},
      {&kStatesId, L"states", TKIND_ENUM, L""},
  };
  EXPECT_EQ(library_->GetTypeInfoCount(), std::size(types));
  for (const Type& type : types) {
    ComPtr<ITypeInfo> info = Info(*type.id);
    ASSERT_TRUE(info) << type.name;
    TypeAttr attr(info.Get());
    ASSERT_TRUE(attr);
    EXPECT_EQ(attr->typekind, type.kind) << type.name;
    EXPECT_EQ(TypeName(info.Get()), type.name);
    EXPECT_EQ(Documentation(info.Get(), MEMBERID_NIL), type.help) << type.name;
  }
}

// The import table is what widl has been seen to corrupt: IDispatch must resolve into
// stdole2 for both interfaces.
TEST_P(TypeLibTest, BaseInterfacesResolveThroughTheStandardLibrary) {
  for (const GUID* id : {&kEventsId, &kInterfaceId}) {
    ComPtr<ITypeInfo> info = Info(*id);
    ASSERT_TRUE(info);
    ComPtr<ITypeInfo> vtable = info;
    HREFTYPE ref = 0;
    if (id == &kInterfaceId) vtable = InterfaceInfo();
    ASSERT_TRUE(vtable);
    ASSERT_EQ(vtable->GetRefTypeOfImplType(0, &ref), S_OK);
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(vtable->GetRefTypeInfo(ref, &base), S_OK);
    EXPECT_EQ(TypeName(base.Get()), L"IDispatch");
    ComPtr<ITypeLib> container;
    UINT index = 0;
    ASSERT_EQ(base->GetContainingTypeLib(&container, &index), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(container->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kStdOleId));
    container->ReleaseTLibAttr(attr);
  }
}

// --- IZorTabbedList --------------------------------------------------------------------

TEST_P(TypeLibTest, InterfaceIsDualAndDerivesFromIDispatch) {
  ComPtr<ITypeInfo> dispatch = Info(kInterfaceId);
  ASSERT_TRUE(dispatch);
  TypeAttr dispatch_attr(dispatch.Get());
  ASSERT_TRUE(dispatch_attr);
  const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
  // The loader keeps "OLE automation" on the vtable view only.
  EXPECT_EQ(dispatch_attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE),
            TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);

  ComPtr<ITypeInfo> vtable = InterfaceInfo();
  ASSERT_TRUE(vtable);
  TypeAttr attr(vtable.Get());
  ASSERT_TRUE(attr);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_EQ(attr->cImplTypes, 1);
  EXPECT_EQ(attr->wTypeFlags & dual, dual);
  EXPECT_TRUE(IsEqualGUID(attr->guid, kInterfaceId));
  EXPECT_EQ(attr->cFuncs, ExpectedFunctions().size());
  EXPECT_EQ(attr->cbSizeVft, (7 + ExpectedFunctions().size()) * sizeof(void*));
}

// Slot by slot: position, DISPID, kind, arguments with names, types and flags.
TEST_P(TypeLibTest, EveryFunctionInItsSlot) {
  ComPtr<ITypeInfo> vtable = InterfaceInfo();
  ASSERT_TRUE(vtable);
  const std::vector<Function> expected = ExpectedFunctions();
  TypeAttr attr(vtable.Get());
  ASSERT_TRUE(attr);
  ASSERT_EQ(attr->cFuncs, expected.size());
  for (UINT i = 0; i < expected.size(); ++i) {
    const Function& want = expected[i];
    SCOPED_TRACE(testing::Message() << "slot " << 7 + i << ": " << Narrow(want.name));
    FuncDesc f(vtable.Get(), i);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
    EXPECT_EQ(f->memid, want.id);
    EXPECT_EQ(f->invkind, want.kind);
    EXPECT_EQ(f->funckind, FUNC_PUREVIRTUAL);
    EXPECT_EQ(f->callconv, CC_STDCALL);
    EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT);
    EXPECT_EQ(f->cParamsOpt, 0);
    ASSERT_EQ(f->cParams, static_cast<SHORT>(want.params.size()));

    for (SHORT p = 0; p < f->cParams; ++p) {
      const Param& param = want.params[p];
      const ELEMDESC& e = f->lprgelemdescParam[p];
      EXPECT_EQ(e.tdesc.vt, param.type) << "parameter " << p;
      if (param.type == VT_PTR && e.tdesc.vt == VT_PTR) {
        EXPECT_EQ(e.tdesc.lptdesc->vt, param.pointee) << "parameter " << p;
      }
      EXPECT_EQ(e.paramdesc.wParamFlags, param.flags) << "parameter " << p;
    }
  }
}

std::vector<unsigned char> TypeLibBytes(Source source) {
  return source == Source::File ? ReadWholeFile(ZORTAB_TLB_PATH) : EmbeddedTypeLib(ZORTAB_DLL_PATH);
}

// Parameter names, which late-bound callers with named arguments rely on. The type
// library keeps no name for the value of a property put.
TEST_P(TypeLibTest, ParameterNames) {
  ComPtr<ITypeInfo> vtable = InterfaceInfo();
  ASSERT_TRUE(vtable);
  const std::vector<Function> expected = ExpectedFunctions();
  const auto records = RawTypeLib(TypeLibBytes(GetParam())).Functions(L"IZorTabbedList");
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const Function& want = expected[i];
    std::vector<std::wstring> want_params;
    for (const Param& param : want.params) want_params.push_back(param.name);
    EXPECT_EQ((*records)[i].params, want_params) << "slot " << 7 + i;
    // Through the API, a DISPID names its first accessor.
    if (i > 0 && expected[i - 1].id == want.id) continue;
    std::vector<std::wstring> want_names = {want.name};
    for (const std::wstring& name : want_params) {
      if (!name.empty()) want_names.push_back(name);
    }
    EXPECT_EQ(Names(vtable.Get(), want.id), want_names) << "slot " << 7 + i;
  }
}

TEST_P(TypeLibTest, HelpStringOfEveryFunction) {
  ComPtr<ITypeInfo> vtable = InterfaceInfo();
  ASSERT_TRUE(vtable);
  const std::vector<Function> expected = ExpectedFunctions();
  for (const Function& want : expected) {
    EXPECT_EQ(Documentation(vtable.Get(), want.id), want.first_help) << "DISPID " << want.id;
  }
  // Each record's own help string, the setter of HasChildren included.
  const auto records = RawTypeLib(TypeLibBytes(GetParam())).Functions(L"IZorTabbedList");
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ((*records)[i].help, expected[i].help) << "slot " << 7 + i;
  }
}

// Late binding: every member name maps to its DISPID through the dispatch view.
TEST_P(TypeLibTest, NamesMapToDispids) {
  ComPtr<ITypeInfo> dispatch = Info(kInterfaceId);
  ASSERT_TRUE(dispatch);
  for (const Member& member : ControlMembers()) {
    LPOLESTR name = const_cast<LPOLESTR>(member.name);
    MEMBERID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(&name, 1, &id), S_OK);
    EXPECT_EQ(id, member.id) << Narrow(member.name);
  }
  EXPECT_EQ(ControlMembers().size(), 64u);
}

// --- Events ----------------------------------------------------------------------------

TEST_P(TypeLibTest, EventsInDispidOrder) {
  ComPtr<ITypeInfo> events = Info(kEventsId);
  ASSERT_TRUE(events);
  TypeAttr attr(events.Get());
  ASSERT_TRUE(attr);
  EXPECT_EQ(attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE, TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(attr->wTypeFlags & TYPEFLAG_FDUAL, 0);
  EXPECT_EQ(attr->cVars, 0);
  // The dispinterface's own functions follow the seven inherited from IDispatch.
  const std::vector<Event>& want = ControlEvents();
  ASSERT_EQ(want.size(), 21u);
  ASSERT_GE(attr->cFuncs, want.size());
  const UINT first = attr->cFuncs - static_cast<UINT>(want.size());
  for (UINT i = 0; i < want.size(); ++i) {
    const Event& event = want[i];
    const DISPID id = static_cast<DISPID>(i + 1);
    SCOPED_TRACE(testing::Message() << "event " << id);
    FuncDesc f(events.Get(), first + i);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->memid, id);
    EXPECT_EQ(f->funckind, FUNC_DISPATCH);
    EXPECT_EQ(f->invkind, INVOKE_FUNC);
    EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_VOID);
    ASSERT_EQ(f->cParams, static_cast<SHORT>(event.args.size()));
    std::vector<std::wstring> names = {event.name};
    for (SHORT p = 0; p < f->cParams; ++p) {
      EXPECT_EQ(f->lprgelemdescParam[p].tdesc.vt, event.args[p].type);
      EXPECT_EQ(f->lprgelemdescParam[p].paramdesc.wParamFlags, PARAMFLAG_FIN);
      names.push_back(event.args[p].name);
    }
    EXPECT_EQ(Names(events.Get(), id), names);
    EXPECT_EQ(Documentation(events.Get(), id), std::wstring(L"method ") + event.name);
  }
}

// --- Coclass and enumerations ----------------------------------------------------------

TEST_P(TypeLibTest, ClassIsCreatableWithDefaultAndSourceInterfaces) {
  ComPtr<ITypeInfo> coclass = Info(kClassId);
  ASSERT_TRUE(coclass);
  TypeAttr attr(coclass.Get());
  ASSERT_TRUE(attr);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
  ASSERT_EQ(attr->cImplTypes, 2);
  struct Implemented {
    const GUID* id;
    INT flags;
  };
  const Implemented implemented[] = {
      {&kInterfaceId, IMPLTYPEFLAG_FDEFAULT},
      {&kEventsId, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
  };
  for (UINT i = 0; i < 2; ++i) {
    INT flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
    EXPECT_EQ(flags, implemented[i].flags) << i;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, &info), S_OK);
    TypeAttr implemented_attr(info.Get());
    ASSERT_TRUE(implemented_attr);
    EXPECT_TRUE(IsEqualGUID(implemented_attr->guid, *implemented[i].id)) << i;
  }
}

void ExpectEnum(ITypeInfo* info, const std::vector<Constant>& constants) {
  TypeAttr attr(info);
  ASSERT_TRUE(attr);
  ASSERT_EQ(attr->cVars, constants.size());
  for (UINT i = 0; i < constants.size(); ++i) {
    VARDESC* var = nullptr;
    ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
    EXPECT_EQ(var->varkind, VAR_CONST);
    ASSERT_TRUE(var->lpvarValue);
    EXPECT_EQ(V_VT(var->lpvarValue), VT_I4);
    EXPECT_EQ(V_I4(var->lpvarValue), constants[i].value) << i;
    UniqueBstr name, help;
    EXPECT_EQ(info->GetDocumentation(var->memid, name.Out(), help.Out(), nullptr, nullptr), S_OK);
    EXPECT_EQ(Str(name), constants[i].name);
    EXPECT_EQ(Str(help), L"") << "enumeration constants carry no help string";
    info->ReleaseVarDesc(var);
  }
}

TEST_P(TypeLibTest, EnumerationConstants) {
  ComPtr<ITypeInfo> pointers = Info(kMousePointersId);
  ComPtr<ITypeInfo> states = Info(kStatesId);
  ASSERT_TRUE(pointers && states);
  ExpectEnum(pointers.Get(), kMousePointers);
  ExpectEnum(states.Get(), kStates);
}

INSTANTIATE_TEST_SUITE_P(Sources, TypeLibTest, ::testing::Values(Source::File, Source::Dll),
                         [](const testing::TestParamInfo<Source>& info) {
                           return info.param == Source::File ? "Tlb" : "Dll";
                         });

// The DLL carries exactly the library the build generated.
TEST(EmbeddedTypeLib, SameBytesAsTheGeneratedFile) {
  const std::vector<unsigned char> file = ReadWholeFile(ZORTAB_TLB_PATH);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(EmbeddedTypeLib(ZORTAB_DLL_PATH), file);
}

}  // namespace
