// The Windows benchmark (`make bench-win`): the control's bulk work through the core and
// the real common controls, each case beside its floor, the same work sent straight to a
// tree view. Run under Wine (and Xvfb) by the build's launcher; prints a table and, with
// --json PATH, writes the medians in seconds as one JSON object.
//
//   rebuild/N            a control (facade + ControlWindow in a shown top-level window)
//                        holding tabs A and B of N items each (every second item the child
//                        of the one before it) and tab C of N more; one sample switches
//                        the shown tab between A and B (the SelectedTab put).
//   rebuild/N/floor      a SysTreeView32 made like the dialog's (styles, size, font,
//                        picture list), child of a plain shown window, holding one tab's
//                        nodes: redraw off, TVM_DELETEITEM of TVI_ROOT, the other tab's
//                        nodes by TVM_INSERTITEMA (same texts, parents, pictures, lParam,
//                        in the same order), redraw on.
//   additemlist/10000    AddItemList of 10,000 such records into the shown, empty tab.
//   additemlist/10000/floor
//                        the same AddItemList on a control without window (the model
//                        alone, `#model`) plus the same 10,000 inserts on a tree view with
//                        redraw off (`#tree`), summed per sample.
//   deleteall/100000     DeleteAll of a control showing one tab of 100,000 items.
//   deleteall/100000/floor
//                        redraw off, TVM_DELETEITEM of TVI_ROOT, redraw on, on a tree
//                        holding the same nodes.
//
// A sample is the operation alone, as the floors above are defined. The painting it
// leaves (RedrawWindow with RDW_UPDATENOW on the top-level window, right after) is timed
// apart and shown beside it: that is where an operation that leaves more to draw (the tab
// strip after a tab switch, a dialog around a window that was hidden) pays for it, but on
// Wine its cost varies from run to run far more than the operations' do. Every case runs
// once to warm up; then the repetitions are taken in turn (the first of every case, then
// the second, ..., every other round backwards), and medians are reported. Each window has
// its own place on the screen, so none covers another.
//
// Diagnostics: --filter NAME (a case name or a prefix ending before a '/'), --reps N,
// --probe (what single platform calls cost here), --pieces N (where the time of
// rebuild/N goes).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "control/com/control_window.h"
#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "view/appearance.h"
#include "view/win32/win32_views.h"

#ifndef ZORTAB_DLL_PATH
#error "ZORTAB_DLL_PATH names the built control DLL (its resources: template 103, pictures)"
#endif

namespace {

// ---- Timing and failure ----------------------------------------------------------------

double Seconds() {
  static const double tick = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1.0 / static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * tick;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "rebuild_win_bench: %s\n", what.c_str());
  std::fflush(stderr);
  std::exit(1);
}

void Check(bool condition, const std::string& what) {
  if (!condition) Fail(what);
}

// ---- Windows ----------------------------------------------------------------------------

// The built control DLL, for its resources (template 103, the pictures).
HINSTANCE ControlResources() {
  static HMODULE module = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&init);
    HMODULE m = LoadLibraryW(ZORTAB_DLL_PATH);
    if (m == nullptr) Fail("cannot load the control DLL");
    return m;
  }();
  return module;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Before a sample: whatever earlier work left to paint is painted, and the display server
// is given a moment to draw it, so that a sample waits as little as may be for another
// one's drawing.
void Settle() {
  PumpMessages();
  GdiFlush();
  Sleep(50);
  PumpMessages();
}

// A shown top-level window in its own cell of a 4 x 3 grid on the 1280 x 1024 screen.
constexpr int kCellWidth = 320;
constexpr int kCellHeight = 340;

class HostWindow {
 public:
  explicit HostWindow(int cell) {
    static const ATOM atom = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = "ZorTabBenchHost";
      return RegisterClassA(&wc);
    }();
    hwnd_ = CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(atom)),
                            "ZorTabbedList bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            (cell % 4) * kCellWidth, (cell / 4) * kCellHeight, kCellWidth,
                            kCellHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    Check(hwnd_ != nullptr, "cannot create a host window");
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
  }
  ~HostWindow() { DestroyWindow(hwnd_); }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND Get() const { return hwnd_; }
  RECT Client() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r;
  }
  // Paints whatever is left invalid, children included.
  void Paint() const { RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

 private:
  HWND hwnd_ = nullptr;
};

