#pragma once

#include "transfer/configuration_image.h"

namespace trv {

enum class TransferDirection { Send, Get };
enum class TransferResult { Ok, Cancel };

// The progress dialog as the transfer commands see it: it runs one flash job on the buffer and
// returns when the user closes it. A get leaves the controller's bytes in the buffer.
class TransferRunner {
 public:
  virtual ~TransferRunner() = default;
  virtual TransferResult RunTransfer(ConfigurationImage& buffer, TransferDirection direction) = 0;
};

}  // namespace trv
