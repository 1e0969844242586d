#pragma once

#include <optional>
#include <string>
#include <string_view>

// Base32 (RFC 4648, the alphabet A-Z and 2-7): how authenticator apps take a secret.

// The bytes as Base32 without "=" padding.
std::string EncodeBase32(std::string_view bytes);
// The bytes of a Base32 text, read as people type it: letters in either case, spaces and
// trailing "=" padding ignored. Nothing for any other character, or for bits left over that do
// not make a whole byte but are not zero.
std::optional<std::string> DecodeBase32(std::string_view text);