int TreeCount(HWND tree) { return static_cast<int>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)); }

HTREEITEM NextItem(HWND tree, WPARAM which, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(item)));
}

// ---- Records and nodes ------------------------------------------------------------------

// Tabs A and B of `count` items each and tab C of as many, interleaved in Seq order; in
// each tab every second item is the child of the item before it.
std::string RebuildRecords(int count) {
  std::string list;
  list.reserve(static_cast<std::size_t>(count) * 3 * 48);
  for (int i = 0; i < count; ++i) {
    for (const char tab : {'A', 'B', 'C'}) {
      const char prefix = static_cast<char>(tab - 'A' + 'a');
      list += "TAB:";
      list += tab;
      list += ",TEXT:Item " + std::to_string(i) + " of ";
      list += tab;
      list += ",ID:";
      list += prefix;
      list += std::to_string(i);
      if (i % 2 == 1) {
        list += ",PARENT:";
        list += prefix;
        list += std::to_string(i - 1);
      }
      list += '\n';
    }
  }
  return list;
}

// One tab of `count` items, shaped as above.
std::string TabRecords(const char* tab, int count) {
  std::string list;
  list.reserve(static_cast<std::size_t>(count) * 48);
  for (int i = 0; i < count; ++i) {
    list += "TAB:";
    list += tab;
    list += ",TEXT:Item " + std::to_string(i) + ",ID:x" + std::to_string(i);
    if (i % 2 == 1) list += ",PARENT:x" + std::to_string(i - 1);
    list += '\n';
  }
  return list;
}

// A node as the control inserts it: text, pictures, lParam (the item's Seq), and the
// position of its parent node in the same list (-1: top level).
struct NodeSpec {
  std::string text;
  int image = 0;
  int selected_image = 0;
  LPARAM param = 0;
  int parent = -1;
};

// The nodes of one tab, taken from the control's store in the order the control inserts
// them (Seq order).
std::vector<NodeSpec> NodesOfTab(const control::TabbedList& list, const std::string& tab) {
  const model::Store& store = list.Impl().store;
  const std::int32_t index = store.FindTab(tab);
  Check(index >= 0, "no tab " + tab);
  std::vector<NodeSpec> nodes;
  std::unordered_map<model::Seq, int> position;
  model::Store::SeqSet::Cursor cursor;
  for (model::Seq seq = store.NextOfTab(index, cursor); seq != model::kNoSeq;
       seq = store.NextOfTab(index, cursor)) {
    const model::Item* item = store.FindItemPtr(seq);
    NodeSpec n;
    n.text = std::string(std::string_view(item->Text));
    n.image = item->Cpic;
    n.selected_image = item->Cpic;
    n.param = static_cast<LPARAM>(seq);
    if (!item->Parent().empty()) {
      const model::Item* parent = store.FindItemById(item->Parent());
      Check(parent != nullptr && position.count(parent->Seq()) == 1, "parent not before child");
      n.parent = position[parent->Seq()];
    }
    position[seq] = static_cast<int>(nodes.size());
    nodes.push_back(std::move(n));
  }
  return nodes;
}

// The tree holds as many nodes as `nodes`, and its first ones in pre-order (at most
// kCheckedNodes) are those of `nodes`, in order: text, pictures, lParam, parent. (Every
// message that names a node costs Wine's tree a search of its node list, so a walk of
// all 100,000 nodes would take minutes.)
constexpr std::size_t kCheckedNodes = 10000;

