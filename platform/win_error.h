#pragma once

#include <cstdint>
#include <string>

#include "base/call_result.h"

// The system's text for a Windows error code, without the trailing line end.
std::string SystemErrorText(uint32_t code);
// "CALL failed with error CODE: TEXT": how every logged Windows failure names the call and code.
std::string DescribeWindowsFailure(const std::string& call, uint32_t code);
// The failure of a Windows call, described as above, for a CallResult.
CallFailure WindowsCallFailure(const std::string& call, uint32_t code);
// "CALL failed with status 0xSTATUS": the same for the calls that return an NTSTATUS (CNG).
std::string DescribeStatusFailure(const std::string& call, uint32_t status);
