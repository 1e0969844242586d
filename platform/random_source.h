#pragma once

#include <string>

#include "base/call_result.h"

// Random bytes for secrets, from the system's cryptographic generator.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Fills the text with random bytes.
  virtual CallResult<void> Fill(std::string& bytes) const = 0;
};