void CheckTree(HWND tree, const std::vector<NodeSpec>& nodes, const std::string& what) {
  Check(TreeCount(tree) == static_cast<int>(nodes.size()),
        what + ": the tree holds " + std::to_string(TreeCount(tree)) + " nodes, not " +
            std::to_string(nodes.size()));
  std::unordered_map<HTREEITEM, int> position;
  std::size_t i = 0;
  char buffer[256];
  for (HTREEITEM item = NextItem(tree, TVGN_ROOT, nullptr); item != nullptr && i < kCheckedNodes;
       ++i) {
    Check(i < nodes.size(), what + ": more nodes than expected");
    TVITEMA tv{};
    tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = sizeof buffer;
    Check(SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) != 0,
          what + ": TVM_GETITEMA failed");
    const HTREEITEM parent = NextItem(tree, TVGN_PARENT, item);
    const NodeSpec& n = nodes[i];
    Check(n.text == buffer && n.image == tv.iImage && n.selected_image == tv.iSelectedImage &&
              n.param == tv.lParam && n.parent == (parent == nullptr ? -1 : position.at(parent)),
          what + ": node " + std::to_string(i) + " differs");
    position[item] = static_cast<int>(i);
    // The next node in pre-order: the first child, else the next sibling of the node or
    // of its nearest ancestor that has one.
    HTREEITEM next = NextItem(tree, TVGN_CHILD, item);
    for (HTREEITEM up = item; next == nullptr && up != nullptr;
         up = NextItem(tree, TVGN_PARENT, up)) {
      next = NextItem(tree, TVGN_NEXT, up);
    }
    item = next;
  }
  Check(i == std::min(nodes.size(), kCheckedNodes), what + ": fewer nodes than expected");
}

// ---- The control --------------------------------------------------------------------------

// A control in a shown top-level window: the facade and its window from template 103.
struct Control {
  explicit Control(int cell) : host(cell) {
    window = std::make_unique<control::com::ControlWindow>(list, ControlResources());
    Check(SUCCEEDED(window->Open(host.Get(), host.Client(), GetSysColor(COLOR_WINDOW))),
          "cannot open the control's window");
    PumpMessages();
  }
  ~Control() { window.reset(); }  // before the facade it is attached to
  HWND Tree() { return window->Dialog()->Tree()->Window(); }

  HostWindow host;
  control::TabbedList list;
  std::unique_ptr<control::com::ControlWindow> window;
};

// ---- The floor: a plain tree view ----------------------------------------------------------

// A tree view made like the control's: same styles, size, font and picture list.
class PlainTree {
 public:
  PlainTree(int cell, HWND like) : host_(cell), desktop_(ControlResources()) {
    RECT r{};
    GetWindowRect(like, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(like), reinterpret_cast<POINT*>(&r), 2);
    const auto style = static_cast<DWORD>(GetWindowLongA(like, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongA(like, GWL_EXSTYLE));
    tree_ = CreateWindowExA(ex_style, WC_TREEVIEWA, "", style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, host_.Get(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(view::win32::kTreeId)),
                            GetModuleHandleA(nullptr), nullptr);
    Check(tree_ != nullptr, "cannot create the plain tree view");
    SendMessageA(tree_, WM_SETFONT, SendMessageA(like, WM_GETFONT, 0, 0), FALSE);
    const view::PictureListHandle pictures = view::BuildPictureList(desktop_);
    Check(pictures != 0, "cannot build the picture list");
    SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, static_cast<LPARAM>(pictures));
    PumpMessages();
  }
  ~PlainTree() { DestroyWindow(tree_); }
  PlainTree(const PlainTree&) = delete;
  PlainTree& operator=(const PlainTree&) = delete;
  HWND Get() const { return tree_; }
  const HostWindow& Host() const { return host_; }

