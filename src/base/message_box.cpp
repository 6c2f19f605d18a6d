#include "base/message_box.h"

#include <cstdio>
#include <mutex>

namespace zeda {
namespace {
std::mutex gSinkMutex;
MessageSink gSink;
}  // namespace

MessageSink SetMessageSink(MessageSink sink) {
  std::lock_guard lock(gSinkMutex);
  MessageSink previous = std::move(gSink);
  gSink = std::move(sink);
  return previous;
}

void ShowMessage(const std::string& text, const std::string& caption, MessageKind kind) {
  MessageSink sink;
  {
    std::lock_guard lock(gSinkMutex);
    sink = gSink;
  }
  // The sink runs unlocked: a modal box may spin an event loop that reports again.
  if (sink) {
    sink(UserMessage{text, caption, kind});
    return;
  }
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void ShowError(const std::string& text) { ShowMessage(text, "Error", MessageKind::Error); }

}  // namespace zeda
