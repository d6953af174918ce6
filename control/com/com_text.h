// Text and value conversions at the automation boundary, and the small owners of BSTR and
// VARIANT values that go with them.
#pragma once

#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace control::com {

// Thrown inside the COM layer to leave a member with a failure code; Guarded turns it back
// into the member's answer.
class ComError {
 public:
  explicit ComError(HRESULT code) : code_(code) {}
  HRESULT Code() const { return code_; }

 private:
  HRESULT code_;
};

// Runs `body` (which answers an HRESULT) so that no C++ exception crosses the interface:
// exhausted memory answers E_OUTOFMEMORY, a ComError its code, anything else E_FAIL.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return static_cast<HRESULT>(body());
  } catch (const ComError& error) {
    return error.Code();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::length_error&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR text) : text_(text) {}
  ~UniqueBstr() { SysFreeString(text_); }
  UniqueBstr(UniqueBstr&& other) noexcept : text_(other.Release()) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;

  BSTR Get() const { return text_; }
  UINT Length() const { return SysStringLen(text_); }
  // Hands the string to the caller, who frees it.
  BSTR Release() { return std::exchange(text_, nullptr); }
  void Reset(BSTR text = nullptr) { SysFreeString(std::exchange(text_, text)); }
  // For APIs that return a BSTR through an out pointer; frees what was held before.
  BSTR* Out() {
    Reset();
    return &text_;
  }

 private:
  BSTR text_ = nullptr;
};

class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&value_); }
  ~UniqueVariant() { VariantClear(&value_); }  // nothing to report to from a destructor
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;

  VARIANT* Get() { return &value_; }
  const VARIANT* Get() const { return &value_; }
  VARIANT* operator->() { return &value_; }
  const VARIANT* operator->() const { return &value_; }
  // Clears the held value and answers what VariantClear answered.
  HRESULT Clear() { return VariantClear(&value_); }

 private:
  VARIANT value_;
};

// UTF-16 text (a null BSTR is empty text; embedded NULs kept) to ANSI bytes in the system
// code page. Throws ComError or std::bad_alloc.
std::string ToAnsi(BSTR text);
// ANSI bytes in the system code page (embedded NULs kept) to a new BSTR. Throws ComError or
// std::bad_alloc.
UniqueBstr ToBstr(const std::string& text);

}  // namespace control::com
