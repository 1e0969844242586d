#pragma once

#include <cstdint>
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
// The minutes one code gives the user: "CodeMinutes" of the user's key, else of the product key,
// else 30, within 1..1440.
int ReadCodeMinutes(ServiceState& service, const std::string& userName);
// The record kept in the user's key (that of the earlier version included); an empty record for
// values that are absent (a stored text that is no number is said at level 1 and taken as absent).
CodeRecord ReadCodeRecord(ServiceState& service, const std::string& userName);
// Stores the record in the user's key, and moves an earlier version's record out of the way;
// false, said at level 1, when the registry refuses it.
bool WriteCodeRecord(ServiceState& service, const std::string& userName, const CodeRecord& record);
// The step of the last code accepted on this computer; 0 when none is kept.
int64_t ReadMachineCodeStep(ServiceState& service);
// Keeps the step beside the secret; false, said at level 1, when the key is gone or refuses it.
bool WriteMachineCodeStep(ServiceState& service, int64_t step);
