#pragma once

#include "platform/random_source.h"

// BCryptGenRandom with the system's preferred generator.
class CngRandomSource : public RandomSource {
 public:
  CallResult<void> Fill(std::string& bytes) const override;
};
