#include "logging/log_folder.h"


#include "core/log_file_trust.h"
#include "core/service_state.h"
#include "core/standard_user_access.h"

namespace {

// Why the folder must not take the logs; nothing when it may.
std::optional<std::string> Refusal(const FolderAccessList& list) {
  switch (list.outcome) {
    case FolderAccessList::Outcome::NotFound:
    case FolderAccessList::Outcome::NotAFolder:
      return std::nullopt;  // nothing to follow there: the write fails and the lines wait
    case FolderAccessList::Outcome::Failed:
      return "its permissions cannot be read (" + list.failure + ")";
    case FolderAccessList::Outcome::Read:
      break;
  }
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
