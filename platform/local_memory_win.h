#pragma once

#include <windows.h>

#include "base/handle_holder.h"

// Memory the system handed out with LocalAlloc (security descriptors, SID texts), freed with
// LocalFree.
struct LocalMemoryKind {
  using Handle = void*;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle memory) { return memory != nullptr; }
  static void Release(Handle memory) { LocalFree(memory); }
};
using LocalMemory = HandleHolder<LocalMemoryKind>;
