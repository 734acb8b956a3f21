// Small owners of shell and COM resources, so that every interface and item
// list is released on every way out, in reverse order of obtaining (declare
// the guards in the order the resources are obtained).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

// Owns one COM interface pointer and releases it.
template <typename Interface> class ComGuard {
public:
  ComGuard() = default;
  ~ComGuard() {
    if (pointer_ != nullptr) {
      pointer_->Release();
    }
  }
  ComGuard(const ComGuard &) = delete;
  ComGuard &operator=(const ComGuard &) = delete;

  Interface *get() const { return pointer_; }
  Interface *operator->() const { return pointer_; }
  // The address to receive a new pointer, as CoCreateInstance and
  // QueryInterface want it; only for an empty guard.
  void **out() { return reinterpret_cast<void **>(&pointer_); }
  Interface **address() { return &pointer_; }

private:
  Interface *pointer_ = nullptr;
};

// Owns one item list from the shell and frees it with the shell's allocator.
class ItemListGuard {
public:
  explicit ItemListGuard(IMalloc *allocator) : allocator_(allocator) {}
  ~ItemListGuard() {
    if (list_ != nullptr) {
      allocator_->Free(list_);
    }
  }
  ItemListGuard(const ItemListGuard &) = delete;
  ItemListGuard &operator=(const ItemListGuard &) = delete;

  LPITEMIDLIST get() const { return list_; }
  LPITEMIDLIST *address() { return &list_; }
  void reset(LPITEMIDLIST list) { list_ = list; }

private:
  IMalloc *allocator_;
  LPITEMIDLIST list_ = nullptr;
};
