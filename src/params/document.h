#pragma once
// The parameter document: the image the user edits with the copies kept of it (the unit's,
// the file's), the changed-byte marks, the current file name and the undo ring.
//
// Every replacement of the image (New, Open and its variants, Read, a bike preset, a memory
// dump loaded on the Test page, the start and end of a playback) goes through Replace, which
// keeps one order:
//  1. every edit not yet committed (a typed value, an arrow click waiting for its delay, a
//     map editor's open cell or waiting increment) is committed into the image it was made
//     on, before anything is replaced;
//  2. the image is replaced (the caller's step, which may decline);
//  3. every view shows the new image (pages and map tables reloaded; what they held is gone);
//  4. the replacement is recorded (an undo step, the comparison with unit and file), except
//     for a playback, whose images are the recording's and not the user's.
// Undo and redo step through the ring; they commit pending edits first as well.
//
// The document knows nothing of widgets: the window's pages register as its views.
//
// Thread contract: window thread only.
#include <cstdint>
#include <functional>
#include <string>

#include "params/param_image.h"
#include "params/undo_ring.h"

namespace zeda {

// What replaced the image.
enum class DocumentChange : uint8_t {
  New,            // New, New for actual page
  Open,           // Open, a history item, a dropped file, a file named on the command line
  Read,           // read from the unit
  Preset,         // a bike preset answered "Yes": the defaults of every page and the preset
  LoadBin,        // a memory dump loaded on the Test page
  PlaybackStart,  // a recording's parameters shown instead of the user's
  PlaybackStop,   // the user's own document back after a playback
};

// Whether a replacement is recorded as an undo step of the user's document.
constexpr bool RecordsUndoStep(DocumentChange why) {
  return why != DocumentChange::PlaybackStart && why != DocumentChange::PlaybackStop;
}

// What the document needs from whoever shows it (the window's pages and map tables).
class DocumentViews {
 public:
  // Every edit not yet committed goes into the image now, as its own user's commit.
  virtual void CommitPendingEdits() = 0;
  // Every page and table shows the image again; edits the views still held are dropped.
  virtual void ShowReplacedImage(DocumentChange why) = 0;
  // Records the replacement: an undo step and the comparison with unit and file.
  virtual void RecordReplacement(DocumentChange why) = 0;

 protected:
  ~DocumentViews() = default;
};

class Document {
 public:
  Document() = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  ImageBuffers& Buffers() { return buffers_; }
  const ImageBuffers& Buffers() const { return buffers_; }
  ParamImage& Params() { return buffers_.params; }
  const ParamImage& Params() const { return buffers_.params; }
  UndoRing& Ring() { return ring_; }
  const UndoRing& Ring() const { return ring_; }

  // The views that show the document; nullptr detaches them (the document then has no
  // pending edits and nothing to reload).
  void SetViews(DocumentViews* views) { views_ = views; }
  DocumentViews* Views() const { return views_; }

  // Commits every pending edit into the image (before Program, Verify, Save, Print, Close,
  // a page or language switch, a compare, undo and redo, and any replacement). Calls made
  // while a commit runs (a commit that saves, say) do nothing more.
  void CommitPending();

  // The one replacement of the image (see the order above). `replace` changes the buffers
  // and returns whether it replaced anything; when it declines, nothing else happens.
  // Returns what `replace` returned.
  bool Replace(DocumentChange why, const std::function<bool(ImageBuffers&)>& replace);

  // Counts replacements, so that a view can tell an edit made on an image that is gone.
  uint32_t Generation() const { return generation_; }
  // A replacement is running (its views are being reloaded).
  bool Replacing() const { return replacing_ > 0; }

 private:
  ImageBuffers buffers_;
  UndoRing ring_;
  DocumentViews* views_ = nullptr;
  uint32_t generation_ = 0;
  int replacing_ = 0;
  bool committing_ = false;
};

}  // namespace zeda