  void Insert(const std::vector<NodeSpec>& nodes) {
    handles_.resize(nodes.size());
    TVINSERTSTRUCTA insert{};
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const NodeSpec& n = nodes[i];
      insert.hParent = n.parent < 0 ? TVI_ROOT : handles_[static_cast<std::size_t>(n.parent)];
      insert.item.pszText = const_cast<char*>(n.text.c_str());
      insert.item.iImage = n.image;
      insert.item.iSelectedImage = n.selected_image;
      insert.item.lParam = n.param;
      handles_[i] = reinterpret_cast<HTREEITEM>(
          SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
  }
  void DeleteAll() { SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }
  void Redraw(bool on) { SendMessageA(tree_, WM_SETREDRAW, on ? TRUE : FALSE, 0); }
  // The timed work of a rebuild's floor.
  void Replace(const std::vector<NodeSpec>& nodes) {
    Redraw(false);
    DeleteAll();
    Insert(nodes);
    Redraw(true);
  }
  // Untimed set-up: the tree holds `nodes`, painted.
  void Fill(const std::vector<NodeSpec>& nodes) {
    Replace(nodes);
    host_.Paint();
  }

 private:
  HostWindow host_;
  view::win32::Win32Desktop desktop_;  // owns the picture list
  HWND tree_ = nullptr;
  std::vector<HTREEITEM> handles_;
};

// ---- Fixtures ---------------------------------------------------------------------------

// rebuild/N and its floor.
struct RebuildFixture {
  RebuildFixture(int count, int control_cell, int floor_cell) : n(count), control(control_cell) {
    control.list.AddItemList(RebuildRecords(count));
    control.list.PutSelectedTab("A");  // a new window shows no tab before a rebuild
    PumpMessages();
    nodes_a = NodesOfTab(control.list, "A");
    nodes_b = NodesOfTab(control.list, "B");
    Check(static_cast<int>(nodes_a.size()) == count, "tab A is not whole");
    CheckTree(control.Tree(), nodes_a, "rebuild control, tab A");
    control.list.PutSelectedTab("B");
    CheckTree(control.Tree(), nodes_b, "rebuild control, tab B");
    control.list.PutSelectedTab("A");
    control.host.Paint();
    floor = std::make_unique<PlainTree>(floor_cell, control.Tree());
    floor->Fill(nodes_b);
    CheckTree(floor->Get(), nodes_b, "rebuild floor, tab B");
    floor->Fill(nodes_a);
    CheckTree(floor->Get(), nodes_a, "rebuild floor, tab A");
  }

  void SwitchControl() {
    shown_b = !shown_b;
    control.list.PutSelectedTab(shown_b ? "B" : "A");
  }
  void SwitchFloor() {
    floor_b = !floor_b;
    floor->Replace(floor_b ? nodes_b : nodes_a);
  }

  int n;
  Control control;
  std::unique_ptr<PlainTree> floor;
  std::vector<NodeSpec> nodes_a, nodes_b;
  bool shown_b = false;
  bool floor_b = false;
};

// One tab of `count` records shown by a control, and a plain tree holding the same nodes.
struct ShownTab {
  ShownTab(int count, int control_cell, int floor_cell, const char* what)
      : records(TabRecords("Main", count)), control(control_cell) {
    control.list.AddItemList(records);
    control.list.PutSelectedTab("Main");
    PumpMessages();
    nodes = NodesOfTab(control.list, "Main");
    CheckTree(control.Tree(), nodes, std::string(what) + " control");
    floor = std::make_unique<PlainTree>(floor_cell, control.Tree());
    floor->Fill(nodes);
    CheckTree(floor->Get(), nodes, std::string(what) + " floor");
  }

  std::string records;
  Control control;
  std::unique_ptr<PlainTree> floor;
  std::vector<NodeSpec> nodes;
};

// additemlist/10000 and its floor.
struct AddItemListFixture : ShownTab {
  static constexpr int kCount = 10000;
  AddItemListFixture(int control_cell, int floor_cell)
      : ShownTab(kCount, control_cell, floor_cell, "additemlist") {
    model_only.AddItemList(records);
    Check(NodesOfTab(model_only, "Main").size() == nodes.size(), "the model alone differs");
  }

  control::TabbedList model_only;                   // no window
  std::vector<double> model_samples, tree_samples;  // the floor's two parts
};

// deleteall/100000 and its floor.
struct DeleteAllFixture : ShownTab {
  static constexpr int kCount = 100000;
  DeleteAllFixture(int control_cell, int floor_cell)
      : ShownTab(kCount, control_cell, floor_cell, "deleteall") {}
};

// ---- Cases ------------------------------------------------------------------------------

struct Case {
  Case(std::string name_, int reps_, std::function<void()> prepare_, std::function<void()> run_,
       const HostWindow* painted_, std::function<void()> check_)
      : name(std::move(name_)),
        reps(reps_),
        prepare(std::move(prepare_)),
        run(std::move(run_)),
        painted(painted_),
        check(std::move(check_)) {}

