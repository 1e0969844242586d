#pragma once

#include <optional>
#include <string>

#include "core/code_record.h"

class ServiceState;

// The parent's code as the service reads and keeps it in the registry. A value of the wrong type
// is reported at level 1 and taken as absent, like every value the service reads.

// The secret's bytes; nothing when no secret is set up, when its key cannot be read, or when the
// value is no Base32 text (said at level 1).
std::optional<std::string> ReadParentSecret(ServiceState& service);
// The user's maximum a day by code: "CodeMaxMinutes" within 0..1440, 60 when it is absent.
int ReadCodeMaxMinutes(ServiceState& service, const std::string& userName);
// The record kept in the user's key; an empty record for values that are absent (a stored text
// that is no number is said at level 1 and taken as absent).
CodeRecord ReadCodeRecord(ServiceState& service, const std::string& userName);
// Stores the record in the user's key; false, said at level 1, when the registry refuses it.
bool WriteCodeRecord(ServiceState& service, const std::string& userName, const CodeRecord& record);
