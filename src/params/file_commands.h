#pragma once
// The file commands of the main window at the level of the document: New, Open (also from
// the history and by dropping), Save and Quicksave version. The window shows the dialogs
// and questions and then calls these; they never show anything themselves, they report.
#include <functional>
#include <string>
#include <vector>

#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/param_image.h"
#include "params/settings.h"

namespace zeda {

struct FileDocument {
  ImageBuffers& buffers;
  AppSettings& settings;  // current file ("File"), dialog path, history, NEWINSTAL
  bool testMode = false;
  bool quickSaveAvailable = false;  // after the first Open or Save
  // Takes the active page's pending edit into params. Open calls it once the file has
  // been read, before the load; Save and Quicksave before they normalise and write.
  std::function<void()> commitActivePage = {};
};

// The text shown for a file that cannot be opened or created.
inline constexpr char kOpenFileError[] = "Open file error!";

struct OpenOutcome {
  enum Status { kOpenError, kNotAccepted, kLoaded } status = kOpenError;
  IgnMessage message = IgnMessage::None;  // to show after the load
  bool notParameterFile = false;          // not taken: no parameter file header at all
  bool newInstalCleared = false;          // settings must be saved
  // A cut file of the current format: the keywords it lacked (see IgnLoadResult).
  std::vector<std::string> missing;
  bool defaultsApplied = false;
};

// OpenFile(page, path) as used by Open, the history items and dropped files. A pending
// edit is committed through the document's hook between reading the file and loading it
// (not at all for a file that does not open); afterwards the caller refreshes the pages,
// and for Loaded records
// an undo step, runs the after-edit processing and updates title and history menu. A file
// that does not open is removed from the history.
OpenOutcome OpenFile(FileDocument& doc, const std::string& path, int page);

// The Open command after its dialog was confirmed: quick save becomes available, then
// OpenFile.
OpenOutcome OpenCommand(FileDocument& doc, const std::string& path, int page);

struct SaveOutcome {
  bool ok = false;
  std::string path;   // the file written
  std::string error;  // why it failed
};

// Save to path: commit the active page, normalise, write atomically, then
// fileImage = params, fileMatches, current file, dialogs, history, quick save available.
// A failed write changes none of these.
SaveOutcome SaveFile(FileDocument& doc, const std::string& path, const IgnIdentification& id);

struct QuicksaveOutcome {
  bool needsSaveDialog = false;  // no numbered name possible yet: run Save instead
  SaveOutcome save;
};

// Quicksave version: writes the next "_%03i" file beside the current one, never over an
// existing file (a name taken meanwhile gives the next number). The current file and
// fileMatches stay; the caller shows the new name in the title once.
QuicksaveOutcome QuicksaveVersion(FileDocument& doc, const IgnIdentification& id);

// New / New for actual page with the answer to "Do you want default setting?": anything
// but Yes changes nothing and returns false. Otherwise the defaults for the page selection
// are applied and normalised, the current file name is cleared and an empty entry heads
// the history; the caller refreshes the page and runs the after-edit processing.
bool NewDocument(FileDocument& doc, int page, NewAnswer answer);

}  // namespace zeda
