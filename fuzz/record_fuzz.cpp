// Fuzz entry point of the item records: the parser alone, then AddItemList over the same
// bytes. Input: a display style byte (% 3), a delimiter byte, then the records. Whatever
// the input, the store's indexes hold, the item walk visits ItemCount items, and every
// visited ID has a record that reads back as one more item.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "control/tabbed_list.h"
#include "control/tabbed_list_impl.h"
#include "fuzz_input.h"
#include "model/record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::FuzzInput in(data, size);
  control::TabbedList list;
  list.PutDisplayStyle(in.Byte() % 3);
  list.PutDelimiter(in.Byte());
  const std::string records(in.Rest());

  model::RecordReport report;
  const model::Record record =
      model::ParseRecord(records, list.Impl().store.DelimiterChar(), &report);
  if (record.End && (!record.Text.empty() || !record.ID.empty())) std::abort();

  list.AddItemList(records);
  if (!list.Impl().store.CheckInvariants().empty()) std::abort();
  std::int32_t walked = 0;
  for (std::string id = list.GetFirstItem(); walked < list.GetItemCount();
       id = list.GetNextItem()) {
    ++walked;
    if (list.GetItemExists(id) != 1 || list.GetItemString(id).empty()) std::abort();
  }
  if (!list.GetNextItem().empty()) std::abort();

  // A written record is read back as one item (the tab is named in it while DisplayStyle is 0).
  if (walked > 0) {
    list.PutDisplayStyle(0);
    list.PutDelimiter(',');
    const std::string written = list.GetItemString(list.GetFirstItem());
    const std::int32_t before = list.GetItemCount();
    list.AddItem(written);
    if (written.find("TAB:,") == std::string::npos && written.find("TEXT:,") == std::string::npos &&
        list.GetItemCount() != before + 1) {
      std::abort();
    }
    if (!list.Impl().store.CheckInvariants().empty()) std::abort();
  }
  return 0;
}
