#pragma once
// Message boxes asked for by core code. The core never shows UI itself: the window
// installs a sink that turns each request into a modal box; without a sink the text
// goes to stderr, so command-line programs and tests still see it.
#include <functional>
#include <string>

namespace zeda {

enum class MessageKind { Information, Warning, Error };

struct UserMessage {
  std::string text;
  std::string caption;
  MessageKind kind = MessageKind::Information;
};

using MessageSink = std::function<void(const UserMessage&)>;

// Installs the sink (nullptr restores the stderr default); returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

// A plain box with the given caption.
void ShowMessage(const std::string& text, const std::string& caption, MessageKind kind);

// The error box: caption "Error" and the error icon.
void ShowError(const std::string& text);

}  // namespace zeda
