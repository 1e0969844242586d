#pragma once

#include <optional>
#include <string>

// Random bytes for secrets, from the system's cryptographic generator.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Fills the text with random bytes; the call that failed and its code, or nothing.
  virtual std::optional<std::string> Fill(std::string& bytes) const = 0;
};
