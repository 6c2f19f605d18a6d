#include "app/handover.h"

#include <charconv>

namespace zeda {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::optional<uint64_t> ParseNumber(std::string_view s) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty() || s.size() > 16) return std::nullopt;
  uint64_t value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<HandoverMessage> ParseHandoverLine(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  size_t gap = 0;
  while (gap < line.size() && !IsBlank(line[gap])) ++gap;
  if (gap == 0 || gap == line.size()) return std::nullopt;
  std::string_view second = line.substr(gap);
  while (!second.empty() && IsBlank(second.front())) second.remove_prefix(1);
  for (char c : second) {
    if (IsBlank(c)) return std::nullopt;  // a third field
  }
  const auto com = ParseNumber(line.substr(0, gap));
  const auto code = ParseNumber(second);
  if (!com || !code || *com < 1 || *com > 255 || *code > 0xFFFFFFFFu) return std::nullopt;
  return HandoverMessage{static_cast<int>(*com), static_cast<uint32_t>(*code)};
}

HandoverAction DecideHandover(const HandoverMessage& msg, int connectedPort, int rememberedPort) {
  switch (msg.code) {
    case kHandoverRelease:
      return connectedPort >= 0 && msg.com == connectedPort ? HandoverAction::ReleasePort
                                                            : HandoverAction::Ignore;
    case kHandoverSpecialRelease:
      return connectedPort >= 0 && msg.com == connectedPort ? HandoverAction::SpecialThenRelease
                                                            : HandoverAction::Ignore;
    case kHandoverTakeBack:
      return rememberedPort >= 0 && msg.com == rememberedPort ? HandoverAction::TakeBackPort
                                                              : HandoverAction::Ignore;
    default:
      return HandoverAction::Ignore;
  }
}

HandoverAction PortHandover::Handle(const HandoverMessage& msg, HandoverHooks& hooks) {
  const HandoverAction action = DecideHandover(msg, hooks.connectedPort(), rememberedPort_);
  switch (action) {
    case HandoverAction::ReleasePort:
      Release(msg.com, hooks);
      break;
    case HandoverAction::SpecialThenRelease:
      hooks.RequestSpecialCommand();
      break;
    case HandoverAction::TakeBackPort:
      TakeBack(hooks);
      break;
    case HandoverAction::Ignore:
      break;
  }
  return action;
}

void PortHandover::Release(int com, HandoverHooks& hooks) {
  rememberedPort_ = com;
  linkEnabled_ = false;
  hooks.DisconnectLink();
  hooks.LinkEnabledChanged();
}

void PortHandover::TakeBack(HandoverHooks& hooks) {
  linkEnabled_ = true;
  rememberedPort_ = -1;
  hooks.LinkEnabledChanged();
  hooks.ResumeSearch();
}

}  // namespace zeda
