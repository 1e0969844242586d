#pragma once

#include <windows.h>

#include "base/handle_holder.h"

// A handle of the service control manager or of a service, closed with CloseServiceHandle.
struct ServiceHandleKind {
  using Handle = SC_HANDLE;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle handle) { return handle != nullptr; }
  static void Release(Handle handle) { CloseServiceHandle(handle); }
};
using ServiceHandle = HandleHolder<ServiceHandleKind>;
