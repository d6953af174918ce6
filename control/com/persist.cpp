#include "control/com/persist.h"

#include <wrl/client.h>

#include <cstring>
#include <string>
#include <string_view>

#include "control/com/com_text.h"
#include "control/com/control_object.h"
#include "control/persist.h"

namespace control::com {

using Microsoft::WRL::ComPtr;

namespace {

// The value into an empty VARIANT. Scalars keep their little-endian bytes in the union.
void ToVariant(const PersistValue& value, VARIANT* out) {
  if (value.type == vt::kBstr) {
    BSTR text = nullptr;
    if (!value.null_text) {
      text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.text.data()),
                               static_cast<UINT>(value.text.size()));
      if (!text) throw std::bad_alloc();
    }
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = text;
    return;
  }
  if (ScalarSize(value.type) == 0) return;  // nothing else is handed out; stays VT_EMPTY
  V_VT(out) = value.type;
  std::memcpy(&V_UI1(out), &value.bits, ScalarSize(value.type));
}

// What a VARIANT holds, as far as a persisted value can: the payload of a scalar or a text;
// of any other type only the type, without touching what it points at.
PersistValue FromVariant(const VARIANT& in) {
  PersistValue value;
  value.type = V_VT(&in);
  if (const std::uint32_t size = ScalarSize(value.type)) {
    std::memcpy(&value.bits, &V_UI1(&in), size);
  } else if (value.type == VT_BSTR) {
    const BSTR text = V_BSTR(&in);
    value.null_text = text == nullptr;
    value.text.assign(reinterpret_cast<const char16_t*>(text ? text : L""), SysStringLen(text));
  }
  return value;
}

// The object's properties through its own type-library Invoke, the way a script reaches them.
class DispatchAccess final : public PropertyAccess {
 public:
  explicit DispatchAccess(ControlObject& object) : object_(object) {}

  HResult Get(std::int32_t dispid, PersistValue& value) override {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    UniqueVariant result;
    const HRESULT hr = Invoke(dispid, DISPATCH_PROPERTYGET, none, result.Get());
    if (SUCCEEDED(hr)) value = FromVariant(*result.Get());
    return hr;
  }

  HResult Put(std::int32_t dispid, const PersistValue& value) override {
    UniqueVariant argument;
    ToVariant(value, argument.Get());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {argument.Get(), &named, 1, 1};
    return Invoke(dispid, DISPATCH_PROPERTYPUT, params, nullptr);
  }

  std::uint32_t GetRaw(RawField field) override {
    const SIZEL& extent = object_.Site().extent;
    return static_cast<std::uint32_t>(field == RawField::kExtentWidth ? extent.cx : extent.cy);
  }

  void PutRaw(RawField field, std::uint32_t value) override {
    SIZEL& extent = object_.Site().extent;
    (field == RawField::kExtentWidth ? extent.cx : extent.cy) = static_cast<LONG>(value);
  }

  void ClearDirty() override { object_.List().SetDirty(false); }

 private:
  HRESULT Invoke(std::int32_t dispid, WORD flags, DISPPARAMS& params, VARIANT* result) {
    EXCEPINFO exception = {};
    UINT argument_error = 0;
    const HRESULT hr = object_.Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                      &exception, &argument_error);
    // The members raise no exceptions; free whatever the dispatch layer filled in anyway.
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
  }

  ControlObject& object_;
};

class StreamSource final : public ByteSource {
 public:
  explicit StreamSource(IStream& stream) : stream_(stream) {}
  HResult Read(void* data, std::uint32_t size, std::uint32_t& got) override {
    ULONG read = 0;
    const HRESULT hr = stream_.Read(data, size, &read);
    got = read;
    return hr;
  }

 private:
  IStream& stream_;
};

