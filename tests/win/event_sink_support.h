// A recording event sink for the Windows tests: a C++ object implementing the control's
// event interface over IDispatch, which writes down every call as it arrived (DISPID,
// interface, locale, flags, arguments with their types, named arguments, the buffers
// passed) into a journal shared by several sinks, so that their order shows too.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "com_test_support.h"
#include "stand_ins.h"

namespace zortab_test {

// The DISPIDs of the event interface, written out here rather than taken from the
// control's sources, so that a test notices when those change.
enum EventId : DISPID {
  kTabChanged = 1,
  kTreeOpened,
  kTreeClosed,
  kTreeClicked,
  kTreeRClicked,
  kTreeDblClicked,
  kTreeOpening,
  kTreeSelChanged,
  kTreeKeyPress,
  kTreeClosing,
  kTreeSingleExpand,
  kTreeSelChanging,
  kTreeRDblClicked,
  kTreeGotFocus,
  kTreeLostFocus,
  kTreeItemDeleted,
  kTreeGetToolTipText,
  kTreeSortCompare,
  kTabRClicked,
  kTabKeyPress,
  kTabChanging,
};

struct EventArgument {
  VARTYPE type = VT_EMPTY;
  std::wstring text;    // VT_BSTR
  LONG number = 0;      // VT_I4
  BSTR bstr = nullptr;  // the string handed over (valid only during the call)
};

struct EventCall {
  int sink = 0;
  DISPID dispid = 0;
  IID riid = {};
  LCID locale = 0;
  WORD flags = 0;
  std::vector<EventArgument> args;  // as the dispatch array holds them (last parameter first)
  UINT named = 0;
  bool result_buffer = false;
  bool exception_buffer = false;
  bool argument_error_buffer = false;
};

class RecordingSink final : public InvokeOnlyDispatch {
 public:
  // `answers_events`: false makes a sink that answers IDispatch but not the event
  // interface.
  RecordingSink(std::vector<EventCall>& journal, int name, bool answers_events = true)
      : journal_(journal), name_(name), answers_events_(answers_events) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        (answers_events_ && IsEqualIID(riid, DIID__IZorTabbedListEvents))) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argument_error) override {
    EventCall call{name_,
                   dispid,
                   riid,
                   locale,
                   flags,
                   {},
                   0,
                   result != nullptr,
                   exception != nullptr,
                   argument_error != nullptr};
    if (params) {
      call.named = params->cNamedArgs;
      for (UINT i = 0; i < params->cArgs; ++i) {
        const VARIANT& value = params->rgvarg[i];
        EventArgument argument;
        argument.type = V_VT(&value);
        if (V_VT(&value) == VT_BSTR) {
          argument.bstr = V_BSTR(&value);
          argument.text.assign(V_BSTR(&value) ? V_BSTR(&value) : L"", SysStringLen(V_BSTR(&value)));
        } else if (V_VT(&value) == VT_I4) {
          argument.number = V_I4(&value);
        }
        call.args.push_back(argument);
      }
    }
    journal_.push_back(call);
    if (handler) handler(call);
    return answer;
  }

  LONG references = 1;  // lives on the stack; the count shows what the control holds
  HRESULT answer = S_OK;
  std::function<void(const EventCall&)> handler;  // runs after the call is written down

 private:
  std::vector<EventCall>& journal_;
  int name_;
  bool answers_events_;
};

// The control's event connection point.
inline ComPtr<IConnectionPoint> EventPoint(IUnknown* control) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  if (control && SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container)))) {
    (void)container->FindConnectionPoint(DIID__IZorTabbedListEvents, point.GetAddressOf());
  }
  return point;
}

}  // namespace zortab_test
