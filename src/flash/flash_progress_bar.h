#pragma once

namespace trv {

// The progress bar a flash job moves, on the job's thread. A window's bar hands the position to
// its own thread.
class TFlashProgressBar {
 public:
  virtual ~TFlashProgressBar() = default;
  virtual int Min() const = 0;
  virtual int Max() const = 0;
  virtual void SetPosition(int position) = 0;
};

}  // namespace trv
