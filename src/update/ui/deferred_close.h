#pragma once
// Closes the main window once no device operation runs: the update's download asks to end
// the program, but a unit being programmed must never be cut off. The main tick polls it.
// User-interface thread only.
#include <functional>

class DeferredClose {
 public:
  DeferredClose(std::function<bool()> busy, std::function<void()> close)
      : busy_(std::move(busy)), close_(std::move(close)) {}

  // Asks for the close; it happens now when nothing runs, else on a later Poll.
  void Request() {
    wanted_ = true;
    Poll();
  }
  void Poll() {
    if (!wanted_ || (busy_ && busy_())) return;
    wanted_ = false;
    if (close_) close_();
  }
  bool Pending() const { return wanted_; }

 private:
  std::function<bool()> busy_;
  std::function<void()> close_;
  bool wanted_ = false;
};
