#include "census/process_snapshot_win.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

constexpr unsigned long kSystemProcessInformation = 5;
// NTSTATUS STATUS_INFO_LENGTH_MISMATCH: the buffer is too small; the returned length is the size
// the snapshot needed at that moment.
constexpr long kStatusInfoLengthMismatch = static_cast<long>(0xC0000004);
// Room for some 500 processes with their threads, grown when the system needs more.
constexpr size_t kFirstBufferBytes = 512 * 1024;
constexpr size_t kMostBufferBytes = 64 * 1024 * 1024;

// The executable's name of an entry: a counted text that the call places inside the bytes it
// filled. A text that would lie outside them is not read, and the name stays empty (as for the
// idle process, which has none).
std::string ImageNameOf(const UNICODE_STRING& name, const unsigned char* bytes, size_t filled) {
  const auto start = reinterpret_cast<uintptr_t>(name.Buffer);
  const auto first = reinterpret_cast<uintptr_t>(bytes);
  if (name.Buffer == nullptr || name.Length == 0 || start < first || start - first > filled ||
      name.Length > filled - (start - first) || start % alignof(wchar_t) != 0)
    return {};
  return Utf8FromWide({name.Buffer, name.Length / sizeof(wchar_t)});
}

template <typename Call>
Call Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

SystemProcessSnapshot::SystemProcessSnapshot() : SystemProcessSnapshot("NtQuerySystemInformation", kFirstBufferBytes) {}

SystemProcessSnapshot::SystemProcessSnapshot(const char* callName, size_t firstBufferBytes)
    : firstBufferBytes_(firstBufferBytes) {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) {
    missing_ = DescribeWindowsFailure("GetModuleHandleA(ntdll.dll)", GetLastError());
    return;
  }
  query_ = Resolve<QueryCall>(ntdll, callName);
  if (query_ == nullptr) missing_ = DescribeWindowsFailure(std::string("GetProcAddress(") + callName + ")", GetLastError());
  statusToError_ = Resolve<StatusToErrorCall>(ntdll, "RtlNtStatusToDosError");
}

std::string SystemProcessSnapshot::DescribeStatus(long status) const {
  if (statusToError_ != nullptr) return DescribeWindowsFailure("NtQuerySystemInformation", statusToError_(status));
  return "NtQuerySystemInformation failed with status " + std::to_string(static_cast<unsigned long>(status));
}

bool SystemProcessSnapshot::Take(std::vector<SnapshotProcess>& processes, std::string& failure) {
  processes.clear();
  if (query_ == nullptr) {
    failure = missing_;
    return false;
  }
  if (buffer_.empty()) buffer_.resize(firstBufferBytes_ / sizeof(uint64_t) + 1);
  unsigned long filled = 0;
  for (;;) {
    const size_t size = buffer_.size() * sizeof(uint64_t);
    const long status = query_(kSystemProcessInformation, buffer_.data(), static_cast<unsigned long>(size), &filled);
    if (status == kStatusInfoLengthMismatch) {
      // Processes may start before the next try: a quarter more than was asked for, at least double.
      const size_t wanted = std::max<size_t>(size * 2, filled + filled / 4);
      if (wanted > kMostBufferBytes) {
        failure = DescribeStatus(status);
        return false;
      }
      buffer_.assign(wanted / sizeof(uint64_t) + 1, 0);
      continue;
    }
    if (status < 0) {
      failure = DescribeStatus(status);
      return false;
    }
    if (filled == 0 || filled > size) filled = static_cast<unsigned long>(size);
    break;
  }

  // Each entry gives the offset of the next, 0 at the last; an entry that would reach past the
  // bytes filled in ends the snapshot as a failure rather than be read.
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data());
  size_t offset = 0;
  for (;;) {
    if (filled < sizeof(SYSTEM_PROCESS_INFORMATION) || offset > filled - sizeof(SYSTEM_PROCESS_INFORMATION)) {
      failure = "NtQuerySystemInformation gave a process entry past the " + std::to_string(filled) + " bytes it filled";
      processes.clear();
      return false;
    }
    SYSTEM_PROCESS_INFORMATION entry;
    std::memcpy(&entry, bytes + offset, sizeof entry);
    processes.push_back({static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(entry.UniqueProcessId)),
                         static_cast<int64_t>(entry.CreateTime.QuadPart), entry.SessionId,
                         ImageNameOf(entry.ImageName, bytes, filled)});
    if (entry.NextEntryOffset == 0) return true;
    offset += entry.NextEntryOffset;
  }
}
