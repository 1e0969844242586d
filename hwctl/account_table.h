#pragma once

#include <string>
#include <vector>

#include "platform/local_accounts.h"

// The accounts as a table for the person at the keyboard: local name, full name, address.
std::string AccountTable(const std::vector<LocalAccount>& accounts);
