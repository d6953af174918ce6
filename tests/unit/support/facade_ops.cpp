#include "support/facade_ops.h"

#include <array>
#include <string_view>
#include <type_traits>

#include "support/reference_list.h"

namespace testing_support {

namespace {

constexpr std::array<std::string_view, 10> kIds = {"a",   "b",   "c",   "d", "e",
                                                   "ID0", "ID1", "ID2", "",  "A"};
constexpr std::array<std::string_view, 6> kTabs = {"T1", "T2", "t1", "Hidden", "T3", ""};
constexpr std::array<std::string_view, 8> kTexts = {"x",   "NONE", "none", " sp",
                                                    "a,b", "END",  "",     "y;z"};
constexpr std::array<std::string_view, 12> kNumbers = {"0",  "1",  "2",  "-3",  "9", "12",
                                                       "54", "55", "60", " 7x", "",  "4294967298"};
constexpr std::array<std::int32_t, 10> kValues = {0, 1, 2, -1, 5, 9, 25, 54, 60, 2147483647};
constexpr std::array<std::string_view, 18> kKeys = {
    "TAB",  "TABPIC", "TEXT", "HREF", "FRAME",  "ID",     "PARENT",  "LEVEL",  "PIC",
    "OPIC", "CPIC",   "TAG",  "BOLD", "EXPAND", "SELECT", "OVERLAY", "ENABLE", "HASCHILDREN"};

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  template <class T, std::size_t N>
  T Pick(const std::array<T, N>& values) {
    return values[Byte() % N];
  }
  std::string Raw(std::size_t max) {
    std::string text;
    const std::size_t length = Byte() % (max + 1);
    while (text.size() < length && !Empty()) text.push_back(static_cast<char>(Byte()));
    return text;
  }
  std::string Id() { return Byte() % 16 == 15 ? Raw(4) : std::string(Pick(kIds)); }
  std::int32_t Value() {
    const std::uint8_t b = Byte();
    return b % 8 == 7 ? static_cast<std::int32_t>(Byte() | (Byte() << 8)) - 1000
                      : kValues[b % kValues.size()];
  }
  std::string Record(char delimiter) {
    std::string record;
    const int fields = Byte() % 7;
    for (int i = 0; i < fields; ++i) {
      if (i > 0) record.push_back(delimiter);
      const std::uint8_t what = Byte();
      if (what % 16 == 15) {
        record += Byte() % 2 ? "END" : "GRID:5";
        continue;
      }
      const std::size_t key = what % kKeys.size();
      std::string name(kKeys[key]);
      if (Byte() % 4 == 0) {
        for (char& c : name) c = static_cast<char>(c | 0x20);
      }
      record += name + (Byte() % 3 == 0 ? "=" : ":");
      if (key == 0) {
        record += Pick(kTabs);
      } else if (key == 5 || key == 6) {
        record += Id();
      } else if (key == 2 || key == 3 || key == 4 || key == 11) {
        record += Byte() % 8 == 7 ? Raw(6) : std::string(Pick(kTexts));
      } else {
        record += Pick(kNumbers);
      }
    }
    return record;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

std::string Answer(const control::TextResult& result) {
  return result.text + "#" + std::to_string(result.code);
}

}  // namespace

std::vector<FacadeOp> DecodeFacadeOps(const std::uint8_t* data, std::size_t size, bool views,
                                      std::size_t max_ops) {
  Bytes in(data, size);
  std::vector<FacadeOp> ops;
  char delimiter = ',';
  const auto kinds =
      static_cast<std::uint8_t>(views ? FacadeOp::Kind::kAllCount : FacadeOp::Kind::kCount);
  while (!in.Empty() && ops.size() < max_ops) {
    FacadeOp op;
    op.kind = static_cast<FacadeOp::Kind>(in.Byte() % kinds);
    op.field = in.Byte();
    using K = FacadeOp::Kind;
    switch (op.kind) {
      case K::kAddItem:
        op.text = in.Record(delimiter);
        break;
      case K::kAddItemList: {
        const int lines = in.Byte() % 5;
        for (int i = 0; i < lines; ++i) {
          op.text += in.Record(delimiter);
          op.text += std::array<std::string_view, 3>{"\r\n", "\n", "\r"}[in.Byte() % 3];
        }
        break;
      }
      case K::kDeleteTab:
      case K::kTabPic:
      case K::kSelectedTab:
        op.id = in.Pick(kTabs);
        op.value = in.Value();
        break;
      case K::kPutDelimiter:
        op.value = std::array<std::int32_t, 5>{44, 59, 300, 0, 61}[op.field % 5];
        delimiter = static_cast<char>(static_cast<std::uint8_t>(op.value));
        break;
      case K::kPutDisplayStyle:
        op.value = op.field % 4;
        break;
      default:
        op.id = in.Id();
        op.value = in.Value();
        op.value2 = in.Byte() % 2;
        if (op.kind == K::kPutText) {
          op.text = op.field % 6 == 4   ? in.Id()
                    : op.field % 6 == 5 ? std::string(in.Pick(kTabs))
                                        : std::string(in.Pick(kTexts));
        }
        break;
    }
    if (op.kind == K::kDeleteAll && op.field % 4 != 0) op.kind = K::kGetAll;  // rarely
    ops.push_back(std::move(op));
  }
  return ops;
}

template <class List>
std::string ApplyFacadeOp(List& list, const FacadeOp& op) {
  using K = FacadeOp::Kind;
  const std::string& id = op.id;
  switch (op.kind) {
    case K::kAddItem:
      list.AddItem(op.text);
      return std::to_string(list.GetItemCount()) + " " + std::to_string(list.GetTabCount());
    case K::kAddItemList:
      list.AddItemList(op.text);
      return std::to_string(list.GetItemCount()) + " " + std::to_string(list.GetTabCount());
    case K::kPutText:
      switch (op.field % 6) {
        case 0:
          list.PutText(id, op.text);
          break;
        case 1:
          list.PutHref(id, op.text);
          break;
        case 2:
          list.PutFrame(id, op.text);
          break;
        case 3:
          list.PutTag(id, op.text);
          break;
        case 4:
          list.PutParent(id, op.text);
          break;
        default:
          list.PutTab(id, op.text);
          break;
      }
      return std::to_string(list.GetTabCount());
    case K::kPutNumber:
      switch (op.field % 8) {
        case 0:
          list.PutLevel(id, op.value);
          break;
        case 1:
          list.PutOpic(id, op.value);
          break;
        case 2:
          list.PutCpic(id, op.value);
          break;
        case 3:
          list.PutPic(id, op.value);
          break;
        case 4:
          list.PutOverlayPic(id, op.value);
          break;
        case 5:
          list.PutItemEnabled(id, op.value);
          break;
        case 6:
          list.PutBold(id, op.value);
          break;
        default:
          list.PutExpand(id, op.value);
          break;
      }
      return {};
    case K::kGetAll: {
      std::string all = list.GetText(id) + "|" + list.GetHref(id) + "|" + list.GetFrame(id) + "|" +
                        list.GetTag(id) + "|" + list.GetParent(id) + "|" + list.GetTab(id) + "|";
      for (std::int32_t n :
           {list.GetLevel(id), list.GetOpic(id), list.GetCpic(id), list.GetPic(id),
            list.GetOverlayPic(id), list.GetItemEnabled(id), list.GetBold(id), list.GetExpand(id),
            list.GetSelect(id), list.GetItemExists(id), list.GetTabExists(id), list.GetItemCount(),
            list.GetTabCount(), list.GetDelimiter(), list.GetDisplayStyle()}) {
        all += std::to_string(n) + " ";
      }
      return all;
    }
    case K::kItemString:
      return list.GetItemString(id);
    case K::kFirstItem:
      return list.GetFirstItem();
    case K::kNextItem:
      return list.GetNextItem();
    case K::kFirstChild:
      return Answer(list.GetFirstChild(id));
    case K::kNextChild:
      return Answer(list.GetNextChild(id));
    case K::kDeleteItem:
      list.DeleteItem(id);
      return std::to_string(list.GetItemCount());
    case K::kDeleteChildren:
      list.DeleteChildren(id);
      return std::to_string(list.GetItemCount());
    case K::kDeleteTab:
      list.DeleteTab(id);
      return std::to_string(list.GetItemCount());
    case K::kDeleteAll:
      list.DeleteAll();
      return std::to_string(list.GetItemCount());
    case K::kSelectMultiple:
      list.SelectMultiple(id, op.value % 2, op.value2);
      return {};
    case K::kFirstSelected:
      return list.GetFirstSelectedItem();
    case K::kNextSelected:
      return list.GetNextSelectedItem();
    case K::kPutDelimiter:
      list.PutDelimiter(op.value);
      return {};
    case K::kPutDisplayStyle:
      list.PutDisplayStyle(op.value);
      return {};
    case K::kTabPic:
      if (op.field % 2 == 0) list.PutTabPic(id, op.value);
      return std::to_string(list.GetTabPic(id));
    default:
      if constexpr (std::is_same_v<List, control::TabbedList>) {
        switch (op.kind) {
          case K::kRefresh:
            (void)list.Refresh();
            break;  // the answer is the views', not checked here
          case K::kSelectedTab:
            list.PutSelectedTab(id);
            break;
          case K::kSelectedItem:
            list.PutSelectedItem(id);
            break;
          case K::kPutSelect:
            (void)list.PutSelect(id, op.value);
            break;  // as Refresh
          case K::kExpandAll:
            list.ExpandAll(op.value2, id);
            break;
          default:
            list.PutSorted(op.value);
            break;
        }
        return list.GetSelectedItem() + "|" + list.GetSelectedTab();
      }
      return {};
  }
}

template std::string ApplyFacadeOp(control::TabbedList&, const FacadeOp&);
template std::string ApplyFacadeOp(ReferenceList&, const FacadeOp&);

std::string Describe(const FacadeOp& op) {
  std::string text = std::to_string(static_cast<int>(op.kind)) + "/" + std::to_string(op.field) +
                     " [" + op.id + "] [";
  for (char c : op.text) {
    text += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return text + "] " + std::to_string(op.value) + " " + std::to_string(op.value2);
}

std::string DifferentialDisagreement(const std::vector<FacadeOp>& ops) {
  control::TabbedList list;
  ReferenceList reference;
  std::string trail;
  for (const FacadeOp& op : ops) {
    trail += Describe(op) + "\n";
    const std::string real = ApplyFacadeOp(list, op);
    const std::string expected = ApplyFacadeOp(reference, op);
    if (real != expected) {
      return trail + "answer: store [" + real + "], reference [" + expected + "]";
    }
    const std::string real_state = StoreState(list);
    const std::string expected_state = reference.State();
    if (real_state != expected_state) {
      return trail + "state: store\n" + real_state + "reference\n" + expected_state;
    }
  }
  return {};
}

}  // namespace testing_support
