#include "tools/zortab/show.h"

#include <utility>
#include <vector>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "tools/zortab/output.h"
#include "view/sim/sim_views.h"
#include "view/view_controller.h"

namespace zortab {
namespace {

std::string Quoted(std::string_view text) { return "\"" + TerminalText(Shortened(text)) + "\""; }

// What one node shows besides its text.
std::string NodeDetails(const view::NodeItem& node, const model::Item& item, bool selected) {
  std::vector<std::string> parts{"ID " + Quoted(item.ID())};
  if (node.image != 0) parts.push_back("picture " + std::to_string(node.image));
  if (item.Opic != node.image) parts.push_back("open picture " + std::to_string(item.Opic));
  const std::uint32_t overlay = (node.state & view::node::kStateOverlayMask) >> 8;
  if (overlay != 0) parts.push_back("overlay " + std::to_string(overlay));
  if (node.state & view::node::kStateBold) parts.emplace_back("bold");
  if (node.state & view::node::kStateExpanded) parts.emplace_back("expanded");
  if (item.HasChildren != 0) parts.emplace_back("expand button");
  if (item.ItemEnabled == 0) parts.emplace_back("disabled");
  if (selected) parts.emplace_back("selected");
  if (!item.Href.empty()) parts.push_back("link " + Quoted(item.Href));
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return "[" + text + "]";
}

void WriteTree(std::ostream& out, const view::sim::SimTreeView& tree, const model::Store& store) {
  const view::Node caret = tree.GetNextItem(view::kNoNode, view::NextCode::kCaret);
  // Depth-first with an explicit stack: children in tree order, each under its parent.
  std::vector<std::pair<view::Node, int>> stack;
  const auto push_children = [&](view::Node parent, int depth) {
    const std::vector<view::Node> children = tree.Children(parent);
    for (auto it = children.rbegin(); it != children.rend(); ++it) stack.emplace_back(*it, depth);
  };
  push_children(view::kRootNode, 1);
  if (stack.empty()) out << "  (no items shown)\n";
  while (!stack.empty()) {
    const auto [node, depth] = stack.back();
    stack.pop_back();
    view::NodeItem shown;
    shown.mask = view::node::kText | view::node::kImage | view::node::kParam | view::node::kState;
    shown.state_mask = 0xFFFF;
    const model::Item* item = tree.GetItem(node, shown)
                                  ? store.FindItemPtr(static_cast<model::Seq>(shown.param))
                                  : nullptr;
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ');
    if (item == nullptr) {
      out << "(a node of no item)\n";
      continue;
    }
    out << TerminalText(Shortened(shown.text)) << "  " << NodeDetails(shown, *item, node == caret)
        << '\n';
    push_children(node, depth + 1);
  }
}

}  // namespace

void WriteShow(std::ostream& out, const std::string& file, const Input& input,
               const CheckOptions& options) {
  view::sim::SimDesktop desktop;
  view::sim::SimDialog dialog{desktop};
  control::TabbedList list;
  control::TabbedListImpl& impl = list.Impl();
  const std::int32_t style = DisplayStyleOf(input, options);
  list.PutDisplayStyle(style);
  if (input.sorted) list.PutSorted(*input.sorted);
  list.PutDelimiter(options.delimiter);
  for (const SourceRecord& record : input.records) {
    if (!record.not_loaded.empty()) break;  // the load ends there
    list.PutCL0(record.text);
  }
  impl.AttachWindow(&dialog, &desktop);
  (void)list.Refresh();  // answers S_OK always

  const model::Store& store = impl.store;
  out << TerminalText(file) << ": display style " << style << ", " << store.TabCount() << " tabs, "
      << store.ItemCount() << " items\n";
  if (style == model::kDisplayTreeOnly) {
    out << "(tree only: the tab strip is hidden; the first tab's tree is shown, "
           "the others when a script selects their tab)\n";
  }
  for (std::int32_t index = 0; index < store.TabCount(); ++index) {
    const model::TabEntry* tab = store.TabEntryAt(index);
    out << "tab " << index << ' ' << Quoted(store.TabNameAt(index));
    if (style != model::kDisplayTreeOnly && tab->TabPic > 0)
      out << " (picture " << tab->TabPic << ')';
    out << '\n';
    if (style == model::kDisplayTabsOnly) continue;  // no tree is shown
    impl.view.RebuildTree(index);
    WriteTree(out, *dialog.Tree(), store);
    if (const model::Store::SeqSet* seqs = store.SeqsOfTab(index)) {
      for (const model::Seq seq : *seqs) {
        const model::Item* item = store.FindItemPtr(seq);
        if (item->TreeNode == model::kNoNode) {
          out << "  not shown: " << Quoted(item->Text) << " [ID " << Quoted(item->ID())
              << ", level " << item->Level << "]\n";
        }
      }
    }
  }
  if (style == model::kDisplayTabsOnly) out << "(tabs only: the control shows no tree)\n";
  impl.DetachWindow();
}

}  // namespace zortab
