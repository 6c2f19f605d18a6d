#pragma once
// Device-operation tests: a simulated unit served over a pty (with a switch that makes it
// fall silent), a front end that records what the user would see, and a driver that runs
// the machine on the main tick.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/status_slots.h"
#include "base/tick_clock.h"
#include "lang/lang_string.h"
#include "link/device_ops.h"
#include "link_e2e_util.h"
#include "pty.h"
#include "sim_unit.h"
#include "support/sim_args.h"

namespace zeda::test {

// A simulated unit on its own pty. While muted it takes requests but answers nothing.
class PeerUnit {
 public:
  explicit PeerUnit(const std::vector<std::string>& args) {
    sim::SimOptions options;
    if (!ParseSimArgs(args, options, error)) return;
    unit_ = std::make_unique<sim::SimUnit>(options);
    if (!options.imagePath.empty() && !unit_->LoadImage(options.imagePath, error)) return;
    if (!pty_.Open(error)) return;
    ok_ = true;
    start_ = std::chrono::steady_clock::now();
    thread_ = std::thread([this] { Run(); });
  }
  ~PeerUnit() { Stop(); }
  bool Ok() const { return ok_; }
  std::string Path() const { return pty_.SlavePath(); }
  void Mute(bool on) { mute_.store(on); }
  // The next n answers to identification-block requests are not sent.
  void DropIdBlockAnswers(int n) { dropIdAnswers_.store(n); }
  // The next answer whose code byte is `code` comes late: only once the request has been
  // repeated, right before the answer to the repeat (a unit busy for a moment).
  void AnswerLate(uint8_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    lateCode_ = code;
    lateArmed_ = true;
  }
  // Another unit takes this one's place on the line.
  void SwapIdentity(int key, int version) {
    std::lock_guard<std::mutex> lock(mutex_);
    unit_->SwapIdentity(key, version);
  }
  // Every byte the unit received so far.
  std::vector<uint8_t> Received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }
  // Closes the pty: the port vanishes.
  void Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
    pty_.Close();
  }
  std::array<uint8_t, sim::kImageSize> Memory() {
    std::lock_guard<std::mutex> lock(mutex_);
    return unit_->Memory();
  }
  // The unit's memory as a parameter image.
  ParamImage MemoryImage() {
    ParamImage img;
    const auto m = Memory();
    std::copy(m.begin(), m.end(), img.bytes.begin());
    return img;
  }
  int Programmings() {
    std::lock_guard<std::mutex> lock(mutex_);
    return unit_->ProgrammingCount();
  }
  // Runs f(SimUnit&) between two requests: the unit's counters and fault switches.
  template <typename F>
  auto WithUnit(F f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return f(*unit_);
  }

  std::string error;

 private:
  int64_t NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
  }
  void Run() {
    std::vector<uint8_t> out;
    uint8_t buffer[4096];
    while (!stop_.load()) {
      pollfd p{pty_.Master(), POLLIN, 0};
      const int ready = poll(&p, 1, 5);
      if (ready == 0) {
        // A silent line ends a request cut short (a probe at another protocol's frame size).
        std::lock_guard<std::mutex> lock(mutex_);
        unit_->LineIdle(NowMs());
      }
      if (ready > 0 && (p.revents & POLLIN)) {
        const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
        if (n > 0) {
          out.clear();
          bool hold = false;
          {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.insert(received_.end(), buffer, buffer + n);
            unit_->Receive(buffer, static_cast<size_t>(n), NowMs(), out);
            if (!out.empty() && out[0] == lateCode_ && (lateArmed_ || holding_)) {
              hold = lateArmed_;  // the first answer waits, the repeat's releases it
              holding_ = lateArmed_;
              lateArmed_ = false;
            } else {
              hold = holding_;
            }
          }
          bool drop = mute_.load();
          if (!drop && !out.empty() && out[0] == 0xC0 && dropIdAnswers_.load() > 0) {
            dropIdAnswers_.fetch_sub(1);
            drop = true;
          }
          if (!drop && hold) {
            held_.insert(held_.end(), out.begin(), out.end());
          } else if (!drop) {
            held_.insert(held_.end(), out.begin(), out.end());
            WriteAll(held_);
            held_.clear();
          }
        } else if (n < 0) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
      } else if (ready > 0 && (p.revents & POLLHUP)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      std::lock_guard<std::mutex> lock(mutex_);
      unit_->Idle(NowMs());
    }
  }
  void WriteAll(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size() && !stop_.load()) {
      const ssize_t w = write(pty_.Master(), bytes.data() + done, bytes.size() - done);
      if (w > 0) {
        done += static_cast<size_t>(w);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
  }

  std::unique_ptr<sim::SimUnit> unit_;
  sim::Pty pty_;
  std::mutex mutex_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> mute_{false};
  std::atomic<int> dropIdAnswers_{0};
  std::vector<uint8_t> received_;  // guarded by mutex_
  uint8_t lateCode_ = 0;           // guarded by mutex_
  bool lateArmed_ = false;         // guarded by mutex_
  bool holding_ = false;           // guarded by mutex_
  std::vector<uint8_t> held_;      // the run thread's: answers that come late
  std::thread thread_;
  bool ok_ = false;
  std::chrono::steady_clock::time_point start_;
};

// Records what the user would see, in English.
class RecordingUi : public DeviceOpsUi {
 public:
  RecordingUi() { slots.Bind(nullptr, {1, 2, 4}); }
  void ShowStatus(int slot, const char* text, int32_t durationMs, Colour font, Colour back,
                  int32_t priority) override {
    slots.ShowStatus(slot, text, durationMs, font, back, priority);
    if (text != nullptr) {
      const std::string english = LangText(text, kEnglish);
      if (slot == 2 && (results.empty() || results.back() != english)) results.push_back(english);
      if (slot == 4) congruence.push_back(english);
      if (slot == 2) lastResultBack = back;
    }
  }
  void SetGauge(Colour foreground, int32_t progress) override {
    if (foreground != kColourUnchanged) gaugeColour = foreground;
    gauge = progress;
    gauges.push_back(progress);
  }
  void ShowGauge() override { gaugeShown = true; }
  void SetLabelCom(const char* text) override { labelCom = text; }
  void UpdateTitle() override { ++titleUpdates; }
  void UnitTextChanged() override { ++unitTextChanges; }
  void ReplaceParams(const std::function<void()>& replace) override {
    replace();
    ++pageRefreshes;
  }
  void ClearCurrentFile() override { ++fileCleared; }
  void OperationEnded(int32_t op, OpOutcome outcome) override { ended.push_back({op, outcome}); }
  void MonitorBlockReady(const uint8_t*) override { ++monitors; }
  bool NewInstallation() const override { return newInstallation; }

  // The slot texts of this run so far, in English.
  std::string Slot(int slot) const {
    return slots.Visible(slot) ? std::string(LangText(slots.Text(slot).c_str(), kEnglish)) : "";
  }
  bool Said(const std::string& text) const {
    return std::find(results.begin(), results.end(), text) != results.end();
  }
  int IndexOf(const std::string& text, int from = 0) const {
    for (int i = from; i < static_cast<int>(results.size()); ++i)
      if (results[static_cast<size_t>(i)] == text) return i;
    return -1;
  }
  bool EndedWith(int32_t op, OpOutcome outcome) const {
    for (const auto& e : ended)
      if (e.first == op && e.second == outcome) return true;
    return false;
  }
  bool EndedOp(int32_t op) const {
    for (const auto& e : ended)
      if (e.first == op) return true;
    return false;
  }

  StatusSlots slots;
  std::vector<std::string> results;     // slot 2, each change
  std::vector<std::string> congruence;  // slot 4
  std::vector<int32_t> gauges;
  std::vector<std::pair<int32_t, OpOutcome>> ended;
  Colour gaugeColour = 0;
  Colour lastResultBack = 0;
  int32_t gauge = -1;
  bool gaugeShown = false;
  bool newInstallation = false;
  std::string labelCom;
  int titleUpdates = 0, unitTextChanges = 0, pageRefreshes = 0, fileCleared = 0, monitors = 0;
};

// The link, the images and the machine, driven tick by tick.
class OpsRig {
 public:
  OpsRig() : ops(link, images, ui) { link.statusSink = &sink_; }

  // One run of the machine: two ticks of the main timer.
  void Run(int realMs = kRunRealMs) {
    AdvanceTick();
    ui.slots.Expire(tickCount());
    AdvanceTick();
    ui.slots.Expire(tickCount());
    ops.RunDeviceOps();
    states.push_back(ops.opState());
    std::this_thread::sleep_for(std::chrono::milliseconds(realMs));
  }
  template <typename F>
  bool RunUntil(F done, int maxRuns = 600) {
    for (int i = 0; i < maxRuns; ++i) {
      if (done()) return true;
      Run();
    }
    return done();
  }
  bool SawState(int32_t s) const {
    return std::find(states.begin(), states.end(), s) != states.end();
  }
  // Connected, checked and idle.
  bool WaitChecked() {
    return RunUntil(
        [&] { return ops.UnitConnected() && ui.EndedOp(OP_CHECK) && ops.opState() <= 2; });
  }
  bool WaitIdle() {
    return RunUntil([&] { return !ops.Busy(); });
  }

 private:
  // The search's own slot-1 messages go through the same slots.
  class Sink : public StatusSink {
   public:
    explicit Sink(RecordingUi& ui) : ui_(ui) {}
    void ShowStatus(int slot, const char* text, int durationMs, uint32_t font, uint32_t back,
                    int priority) override {
      ui_.ShowStatus(slot, text, durationMs, font, back, priority);
    }

   private:
    RecordingUi& ui_;
  };

 public:
  CCOMCOM link;
  ImageBuffers images;
  RecordingUi ui;
  DeviceOps ops;
  std::vector<int32_t> states;

 private:
  Sink sink_{ui};
};

// Writes an image to a new temporary file (for --image) and returns its name; the caller
// removes it.
inline std::string WriteTempImage(const ParamImage& img) {
  char name[] = "/tmp/zeda-ops-image-XXXXXX";
  const int fd = mkstemp(name);
  if (fd >= 0) {
    (void)!write(fd, img.Data(), PARAM_IMAGE_SIZE);
    close(fd);
  }
  return name;
}

}  // namespace zeda::test
