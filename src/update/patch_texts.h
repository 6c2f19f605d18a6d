#pragma once
// The update window's texts and the checks on what the update list hands over: addresses
// that may be opened, and notice text in a known encoding. Pure functions; any thread.
#include <cstdint>
#include <string>
#include <string_view>

namespace zeda {

// Where the update list lives: the maker's web server unless the settings name another
// (application.ini, "UpdateServer"), and the fixed path on it.
inline constexpr const char* kPatchDefaultServer = "https://www.torvelix.com";
inline constexpr const char* kPatchListPath = "/old/patch.xml";
// The request as the server expects it.
inline constexpr const char* kPatchAccept =
    "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
inline constexpr const char* kPatchUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
inline constexpr int kPatchConnectTimeoutMs = 2000;
inline constexpr int64_t kPatchMaxBody = 10000000;
// The check starts once the tick clock has passed this.
inline constexpr int64_t kPatchStartAfterMs = 2000;

// The steps of the once-per-run check.
enum class PatchStep : int { Idle = 0, Requested = 1, Downloaded = 2, Evaluated = 3 };

// The update list's address for a server setting ("" = the maker's server); empty when
// the setting is not an http(s) address.
std::string PatchListAddress(std::string_view server);

// Status-bar panel 0 while the check runs (German has no text of its own: English shows).
inline constexpr const char* kPatchTrying = "###Trying updates...####Zjišťuji aktualizace...";
inline constexpr const char* kPatchDownloadingTitle = "###Downloading####Stahování";
inline constexpr const char* kPatchRunInstaller =
    "###After downloading run new installer.####Po stažení spusťte nový instalátor.";
inline constexpr const char* kPatchStoreNewVersion =
    "###After downloading store new version to suitable location instead of current "
    "version.####Po stažení novou verzi uložte do vhodné lokace namísto stávající verze.";

// The window's captions: Czech, or English for the other languages.
struct PatchCaptions {
  const char* window;
  const char* download;  // ButtonPatchDownload
  const char* web;       // ButtonPatchWWW
  const char* dismiss;   // ButtonPatchCancel1
  const char* later;     // ButtonPatchCancel
};
const PatchCaptions& PatchCaptionsFor(int language);

// The message after "Download update": an installer ("setup" in the address) or a program.
const char* PatchDownloadMessage(std::string_view downloadAddress);

// Only web addresses are ever handed to the desktop: http:// or https:// (any case) with a
// host, and no blanks or control characters anywhere.
bool IsOpenableWebAddress(std::string_view address);

// Notice text as UTF-8: text that already is valid UTF-8 stays, anything else is read as
// Windows-1250.
std::string PatchTextToUtf8(std::string_view text);

}  // namespace zeda
