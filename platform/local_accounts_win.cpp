#include "platform/local_accounts_win.h"

#include <windows.h>
#include <lm.h>

#include <iterator>

#include "platform/account_names_win.h"
#include "base/handle_holder.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

// USER_INFO_20: name, full name, flags and relative identifier. USER_INFO_24 (Windows 8 and
// later): the Microsoft account an account signs in with, and the account's identifier.
constexpr DWORD kNamesLevel = 20;
constexpr DWORD kInternetIdentityLevel = 24;
// LOCALGROUP_MEMBERS_INFO_0: each member's identifier.
constexpr DWORD kMemberSidLevel = 0;

// A buffer the account calls handed out, freed with NetApiBufferFree.
struct NetMemoryKind {
  using Handle = LPBYTE;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle memory) { return memory != nullptr; }
  static void Release(Handle memory) { NetApiBufferFree(memory); }
};
using NetMemory = HandleHolder<NetMemoryKind>;

std::string Text(const wchar_t* text) { return text != nullptr ? Utf8FromWide(text) : std::string(); }

void NotePartial(LocalAccountList& list, const std::string& what) {
  if (list.partial.find(what) == std::string::npos) list.partial += (list.partial.empty() ? "" : "; ") + what;
}

// The Microsoft address and identifier of the account. Windows before 8 and Wine know no level
// 24 (ERROR_INVALID_LEVEL); the identifier then comes from the account lookup.
void ReadIdentity(LocalAccountList& list, LocalAccount& account, const std::string& computerName) {
  NetMemory buffer;
  const NET_API_STATUS status =
      NetUserGetInfo(nullptr, WideFromUtf8(account.name).c_str(), kInternetIdentityLevel, buffer.Receive());
  if (status == NERR_Success && buffer.Get<USER_INFO_24>() != nullptr) {
    // The other members count only for an account connected to a Microsoft account.
    const USER_INFO_24& identity = *buffer.Get<USER_INFO_24>();
    if (identity.usri24_internet_identity) {
      account.address = Text(identity.usri24_internet_principal_name);
      account.sid = SidText(identity.usri24_user_sid);
    }
  } else {
    NotePartial(list, "Microsoft account addresses not read: " +
                          DescribeWindowsFailure("NetUserGetInfo(level 24)", status));
  }
  if (account.sid.empty()) account.sid = LookupAccountByName(computerName + "\\" + account.name).sid;
}

// Marks the members of the Administrators group, found by its identifier (S-1-5-32-544) since
// its name differs from language to language.
void ReadAdministrators(LocalAccountList& list) {
  BYTE group[SECURITY_MAX_SID_SIZE];
  DWORD groupSize = sizeof group;
  wchar_t name[256] = L"";
  DWORD nameSize = std::size(name);
  wchar_t domain[256] = L"";
  DWORD domainSize = std::size(domain);
  SID_NAME_USE use;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, group, &groupSize) ||
      !LookupAccountSidW(nullptr, group, name, &nameSize, domain, &domainSize, &use)) {
    NotePartial(list, "administrators not read: " + DescribeWindowsFailure("LookupAccountSidW", GetLastError()));
    return;
  }
  DWORD_PTR resume = 0;
  NET_API_STATUS status = ERROR_MORE_DATA;
  while (status == ERROR_MORE_DATA) {
    NetMemory buffer;
    DWORD read = 0;
    DWORD total = 0;
    status = NetLocalGroupGetMembers(nullptr, name, kMemberSidLevel, buffer.Receive(), MAX_PREFERRED_LENGTH, &read,
                                     &total, &resume);
    if (status != NERR_Success && status != ERROR_MORE_DATA) {
      NotePartial(list, "administrators not read: " + DescribeWindowsFailure("NetLocalGroupGetMembers", status));
      return;
    }
    for (DWORD i = 0; i < read; ++i) {
      const std::string member = SidText(buffer.Get<LOCALGROUP_MEMBERS_INFO_0>()[i].lgrmi0_sid);
      for (LocalAccount& account : list.accounts)
        if (!account.sid.empty() && account.sid == member) account.administrator = true;
    }
  }
}

}  // namespace

CallResult<LocalAccountList> WindowsLocalAccountSource::List() const {
  LocalAccountList list;
  DWORD resume = 0;
  NET_API_STATUS status = ERROR_MORE_DATA;
  while (status == ERROR_MORE_DATA) {
    NetMemory buffer;
    DWORD read = 0;
    DWORD total = 0;
    // FILTER_NORMAL_ACCOUNT: the accounts people sign in with, not those of trusts or computers.
    status = NetUserEnum(nullptr, kNamesLevel, FILTER_NORMAL_ACCOUNT, buffer.Receive(), MAX_PREFERRED_LENGTH, &read,
                         &total, &resume);
    if (status != NERR_Success && status != ERROR_MORE_DATA) return WindowsCallFailure("NetUserEnum", status);
    for (DWORD i = 0; i < read; ++i) {
      const USER_INFO_20& user = buffer.Get<USER_INFO_20>()[i];
      LocalAccount account;
      account.name = Text(user.usri20_name);
      account.fullName = Text(user.usri20_full_name);
      account.enabled = (user.usri20_flags & UF_ACCOUNTDISABLE) == 0;
      account.guest = user.usri20_user_id == DOMAIN_USER_RID_GUEST;
      list.accounts.push_back(std::move(account));
    }
  }
  const std::string computer = ComputerName();
  for (LocalAccount& account : list.accounts) ReadIdentity(list, account, computer);
  ReadAdministrators(list);
  return list;
}

AccountLookup WindowsLocalAccountSource::Lookup(const std::string& name) const { return LookupAccountByName(name); }
