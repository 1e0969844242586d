#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/call_result.h"
#include "platform/folder_access.h"

// What a path names, as plain facts for the decision whether a log file is one to trust.
struct PathFacts {
  enum class Kind { kAbsent, kFile, kFolder, kLink, kOther };  // kLink: a reparse point or symbolic link
  Kind kind = Kind::kAbsent;
  // For a plain file: its number of names (more than one: hard links) and its owner's SID as text
  // ("S-1-5-18"; empty when it has none).
  uint32_t links = 0;
  std::string owner;
};

// Why a file with these facts is not one to trust, naming its path; nothing when it is. `self` is
// the SID text of the account the process runs as.
using FileTrustRule = std::optional<std::string> (*)(const std::string& path, const PathFacts& facts,
                                                     const std::string& self);

// The file operations of the debug and process logs. The service runs as LocalSystem and may be
// told to write into a folder that others prepared, so every operation that touches a log file
// first opens it, without following a link, and asks the trust rule it was made with about the
// open file's facts; a file the rule refuses is not read or written. Paths are narrow texts in the
// system's code page, as the log path is built from the registry. Failures are described as "what
// failed: the call and its error".
class LogFileSystem {
 public:
  virtual ~LogFileSystem() = default;

  // Appends every line, each followed by a line end (CR LF on Windows), to the file, creating it
  // when missing, and gives the file's size after the append (0 when the size could not be read).
  // An untrusted file is refused before anything is written.
  virtual CallResult<int64_t> AppendLines(const std::string& path, const std::vector<std::string>& lines) = 0;
  // The size of a trusted file in bytes; nothing when it is absent. A file that cannot be opened
  // or is not to be trusted is a failure.
  virtual CallResult<std::optional<int64_t>> FileSize(const std::string& path) = 0;
  // Up to `count` bytes of a trusted file from `offset` on, fewer at its end.
  virtual CallResult<std::string> ReadPiece(const std::string& path, int64_t offset, size_t count) = 0;

  // What creating a new file found.
  enum class Creation { kCreated, kAlreadyExists };
  // Creates the file `to`, unless anything of that name exists already (a file, a folder or a
  // link), and copies into it the bytes of the trusted file `from` from `offset` to its end, a
  // piece at a time, so that no more than a piece is held in memory. On a failure a half-written
  // file is removed; an untrusted `from` fails before anything is created.
  virtual CallResult<Creation> CreateNewFileFrom(const std::string& to, const std::string& from, int64_t offset) = 0;
  // What the path names, not following a link; for a plain file also its names and owner.
  virtual CallResult<PathFacts> Facts(const std::string& path) = 0;
  // The SID text of the account the process runs as: the `self` of the trust rule.
  virtual std::string ProcessAccount() const = 0;
  // Puts the file at `from` in the place of `to`, replacing what is there.
  virtual CallResult<void> ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Removes a file (a link itself, not what it points to); done when it is gone, or was.
  virtual CallResult<void> RemoveFile(const std::string& path) = 0;

  // The folder's access list.
  virtual CallResult<FolderAccessList> ReadFolderAccess(const std::string& folder) = 0;
  // Creates the folder (given without its trailing separator) with an access list that lets only
  // LocalSystem and the Administrators change it, the Administrators its owner; false, and nothing
  // done, when anything of that name exists already.
  virtual CallResult<bool> CreatePrivateFolder(const std::string& folder) = 0;
  // Gives the existing folder that access list and owner in place of its own.
  virtual CallResult<void> RestrictFolder(const std::string& folder) = 0;
  // The service's own log folder, with its trailing separator.
  virtual std::string ServiceLogFolder() const = 0;
};

// The implementation of the platform the program is built for, whose own log folder is the given
// one (with its trailing separator), judging every log file it opens by the rule.
std::unique_ptr<LogFileSystem> MakeLogFileSystem(const std::string& serviceLogFolder, FileTrustRule trust);
