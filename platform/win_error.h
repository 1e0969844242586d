#pragma once

#include <cstdint>
#include <string>

// The system's text for a Windows error code, without the trailing line end.
std::string SystemErrorText(uint32_t code);
// "CALL failed with error CODE: TEXT": how every logged Windows failure names the call and code.
std::string DescribeWindowsFailure(const std::string& call, uint32_t code);
// "CALL failed with status 0xSTATUS": the same for the calls that return an NTSTATUS (CNG).
std::string DescribeStatusFailure(const std::string& call, uint32_t status);