  std::string name;
  int reps;
  std::function<void()> prepare;        // untimed, before every run
  std::function<void()> run;            // timed
  const HostWindow* painted;            // painted after the run, timed apart
  std::function<void()> check;          // untimed, after every run
  std::vector<double> samples;          // the run
  std::vector<double> painted_samples;  // the run and the painting it left
};

struct Options {
  std::string json_path;
  std::string filter;
  int reps = 0;  // 0: each case's own
  bool probe = false;
  int pieces = 0;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--json" && i + 1 < argc) {
      o.json_path = argv[++i];
    } else if (a == "--filter" && i + 1 < argc) {
      o.filter = argv[++i];
    } else if (a == "--reps" && i + 1 < argc) {
      o.reps = std::atoi(argv[++i]);
    } else if (a == "--probe") {
      o.probe = true;
    } else if (a == "--pieces" && i + 1 < argc) {
      o.pieces = std::atoi(argv[++i]);
    } else {
      Fail(
          "usage: rebuild_win_bench [--json PATH] [--filter NAME] [--reps N] [--probe] "
          "[--pieces N]");
    }
  }
  return o;
}

// A case is wanted when the filter names it, or names a prefix of it that ends before a
// '/' ("rebuild" for all sizes, "rebuild/1000" for one size with its floor).
bool Wanted(const Options& o, const std::string& name) {
  if (o.filter.empty()) return true;
  const std::string_view n(name);
  return n.substr(0, o.filter.size()) == o.filter &&
         (n.size() == o.filter.size() || n[o.filter.size()] == '/');
}

int RepsFor(int count) { return count >= 100000 ? 5 : count >= 10000 ? 11 : 25; }

// ---- Output -----------------------------------------------------------------------------

const Case* Find(const std::vector<Case>& cases, const std::string& name) {
  for (const Case& c : cases) {
    if (c.name == name && !c.samples.empty()) return &c;
  }
  return nullptr;
}

void PrintTable(const std::vector<Case>& cases) {
  std::printf("\n%-30s %4s %10s %10s %10s %6s %10s %6s\n", "case", "reps", "median ms", "min ms",
              "max ms", "/floor", "+paint ms", "/floor");
  for (const Case& c : cases) {
    if (c.samples.empty()) continue;
    const double median = Median(c.samples);
    const auto [lo, hi] = std::minmax_element(c.samples.begin(), c.samples.end());
    char ratio[16] = "";
    char painted[16] = "";
    char painted_ratio[16] = "";
    const Case* f = Find(cases, c.name + "/floor");
    if (f != nullptr) std::snprintf(ratio, sizeof ratio, "%.2f", median / Median(f->samples));
    if (!c.painted_samples.empty()) {
      std::snprintf(painted, sizeof painted, "%.2f", Median(c.painted_samples) * 1e3);
      if (f != nullptr && !f->painted_samples.empty()) {
        std::snprintf(painted_ratio, sizeof painted_ratio, "%.2f",
                      Median(c.painted_samples) / Median(f->painted_samples));
      }
    }
    std::printf("%-30s %4zu %10.2f %10.2f %10.2f %6s %10s %6s\n", c.name.c_str(), c.samples.size(),
                median * 1e3, *lo * 1e3, *hi * 1e3, ratio, painted, painted_ratio);
  }
  std::printf(
      "(median, min, max: the operation, /floor: its median over the floor's; +paint: the\n"
      " operation and the painting it left, which on Wine varies from run to run)\n");
  std::fflush(stdout);
}

// The medians of the cases whose names hold no '#' (the floor's parts).
void WriteJson(const std::vector<Case>& cases, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) Fail("cannot write " + path);
  std::fprintf(f, "{\n");
  bool first = true;
  for (const Case& c : cases) {
    if (c.samples.empty() || c.name.find('#') != std::string::npos) continue;
    std::fprintf(f, "%s  \"%s\": %.9g", first ? "" : ",\n", c.name.c_str(), Median(c.samples));
    first = false;
  }
  std::fprintf(f, "\n}\n");
  std::fclose(f);
}

// ---- Diagnostics ------------------------------------------------------------------------

