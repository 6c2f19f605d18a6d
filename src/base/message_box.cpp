#include "base/message_box.h"

#include <cstdio>
#include <mutex>

namespace zeda {
namespace {
std::mutex g_sinkMutex;
MessageSink g_sink;
}  // namespace

MessageSink setMessageSink(MessageSink sink) {
  std::lock_guard lock(g_sinkMutex);
  MessageSink previous = std::move(g_sink);
  g_sink = std::move(sink);
  return previous;
}

void showMessage(const std::string& text, const std::string& caption, MessageKind kind) {
  MessageSink sink;
  {
    std::lock_guard lock(g_sinkMutex);
    sink = g_sink;
  }
  // The sink runs unlocked: a modal box may spin an event loop that reports again.
  if (sink) {
    sink(UserMessage{text, caption, kind});
    return;
  }
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void showError(const std::string& text) { showMessage(text, "Error", MessageKind::Error); }

}  // namespace zeda
