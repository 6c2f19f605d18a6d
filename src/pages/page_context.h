#pragma once
// What the pages need from the rest of the program besides the binder: the live monitor
// values for their ticks, the map editors' table set, and the window's answers to the few
// things only it can do (ask a question, run New, pass a test request to the unit).
// Every member may be left empty in tests; pages then skip what needs it.
//
// Thread contract: window thread only.
#include <cstdint>
#include <functional>
#include <string>

namespace zeda {

struct LiveValues;
class TTableSet;

enum class PageAnswer { Yes, No, Cancel };

struct PageContext {
  const LiveValues* live = nullptr;  // the last decoded monitor block
  TTableSet* tables = nullptr;       // owner of every map editor's model
  // A unit is connected (gear buttons, tests).
  std::function<bool()> connected;
  // The number of the current connection: every new connection has a new one, so a page
  // sees a reconnection it did not watch happen (it is ticked only while shown).
  std::function<uint32_t()> connection;
  // A Yes / No / Cancel question with the given text.
  std::function<PageAnswer(const std::string& text)> ask;
  // The New command without its question: defaults for every page, commit, no current file.
  std::function<void()> newDefaults;
  // True, after telling the user why, when nothing may act on the unit or replace the
  // settings now (a playback shows a recorded unit).
  std::function<bool()> refused;
  // A Test page button, by its control name, for the next monitor request.
  std::function<void(const std::string& button)> testRequest;
  // An existing file chosen by the user with a filter such as "*.bin"; "" when cancelled.
  std::function<std::string(const std::string& filter)> chooseFile;
  // Test mode (service controls shown).
  bool testMode = false;
};

}  // namespace zeda