class StreamSink final : public ByteSink {
 public:
  explicit StreamSink(IStream& stream) : stream_(stream) {}
  HResult Write(const void* data, std::uint32_t size) override {
    ULONG written = 0;
    const HRESULT hr = stream_.Write(data, size, &written);
    if (SUCCEEDED(hr) && written != size) return STG_E_MEDIUMFULL;
    return hr;
  }

 private:
  IStream& stream_;
};

class BagAdapter final : public PropertyBag {
 public:
  BagAdapter(IPropertyBag& bag, IErrorLog* error_log) : bag_(bag), error_log_(error_log) {}

  HResult Read(std::string_view name, PersistValue& value) override {
    UniqueVariant answer;
    ToVariant(value, answer.Get());
    const HRESULT hr = bag_.Read(Wide(name).c_str(), answer.Get(), error_log_);
    // An answer of a refused type is released with the VARIANT and never used.
    if (SUCCEEDED(hr)) value = FromVariant(*answer.Get());
    return hr;
  }

  HResult Write(std::string_view name, const PersistValue& value) override {
    UniqueVariant written;
    ToVariant(value, written.Get());
    return bag_.Write(Wide(name).c_str(), written.Get());
  }

 private:
  // The entry names are ASCII.
  static std::wstring Wide(std::string_view name) { return std::wstring(name.begin(), name.end()); }

  IPropertyBag& bag_;
  IErrorLog* error_log_;
};

const wchar_t kContents[] = L"Contents";

}  // namespace

STDMETHODIMP PersistPart::GetClassID(CLSID* class_id) { return object_.GetClassID(class_id); }

// --- IPersistStreamInit ------------------------------------------------------------------

STDMETHODIMP PersistPart::IsDirty() { return object_.List().IsDirty() ? S_OK : S_FALSE; }

STDMETHODIMP PersistPart::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  return Guarded([&] {
    StreamSource source(*stream);
    DispatchAccess access(object_);
    return LoadStream(source, access);
  });
}

STDMETHODIMP PersistPart::Save(IStream* stream, BOOL clear_dirty) {
  if (!stream) return E_POINTER;
  return Guarded([&] {
    StreamSink sink(*stream);
    DispatchAccess access(object_);
    return SaveStream(sink, access, clear_dirty != FALSE);
  });
}

STDMETHODIMP PersistPart::GetSizeMax(ULARGE_INTEGER* /*size*/) { return E_NOTIMPL; }

STDMETHODIMP PersistPart::InitNew() { return S_OK; }

// --- IPersistStorage ---------------------------------------------------------------------

STDMETHODIMP PersistPart::InitNew(IStorage* /*storage*/) { return S_OK; }

STDMETHODIMP PersistPart::Load(IStorage* storage) {
  if (!storage) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                         stream.GetAddressOf());
  if (FAILED(hr)) return hr;
  return Load(stream.Get());
}

STDMETHODIMP PersistPart::Save(IStorage* storage, BOOL same_as_load) {
  if (!storage) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT hr = storage->CreateStream(
      kContents, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.GetAddressOf());
  if (FAILED(hr)) return hr;
  return Save(stream.Get(), same_as_load);
}

STDMETHODIMP PersistPart::SaveCompleted(IStorage* /*storage*/) { return S_OK; }

STDMETHODIMP PersistPart::HandsOffStorage() { return S_OK; }

// --- IPersistPropertyBag -----------------------------------------------------------------

STDMETHODIMP PersistPart::Load(IPropertyBag* bag, IErrorLog* error_log) {
  if (!bag) return E_POINTER;
  return Guarded([&] {
    BagAdapter adapter(*bag, error_log);
    DispatchAccess access(object_);
    return LoadBag(adapter, access);
  });
}

STDMETHODIMP PersistPart::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL /*save_all*/) {
  if (!bag) return E_POINTER;
  return Guarded([&] {
    BagAdapter adapter(*bag, nullptr);
    DispatchAccess access(object_);
    return SaveBag(adapter, access, clear_dirty != FALSE);
  });
}

}  // namespace control::com
