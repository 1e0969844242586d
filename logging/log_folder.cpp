#include "logging/log_folder.h"


#include "core/log_file_trust.h"
#include "core/service_state.h"
#include "core/standard_user_access.h"

namespace {

// Why the folder must not take the logs; nothing when it may.
std::optional<std::string> Refusal(const CallResult<FolderAccessList>& read) {
  if (!read) return "its permissions cannot be read (" + read.Failure() + ")";
  const FolderAccessList& list = read.Value();
  // Nothing to follow at a path without a folder: the write fails and the lines wait.
  if (list.kind != FolderAccessList::Kind::kFolder) return std::nullopt;
  if (const std::optional<std::string> access = StandardUserWriteAccess(list))
    return "standard users can write to it (" + *access + ")";
  return std::nullopt;
}

}  // namespace

LogFileSystem& FilesOf(ServiceState& service) {
  return *service.Platform().logFileSystem;
}

std::string FolderOfPrefix(const std::string& prefix) {
  const size_t separator = prefix.find_last_of("\\/");
  return separator == std::string::npos ? "." : prefix.substr(0, separator + 1);
}

LogPlace ChooseLogPlace(ServiceState& service) {
  ServiceState::LogOutputState& output = service.LogOutput;
  if (output.chosenFor && *output.chosenFor == service.AppPath) return {output.prefix, std::nullopt};
  output.chosenFor = service.AppPath;
  output.prefix = service.AppPath;

  LogFileSystem& files = FilesOf(service);
  const std::string folder = FolderOfPrefix(service.AppPath);
  const std::optional<std::string> refusal = Refusal(files.ReadFolderAccess(folder));
  if (!refusal) return {output.prefix, std::nullopt};

  const std::string own = files.ServiceLogFolder();
  if (const CallResult<void> prepared = MakeServiceLogFolderPrivate(files); !prepared) {
    output.prefix.reset();
    return {output.prefix, "ERROR: The logs are not written: the folder " + folder + " of Path is refused, " +
                               *refusal + ", and the service's own folder " + own +
                               " cannot be used: " + prepared.Failure()};
  }
  output.prefix = own;
  return {output.prefix,
          "ERROR: The logs go to " + own + " instead: the folder " + folder + " of Path is refused, " + *refusal};
}