// --probe: what single platform calls cost on this machine, per call.
void Probe() {
  constexpr int kCalls = 20000;
  const auto per_call = [](const char* what, const std::function<void(int)>& call) {
    const double t0 = Seconds();
    for (int i = 0; i < kCalls; ++i) call(i);
    std::printf("%-48s %8.2f us\n", what, (Seconds() - t0) / kCalls * 1e6);
  };
  Control control(0);
  HostWindow plain(1);
  HCURSOR wait = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));
  HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  SetCursor(wait);
  per_call("SetCursor, the same cursor", [&](int) { SetCursor(wait); });
  per_call("SetCursor, wait and arrow in turn", [&](int i) { SetCursor(i % 2 ? wait : arrow); });
  per_call("GetCursor", [&](int) { GetCursor(); });
  per_call("SendMessage WM_NULL", [&](int) { SendMessageA(plain.Get(), WM_NULL, 0, 0); });
  // A deletion report of a node the control does not know, as the tree sends it.
  NMTREEVIEWW report{};
  report.hdr.hwndFrom = control.Tree();
  report.hdr.idFrom = view::win32::kTreeId;
  report.hdr.code = TVN_DELETEITEMA;
  report.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
  report.itemOld.hItem = reinterpret_cast<HTREEITEM>(0x12345678);
  report.itemOld.lParam = 0x7ffffff0;
  const auto notify = [&](HWND to) {
    SendMessageW(to, WM_NOTIFY, report.hdr.idFrom, reinterpret_cast<LPARAM>(&report));
  };
  HWND dialog = control.window->Dialog()->Window();
  per_call("TVN_DELETEITEM to the control's dialog", [&](int) { notify(dialog); });
  per_call("TVN_DELETEITEM to a plain window", [&](int) { notify(plain.Get()); });
  report.hdr.hwndFrom = plain.Get();
  per_call("WM_NOTIFY of another window to the dialog", [&](int) { notify(dialog); });
  std::fflush(stdout);
}

