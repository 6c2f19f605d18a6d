#include "params/ign_load.h"

#include <cstdio>

#include "base/identity.h"
#include "params/atomic_file.h"
#include "params/ign_completeness.h"
#include "params/ign_model_bridge.h"

namespace zeda {

std::string_view WithoutCutNumber(std::string_view text) {
  // The writer ends every number with a blank or a line end; a file that ends in digits was
  // cut inside the last number, whose digits so far are not the value written ("27" cut to
  // "2"). It is dropped, so its field counts as missing like the rest of the cut.
  size_t end = text.size();
  while (end > 0 && text[end - 1] >= '0' && text[end - 1] <= '9') --end;
  if (end == text.size()) return text;
  if (end > 0 && text[end - 1] == '-') --end;
  return text.substr(0, end);
}

IgnLoadResult LoadIgnText(ImageBuffers& buf, std::string_view text, int page, bool testMode) {
  text = WithoutCutNumber(text);
  IgnLoadResult r;
  r.opened = true;
  IgnReadOptions opt;
  opt.page = page;
  opt.testMode = testMode;
  opt.messages = false;
  IgnReadResult first = ReadIgnText(text, buf.params, opt);
  if (first.bikeSeen) ign_bridge::ApplyDefaultsForPage(buf.params, page);
  opt.messages = true;
  r.read = ReadIgnText(text, buf.params, opt);
  r.defaultsApplied = first.bikeSeen;
  // Older and related files lack keywords by nature and say so with their own message.
  if (r.read.acceptedKey == kUnitKey) r.missing = MissingIgnKeywords(text);
  ign_bridge::Normalize(buf.params);
  buf.fileImage = buf.params;
  buf.fileMatches = true;
  return r;
}

IgnLoadResult LoadIgnFile(ImageBuffers& buf, const std::string& path, int page, bool testMode,
                          const std::function<void()>& beforeLoad) {
  IgnLoadResult r;
  std::string text;
  // The file is read once; both passes work on the same text.
  if (!ReadWholeFile(path, &text, kIgnMaxFileSize, &r.tooLarge) && !r.tooLarge) return r;
  if (r.tooLarge) text.clear();
  if (beforeLoad) beforeLoad();
  const bool tooLarge = r.tooLarge;
  r = LoadIgnText(buf, text, page, testMode);
  r.tooLarge = tooLarge;
  return r;
}

}  // namespace zeda
