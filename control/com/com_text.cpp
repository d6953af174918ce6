#include "control/com/com_text.h"

#include <climits>

namespace control::com {

namespace {

HRESULT LastError() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace

std::string ToAnsi(BSTR text) {
  const UINT length = SysStringLen(text);
  if (length == 0) return {};
  // The conversion functions count in int; longer texts cannot be converted in one call.
  if (length > static_cast<UINT>(INT_MAX)) throw ComError(E_OUTOFMEMORY);
  const int wide_length = static_cast<int>(length);
  const int size = WideCharToMultiByte(CP_ACP, 0, text, wide_length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) throw ComError(LastError());
  std::string result(static_cast<std::size_t>(size), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, text, wide_length, result.data(), size, nullptr, nullptr) !=
      size) {
    throw ComError(LastError());
  }
  return result;
}

UniqueBstr ToBstr(const std::string& text) {
  if (text.size() > static_cast<std::size_t>(INT_MAX)) throw ComError(E_OUTOFMEMORY);
  const int byte_length = static_cast<int>(text.size());
  int size = 0;
  if (byte_length > 0) {
    size = MultiByteToWideChar(CP_ACP, 0, text.data(), byte_length, nullptr, 0);
    if (size <= 0) throw ComError(LastError());
  }
  UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(size)));
  if (!result.Get()) throw std::bad_alloc();
  if (size > 0 &&
      MultiByteToWideChar(CP_ACP, 0, text.data(), byte_length, result.Get(), size) != size) {
    throw ComError(LastError());
  }
  return result;
}

}  // namespace control::com
