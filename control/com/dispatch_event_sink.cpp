#include "control/com/dispatch_event_sink.h"

#include <vector>

#include "control/com/com_text.h"

namespace control::com {

namespace {

// The argument array of one call; frees the texts in it whatever happens.
class ArgumentArray {
 public:
  explicit ArgumentArray(std::size_t count) : values_(count) {
    for (VARIANT& value : values_) VariantInit(&value);
  }
  ~ArgumentArray() {
    for (VARIANT& value : values_) (void)VariantClear(&value);  // BSTRs and numbers only
  }
  ArgumentArray(const ArgumentArray&) = delete;
  ArgumentArray& operator=(const ArgumentArray&) = delete;

  VARIANT* Data() { return values_.data(); }
  UINT Count() const { return static_cast<UINT>(values_.size()); }
  VARIANT& operator[](std::size_t index) { return values_[index]; }

 private:
  std::vector<VARIANT> values_;
};

}  // namespace

std::int32_t DispatchEventSink::Invoke(events::DispId dispid,
                                       std::span<const events::EventArg> args) {
  return Guarded([&] {
    ArgumentArray array(args.size());
    // `args` is already in dispatch order (the last declared parameter first).
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (args[i].IsText()) {
        V_BSTR(&array[i]) = ToBstr(args[i].AsText()).Release();
        V_VT(&array[i]) = VT_BSTR;
      } else {
        V_I4(&array[i]) = args[i].AsLong();
        V_VT(&array[i]) = VT_I4;
      }
    }
    DISPPARAMS params = {array.Data(), nullptr, array.Count(), 0};
    return events_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                           nullptr, nullptr);
  });
}

}  // namespace control::com
