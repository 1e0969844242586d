#include "platform/account_names_win.h"

#include <sddl.h>

#include <iterator>

#include "platform/local_memory_win.h"
#include "platform/wide_text_win.h"

std::string SidText(PSID sid) {
  LocalMemory text;
  if (sid == nullptr || !ConvertSidToStringSidW(sid, text.Receive<wchar_t>())) return {};
  return Utf8FromWide(static_cast<const wchar_t*>(text.Get()));
}

AccountLookup LookupAccountByName(const std::string& name) {
  AccountLookup lookup;
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof sid;
  wchar_t domain[256] = L"";
  DWORD domainSize = std::size(domain);
  SID_NAME_USE use;
  // No system name: this computer first. The sizes count bytes for the identifier and characters
  // for the domain.
  if (name.empty() ||
      !LookupAccountNameW(nullptr, WideFromUtf8(name).c_str(), sid, &sidSize, domain, &domainSize, &use))
    return lookup;
  lookup.found = true;
  lookup.user = use == SidTypeUser;
  lookup.domain = Utf8FromWide({domain, wcsnlen(domain, std::size(domain))});
  lookup.sid = SidText(sid);
  return lookup;
}

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
  DWORD size = std::size(name);
  return GetComputerNameW(name, &size) ? Utf8FromWide({name, size}) : std::string();
}
