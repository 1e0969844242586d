#pragma once

#include <windows.h>

#include "base/handle_holder.h"

// A kernel handle (file, pipe, event, process, token, mutex), closed with CloseHandle. The calls
// that open one answer NULL or INVALID_HANDLE_VALUE when they fail, and neither is closed.
struct KernelHandleKind {
  using Handle = HANDLE;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Release(Handle handle) { CloseHandle(handle); }
};
using UniqueHandle = HandleHolder<KernelHandleKind>;
