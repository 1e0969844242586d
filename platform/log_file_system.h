#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_access.h"

// The file operations of the debug and process logs. The service runs as LocalSystem and may be
// told to write into a folder that others prepared, so every operation that touches a log file
// first makes sure it is one to trust: not a link (no reparse point, no symbolic link), no other
// name for the same file (no hard link), and owned by the service's own account, LocalSystem or
// the Administrators group. Paths are narrow texts in the system's code page, as the log path is
// built from the registry. Failures are described as "what failed: the call and its error".
class LogFileSystem {
 public:
  virtual ~LogFileSystem() = default;

  // What an append gave: why the lines were not all written, or nothing and the file's size
  // after the append (0 when the size could not be read).
  struct Appended {
    std::optional<std::string> failure;
    int64_t size = 0;
  };
  // Appends every line, each followed by a line end (CR LF on Windows), to the file, creating it
  // when missing. An untrusted file is refused before anything is written.
  virtual Appended AppendLines(const std::string& path, const std::vector<std::string>& lines) = 0;
  // The size of a trusted file in bytes; nothing when it is absent, cannot be opened or is not
  // to be trusted.
  virtual std::optional<int64_t> FileSize(const std::string& path) = 0;
  // Up to `count` bytes of a trusted file from `offset` on, fewer at its end; nothing when it
  // cannot be read.
  virtual std::optional<std::string> ReadPiece(const std::string& path, int64_t offset, size_t count) = 0;

  // What creating a new file gave.
  enum class Creation { kCreated, kAlreadyExists, kFailed };
  // Creates the file `to`, failing when anything of that name exists already (a file, a folder
  // or a link), and copies into it the bytes of the trusted file `from` from `offset` to its end,
  // a piece at a time, so that no more than a piece is held in memory. On kFailed a half-written
  // file is removed; an untrusted `from` gives kFailed before anything is created.
  virtual Creation CreateNewFileFrom(const std::string& to, const std::string& from, int64_t offset) = 0;
  // True when the file exists and is one to trust, as above.
  virtual bool IsTrustedFile(const std::string& path) = 0;
  // Puts the file at `from` in the place of `to`, replacing what is there. Nothing on success.
  virtual std::optional<std::string> ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Removes a file (a link itself, not what it points to); true when it is gone.
  virtual bool RemoveFile(const std::string& path) = 0;

  // The folder's access list.
  virtual FolderAccessList ReadFolderAccess(const std::string& folder) = 0;
  // The service's own log folder, with its trailing separator, made so that only LocalSystem and
  // the Administrators may change it and its parent: created with that access list, or given it
  // (and the Administrators as owner) when it exists with a broader one. Nothing on success, else
  // why it could not be made so (a link in its place, a refused change).
  virtual std::optional<std::string> PrepareServiceLogFolder() = 0;
  // The folder PrepareServiceLogFolder makes, with its trailing separator.
  virtual std::string ServiceLogFolder() const = 0;
};

// The implementation of the platform the program is built for, whose own log folder is the given
// one (with its trailing separator).
std::unique_ptr<LogFileSystem> MakeLogFileSystem(const std::string& serviceLogFolder);
