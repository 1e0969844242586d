#pragma once

#include <windows.h>

#include "base/handle_holder.h"

// An open registry key, closed with RegCloseKey.
struct RegKeyKind {
  using Handle = HKEY;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle key) { return key != nullptr; }
  static void Release(Handle key) { RegCloseKey(key); }
};
using RegKey = HandleHolder<RegKeyKind>;
