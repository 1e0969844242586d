#include "core/log_file_trust.h"

#include "core/standard_user_access.h"

namespace {

// The failure of a call, for a result of another type.
template <typename T>
CallFailure FailureOf(const CallResult<T>& result) {
  return {result.Failure(), result.FailureCode()};
}

// The folder without its trailing separator, as the file calls take it; a drive root keeps it.
std::string FolderName(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
         !(folder.size() == 3 && folder[1] == ':'))
    folder.pop_back();
  return folder;
}

// Creates the folder private, or makes an existing one private when standard users may write to it.
CallResult<void> MakePrivate(LogFileSystem& files, const std::string& folder) {
  const CallResult<bool> created = files.CreatePrivateFolder(folder);
  if (!created) return FailureOf(created);
  if (created.Value()) return {};

  const CallResult<PathFacts> facts = files.Facts(folder);
  if (!facts) return FailureOf(facts);
  if (facts.Value().kind != PathFacts::Kind::kFolder) return CallFailure{folder + " is a link or a file, not a folder"};
  if (!StandardUserWriteAccess(files.ReadFolderAccess(folder))) return {};

  if (CallResult<void> restricted = files.RestrictFolder(folder); !restricted) return restricted;
  if (const std::optional<std::string> access = StandardUserWriteAccess(files.ReadFolderAccess(folder)))
    return CallFailure{folder + " stays open to standard users: " + *access};
  return {};
}

}  // namespace

std::optional<std::string> LogFileDistrust(const std::string& path, const PathFacts& facts, const std::string& self) {
  if (facts.kind == PathFacts::Kind::kAbsent) return path + " does not exist";
  if (facts.kind != PathFacts::Kind::kFile) return path + " is a link or a folder, not a plain file";
  if (facts.links > 1) return path + " has another name too (a hard link)";
  const bool trustedOwner = facts.owner == kLocalSystemSid || facts.owner == kAdministratorsSid ||
                            (!self.empty() && facts.owner == self);
  if (facts.owner.empty() || !trustedOwner)
    return path + " belongs to an account other than LocalSystem or the Administrators";
  return std::nullopt;
}

bool IsTrustedLogFile(LogFileSystem& files, const std::string& path) {
  const CallResult<PathFacts> facts = files.Facts(path);
  return facts && !LogFileDistrust(path, facts.Value(), files.ProcessAccount());
}

CallResult<void> MakeServiceLogFolderPrivate(LogFileSystem& files) {
  const std::string logs = FolderName(files.ServiceLogFolder());
  const size_t separator = logs.find_last_of("\\/");
  // The parent first: whoever may change it could put another folder in the place of ours.
  if (separator != std::string::npos && separator > 2)
    if (CallResult<void> parent = MakePrivate(files, logs.substr(0, separator)); !parent) return parent;
  return MakePrivate(files, logs);
}
