#include "tools/zortab/checker.h"

#include <algorithm>
#include <string_view>

#include "model/record.h"
#include "model/store.h"
#include "view/view_controller.h"

namespace zortab {
namespace {

using model::RecordReport;
using model::Seq;

std::string Quoted(std::string_view text) { return "\"" + Shortened(text, 60) + "\""; }

const char* StyleName(std::int32_t style) {
  switch (style) {
    case model::kDisplayTabsOnly:
      return "1 (tabs only)";
    case model::kDisplayTreeOnly:
      return "2 (tree only)";
    default:
      return "0 (tabs and tree)";
  }
}

std::int32_t LimitOf(std::string_view key) {
  if (key == "LEVEL") return model::kMaxRecordLevel;
  if (key == "OVERLAY") return model::kMaxOverlay;
  return model::kMaxPicture;
}

std::string DropReason(const RecordReport& report, std::int32_t style) {
  switch (report.outcome) {
    case RecordReport::Outcome::kEnd:
      return "an END record: nothing is stored (the control shows the first tab again)";
    case RecordReport::Outcome::kSeqsUsedUp:
      return "the control has handed out every item number";
    default:
      break;
  }
  if (!report.keys_found) return "no record key (TAB:, TEXT:, ID:, ...) found: nothing to store";
  std::string needs;
  if (report.missing_tab && report.missing_text) {
    needs = "no TAB and no TEXT";
  } else if (report.missing_tab) {
    needs = "no TAB";
  } else {
    needs = "no TEXT";
  }
  return needs + ": display style " + StyleName(style) + " needs " +
         (style == model::kDisplayTabsOnly   ? "a tab name"
          : style == model::kDisplayTreeOnly ? "a text"
                                             : "a tab name and a text");
}

void Add(CheckedRecord& record, Severity severity, std::string text) {
  record.messages.push_back({severity, std::move(text)});
}

// What the report says about a stored record on its own.
void NoteStored(CheckedRecord& record, const RecordReport& report, const model::Item& item) {
  if (report.id_generated) {
    Add(record, Severity::kNote, "no ID given: the item is " + Quoted(item.ID()));
  }
  if (report.text_from_id) Add(record, Severity::kNote, "no TEXT: the item shows its ID");
  if (report.tab_defaulted) Add(record, Severity::kNote, "no TAB: the item goes to the tab Hidden");
  for (const RecordReport::Cut& cut : report.cuts) {
    Add(record, Severity::kWarning,
        std::string(cut.key) + " " + std::to_string(cut.given) + " is above " +
            std::to_string(LimitOf(cut.key)) + ": stored as " + std::to_string(cut.kept));
  }
  if (report.parent_was_own_id) {
    Add(record, Severity::kWarning, "PARENT names the item itself: stored without a parent");
  }
  if (item.Parent().empty() && item.Level > 0 && !report.parent_was_own_id) {
    Add(record, Severity::kWarning,
        "LEVEL " + std::to_string(item.Level) + " without PARENT, but no item of level " +
            std::to_string(item.Level - 1) +
            " without PARENT came before in this tab: shown at the top level");
  }
  if (item.Level >= view::kHiddenLevel) {
    Add(record, Severity::kWarning,
        "level " + std::to_string(item.Level) +
            ": a rebuild of the tree does not show items of level " +
            std::to_string(view::kHiddenLevel) + " or more");
  }
}

// Findings that need every record of the input: parents that show nothing and loops.
class ParentFindings {
 public:
  ParentFindings(const model::Store& store, std::vector<CheckedRecord>& records,
                 const std::vector<std::size_t>& record_of_seq)
      : store_(store), records_(records), record_of_seq_(record_of_seq) {}

  void Run() {
    for (Seq seq = store_.FirstItem(); seq != model::kNoSeq; seq = store_.NextItemAfter(seq)) {
      CheckParent(*store_.FindItemPtr(seq));
    }
    FindLoops();
  }

 private:
  CheckedRecord& RecordOf(Seq seq) {
    return records_[record_of_seq_[static_cast<std::size_t>(seq)]];
  }
  std::string LineOf(Seq seq) { return std::to_string(RecordOf(seq).line); }

  const model::Item* ParentOf(const model::Item& item) const {
    return item.Parent().empty() ? nullptr : store_.FindItemById(item.Parent());
  }

