#include "app/handover.h"

#include <charconv>

namespace zeda {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::optional<uint64_t> parseNumber(std::string_view s) {
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

std::optional<HandoverMessage> parseHandoverLine(std::string_view line) {
  while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
  size_t gap = 0;
  while (gap < line.size() && !isBlank(line[gap])) ++gap;
  if (gap == 0 || gap == line.size()) return std::nullopt;
  std::string_view second = line.substr(gap);
  while (!second.empty() && isBlank(second.front())) second.remove_prefix(1);
  for (char c : second) {
    if (isBlank(c)) return std::nullopt;  // a third field
  }
  const auto com = parseNumber(line.substr(0, gap));
  const auto code = parseNumber(second);
  if (!com || !code || *com < 1 || *com > 255 || *code > 0xFFFFFFFFu) return std::nullopt;
  return HandoverMessage{static_cast<int>(*com), static_cast<uint32_t>(*code)};
}

HandoverAction decideHandover(const HandoverMessage& msg, int connectedPort, int rememberedPort) {
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

HandoverAction PortHandover::handle(const HandoverMessage& msg, HandoverHooks& hooks) {
  const HandoverAction action = decideHandover(msg, hooks.connectedPort(), rememberedPort_);
  switch (action) {
    case HandoverAction::ReleasePort:
      release(msg.com, hooks);
      break;
    case HandoverAction::SpecialThenRelease:
      hooks.requestSpecialCommand();
      break;
    case HandoverAction::TakeBackPort:
      takeBack(hooks);
      break;
    case HandoverAction::Ignore:
      break;
  }
  return action;
}

void PortHandover::release(int com, HandoverHooks& hooks) {
  rememberedPort_ = com;
  linkEnabled_ = false;
  hooks.disconnectLink();
  hooks.linkEnabledChanged();
}

void PortHandover::takeBack(HandoverHooks& hooks) {
  linkEnabled_ = true;
  rememberedPort_ = -1;
  hooks.linkEnabledChanged();
  hooks.resumeSearch();
}

}  // namespace zeda
