// Owners of the GDI and memory handles that a drawing makes and hands on: a device
// context, a GDI object, the two kinds of metafile, a global memory block, and a scope that
// gives a device context back its state (selected objects, colours, modes, clipping).
#pragma once

#include <windows.h>

#include <utility>

namespace control::com {

template <class Handle, auto Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Hands the handle to the caller, who frees it.
  Handle Release() { return std::exchange(handle_, nullptr); }
  void Reset(Handle handle = nullptr) {
    // Freeing fails only for a handle that is not what it claims; nothing to tell then.
    if (handle_) (void)Free(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using UniqueDc = UniqueHandle<HDC, DeleteDC>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, DeleteObject>;
using UniqueMetafile = UniqueHandle<HMETAFILE, DeleteMetaFile>;
using UniqueEnhMetafile = UniqueHandle<HENHMETAFILE, DeleteEnhMetaFile>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalFree>;

// Saves the state of a device context and restores it at the end of the scope, so that
// whatever a drawing selected or set goes back (also when recorded into a metafile).
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc) != 0) {}
  ~SavedDc() {
    // The relative form, the one metafiles record; a failure leaves nothing to undo.
    if (saved_) (void)RestoreDC(dc_, -1);
  }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;
  bool Saved() const { return saved_; }

 private:
  HDC dc_;
  bool saved_;
};

}  // namespace control::com