// --pieces N: where the time of rebuild/N goes, in the control and in the floor.
void Pieces(int count) {
  RebuildFixture r(count, 0, 1);
  HWND tree = r.control.Tree();
  const auto& nodes = [&r] { return r.floor_b ? r.nodes_b : r.nodes_a; };
  // The same nodes, the top level first and then the children: the same final tree, and
  // each parent is found sooner in the tree's list of nodes.
  const auto top_first = [](const std::vector<NodeSpec>& in) {
    std::vector<NodeSpec> out;
    std::vector<int> moved(in.size(), -1);
    for (const bool top : {true, false}) {
      for (std::size_t i = 0; i < in.size(); ++i) {
        if ((in[i].parent < 0) != top) continue;
        NodeSpec n = in[i];
        if (n.parent >= 0) n.parent = moved[static_cast<std::size_t>(n.parent)];
        moved[i] = static_cast<int>(out.size());
        out.push_back(n);
      }
    }
    return out;
  };
  const std::vector<NodeSpec> top_first_a = top_first(r.nodes_a);
  const std::vector<NodeSpec> top_first_b = top_first(r.nodes_b);
  const auto paint_control = [&r] { r.control.host.Paint(); };
  const auto paint_floor = [&r] { r.floor->Host().Paint(); };
  const std::vector<std::pair<std::string, std::function<void()>>> pieces = {
      {"control: SelectedTab put", [&r] { r.SwitchControl(); }},
      {"  paint", paint_control},
      {"floor: off, delete, insert, on", [&r] { r.SwitchFloor(); }},
      {"  paint", paint_floor},
      {"floor: off, delete",
       [&r] {
         r.floor_b = !r.floor_b;
         r.floor->Redraw(false);
         r.floor->DeleteAll();
       }},
      {"floor: insert", [&] { r.floor->Insert(nodes()); }},
      {"floor: on", [&r] { r.floor->Redraw(true); }},
      {"  paint", paint_floor},
      {"floor hidden: hide, off, delete, insert, on, show",
       [&] {
         r.floor_b = !r.floor_b;
         ShowWindow(r.floor->Get(), SW_HIDE);
         r.floor->Replace(nodes());
         ShowWindow(r.floor->Get(), SW_SHOWNA);
       }},
      {"  paint", paint_floor},
      {"floor top level first: off, delete, insert, on",
       [&] {
         r.floor_b = !r.floor_b;
         r.floor->Replace(r.floor_b ? top_first_b : top_first_a);
       }},
      {"  paint", paint_floor},
      {"control's tree: hide, show",
       [tree] {
         ShowWindow(tree, SW_HIDE);
         ShowWindow(tree, SW_SHOWNA);
       }},
      {"  paint", paint_control},
  };
  std::vector<std::vector<double>> samples(pieces.size());
  const int reps = RepsFor(count);
  for (int rep = -1; rep < reps; ++rep) {
    PumpMessages();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      // The display server catches up with the last piece's drawing (nothing is painted
      // here: the paint pieces measure what is left).
      GdiFlush();
      Sleep(50);
      const double t0 = Seconds();
      pieces[i].second();
      if (rep >= 0) samples[i].push_back(Seconds() - t0);
    }
  }
  std::printf("rebuild/%d, medians of %d:\n", count, reps);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    std::printf("  %-50s %10.3f ms\n", pieces[i].first.c_str(), Median(samples[i]) * 1e3);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  ControlResources();
  std::printf("ZorTabbedList Windows benchmark (%s)\n", sizeof(void*) == 8 ? "x64" : "x86");
  std::fflush(stdout);
  if (options.probe) {
    Probe();
    return 0;
  }
  if (options.pieces > 0) {
    Pieces(options.pieces);
    return 0;
  }

  std::vector<std::unique_ptr<RebuildFixture>> rebuilds;
  std::unique_ptr<AddItemListFixture> add;
  std::unique_ptr<DeleteAllFixture> del;
  std::vector<Case> cases;
  int cell = 0;
  const auto set_up_time = [](const std::string& name, double start) {
    std::printf("set-up %s: %.1f s\n", name.c_str(), Seconds() - start);
    std::fflush(stdout);
  };

  for (const int count : {1000, 10000, 100000}) {
    const std::string name = "rebuild/" + std::to_string(count);
    if (!Wanted(options, name) && !Wanted(options, name + "/floor")) continue;
    const double start = Seconds();
    rebuilds.push_back(std::make_unique<RebuildFixture>(count, cell, cell + 1));
    cell += 2;
    set_up_time(name, start);
    RebuildFixture* r = rebuilds.back().get();
    cases.emplace_back(
        name, RepsFor(count), nullptr, [r] { r->SwitchControl(); }, &r->control.host,
        [r] {
          Check(TreeCount(r->control.Tree()) == r->n, "rebuild: the control's tree is not whole");
        });
    cases.emplace_back(
        name + "/floor", RepsFor(count), nullptr, [r] { r->SwitchFloor(); }, &r->floor->Host(),
        [r] { Check(TreeCount(r->floor->Get()) == r->n, "rebuild floor: the tree is not whole"); });
  }

  if (Wanted(options, "additemlist/10000")) {
    const double start = Seconds();
    add = std::make_unique<AddItemListFixture>(cell, cell + 1);
    cell += 2;
    set_up_time("additemlist/10000", start);
    AddItemListFixture* a = add.get();
    const int reps = RepsFor(AddItemListFixture::kCount);
    cases.emplace_back(
        "additemlist/10000", reps,
        [a] {
          a->control.list.DeleteAll();  // the tab strip keeps position 0 shown
          PumpMessages();
          a->control.host.Paint();
          Check(TreeCount(a->control.Tree()) == 0, "additemlist: not emptied");
        },
        [a] { a->control.list.AddItemList(a->records); }, &a->control.host,
        [a] {
          Check(TreeCount(a->control.Tree()) == AddItemListFixture::kCount,
                "additemlist: the shown tab is not whole");
        });
    cases.emplace_back(
        "additemlist/10000/floor", reps,
        [a] {
          a->model_only.DeleteAll();
          a->floor->Fill({});
        },
        [a] {
          const double t0 = Seconds();
          a->model_only.AddItemList(a->records);
          const double t1 = Seconds();
          a->floor->Redraw(false);
          a->floor->Insert(a->nodes);
          a->floor->Redraw(true);
          a->model_samples.push_back(t1 - t0);
          a->tree_samples.push_back(Seconds() - t1);
        },
        &a->floor->Host(),
        [a] {
          Check(TreeCount(a->floor->Get()) == AddItemListFixture::kCount &&
                    a->model_only.GetItemCount() == AddItemListFixture::kCount,
                "additemlist floor: not whole");
        });
  }

  if (Wanted(options, "deleteall/100000")) {
    const double start = Seconds();
    del = std::make_unique<DeleteAllFixture>(cell, cell + 1);
    cell += 2;
    set_up_time("deleteall/100000", start);
    DeleteAllFixture* d = del.get();
    const int reps = RepsFor(DeleteAllFixture::kCount);
    cases.emplace_back(
        "deleteall/100000", reps,
        [d] {
          if (TreeCount(d->control.Tree()) == 0) {
            d->control.list.AddItemList(d->records);  // into the shown position 0
            PumpMessages();
            d->control.host.Paint();
          }
          Check(TreeCount(d->control.Tree()) == DeleteAllFixture::kCount,
                "deleteall: the shown tab is not whole");
        },
        [d] { d->control.list.DeleteAll(); }, &d->control.host,
        [d] {
          Check(TreeCount(d->control.Tree()) == 0 && d->control.list.GetItemCount() == 0,
                "deleteall: items left");
        });
    cases.emplace_back(
        "deleteall/100000/floor", reps,
        [d] {
          if (TreeCount(d->floor->Get()) == 0) d->floor->Fill(d->nodes);
        },
        [d] {
          d->floor->Redraw(false);
          d->floor->DeleteAll();
          d->floor->Redraw(true);
        },
        &d->floor->Host(),
        [d] { Check(TreeCount(d->floor->Get()) == 0, "deleteall floor: nodes left"); });
  }
  Check(!cases.empty(), "no case is named by --filter " + options.filter);

  // One warm-up run of every case, then the repetitions in turn.
  int most = 0;
  for (Case& c : cases) {
    if (options.reps > 0) c.reps = options.reps;
    most = std::max(most, c.reps);
  }
  const double start = Seconds();
  for (int rep = -1; rep < most; ++rep) {
    // Every other round runs the cases backwards, so that a control and its floor take
    // turns at following the other (the display server may still be drawing the last
    // sample's windows).
    for (std::size_t k = 0; k < cases.size(); ++k) {
      Case& c = cases[rep % 2 == 0 ? k : cases.size() - 1 - k];
      if (rep >= c.reps) continue;
      if (c.prepare) c.prepare();
      Settle();
      const double t0 = Seconds();
      c.run();
      const double t1 = Seconds();
      if (c.painted != nullptr) c.painted->Paint();
      const double t2 = Seconds();
      if (c.check) c.check();
      PumpMessages();
      if (rep >= 0) {
        c.samples.push_back(t1 - t0);
        c.painted_samples.push_back(t2 - t0);
      }
    }
    if (add && rep == -1) {
      add->model_samples.clear();
      add->tree_samples.clear();
    }
  }
  std::printf("measured in %.1f s\n", Seconds() - start);

  if (add) {
    // The floor's two parts, shown under it.
    auto at = std::find_if(cases.begin(), cases.end(),
                           [](const Case& c) { return c.name == "additemlist/10000/floor"; });
    if (at != cases.end()) {
      Case model("additemlist/10000/floor#model", 0, nullptr, nullptr, nullptr, nullptr);
      model.samples = add->model_samples;
      Case tree("additemlist/10000/floor#tree", 0, nullptr, nullptr, nullptr, nullptr);
      tree.samples = add->tree_samples;
      at = cases.insert(at + 1, std::move(model));
      cases.insert(at + 1, std::move(tree));
    }
  }
  PrintTable(cases);
  if (!options.json_path.empty()) {
    WriteJson(cases, options.json_path);
    std::printf("wrote %s\n", options.json_path.c_str());
  }

  // The windows go before the module that holds their resources.
  rebuilds.clear();
  add.reset();
  del.reset();
  return 0;
}