  void CheckParent(const model::Item& item) {
    if (item.Parent().empty()) return;
    CheckedRecord& record = RecordOf(item.Seq());
    const model::Item* parent = ParentOf(item);
    if (parent == nullptr) {
      Add(record, Severity::kWarning,
          "PARENT " + Quoted(item.Parent()) + " names no item: shown at the top level");
    } else if (parent->Seq() > item.Seq()) {
      Add(record, Severity::kWarning,
          "PARENT " + Quoted(item.Parent()) + " comes later (line " + LineOf(parent->Seq()) +
              "): shown at the top level, and its level is not derived from the parent");
    } else if (parent->TabIndex() != item.TabIndex()) {
      Add(record, Severity::kWarning,
          "PARENT " + Quoted(item.Parent()) + " is in the tab " +
              Quoted(store_.TabNameAt(parent->TabIndex())) + ": shown at the top level");
    }
  }

  // Each item is walked up its parents once; a walk that comes back to its own path has
  // found a loop, whose items each get the message.
  void FindLoops() {
    enum : unsigned char { kNew, kOnPath, kDone };
    std::vector<unsigned char> state(static_cast<std::size_t>(store_.NextSeq()), kNew);
    std::vector<Seq> path;
    for (Seq start = store_.FirstItem(); start != model::kNoSeq;
         start = store_.NextItemAfter(start)) {
      path.clear();
      const model::Item* item = store_.FindItemPtr(start);
      while (item != nullptr && state[static_cast<std::size_t>(item->Seq())] == kNew) {
        state[static_cast<std::size_t>(item->Seq())] = kOnPath;
        path.push_back(item->Seq());
        item = ParentOf(*item);
      }
      if (item != nullptr && state[static_cast<std::size_t>(item->Seq())] == kOnPath) {
        const auto first = std::find(path.begin(), path.end(), item->Seq());
        std::string chain;
        for (auto it = first; it != path.end(); ++it) {
          chain += Quoted(store_.FindItemPtr(*it)->ID()) + " -> ";
          if (it - first >= 8 && path.end() - it > 1) {
            chain += "... -> ";
            break;
          }
        }
        chain += Quoted(item->ID());
        for (auto it = first; it != path.end(); ++it) {
          Add(RecordOf(*it), Severity::kWarning, "parent loop: " + chain);
        }
      }
      for (const Seq seq : path) state[static_cast<std::size_t>(seq)] = kDone;
    }
  }

  const model::Store& store_;
  std::vector<CheckedRecord>& records_;
  const std::vector<std::size_t>& record_of_seq_;
};

}  // namespace

const char* SeverityName(Severity severity) {
  static constexpr const char* kNames[] = {"note", "warning", "dropped"};  // in Severity's order
  return kNames[static_cast<std::size_t>(severity)];
}

std::string Shortened(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  return std::string(text.substr(0, limit)) + "...(" + std::to_string(text.size()) + " bytes)";
}

std::int32_t DisplayStyleOf(const Input& input, const CheckOptions& options) {
  return input.display_style.value_or(options.display_style);
}

std::vector<CheckedRecord> CheckRecords(const Input& input, const CheckOptions& options) {
  model::Store store;
  const std::int32_t style = DisplayStyleOf(input, options);
  store.SetDisplayStyle(style);
  store.SetDelimiter(options.delimiter);
  std::vector<CheckedRecord> records;
  records.reserve(input.records.size());
  std::vector<std::size_t> record_of_seq;
  for (const SourceRecord& source : input.records) {
    CheckedRecord& record = records.emplace_back();
    record.line = source.line;
    record.name = source.name;
    if (!source.not_loaded.empty()) {
      Add(record, Severity::kDropped, source.not_loaded);
      continue;
    }
    RecordReport report;
    model::AddItemRecord(store, source.text, &report);
    if (report.outcome != RecordReport::Outcome::kStored) {
      record.id = std::move(report.id);
      record.tab = std::move(report.tab);
      record.parent = std::move(report.parent);
      Add(record, Severity::kDropped, DropReason(report, style));
      continue;
    }
    const model::Item& item = *store.FindItemPtr(report.seq);
    record.stored = true;
    record.id = item.ID();
    record.tab = store.TabNameAt(item.TabIndex());
    record.parent = item.Parent();
    record.level = item.Level;
    record_of_seq.resize(static_cast<std::size_t>(report.seq) + 1);
    record_of_seq[static_cast<std::size_t>(report.seq)] = records.size() - 1;
    NoteStored(record, report, item);
    if (store.CountWithId(item.ID()) > 1) {
      const Seq first = store.FindItem(item.ID());
      Add(record, Severity::kWarning,
          "the ID " + Quoted(item.ID()) + " is already used by line " +
              std::to_string(records[record_of_seq[static_cast<std::size_t>(first)]].line) +
              ": lookups by ID find only that item");
    }
  }
  ParentFindings(store, records, record_of_seq).Run();
  return records;
}

}  // namespace zortab
