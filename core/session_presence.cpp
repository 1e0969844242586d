#include "core/session_presence.h"

#include "base/string_list.h"

const SessionPresence* FindPresence(const SessionPresenceTable& table, std::string_view user) {
  for (const SessionPresence& presence : table) {
    if (SameText(presence.user, user)) return &presence;
  }
  return nullptr;
}
