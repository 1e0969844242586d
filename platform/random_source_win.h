#pragma once

#include "platform/random_source.h"

// BCryptGenRandom with the system's preferred generator.
class CngRandomSource : public RandomSource {
 public:
  std::optional<std::string> Fill(std::string& bytes) const override;
};
