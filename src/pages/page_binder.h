#pragma once
// The page binder: the state the main window keeps for its parameter pages and the rules
// that drive them.
//
//  - the pending-edit rule: a change is committed at once, except an up-down arrow click,
//    which is committed 5 ticks (275 ms) after the last click on the same control; a
//    change of another control commits both together;
//  - the commit: store the active page and the common controls, normalise, reload the
//    active page, take an undo snapshot, and, when bytes changed and automatic
//    programming is on, ask for programming;
//  - `loadGuard`: while the program itself writes controls, change handlers do nothing;
//  - the undo ring with the page index, undo/redo switching back to the page of the change.
//
// The toolkit side (pages/ui/) feeds it the control changes and the 55 ms tick, and
// receives through BinderHooks what only it can do (switch the tab, program, compare).
//
// Thread contract: window thread only.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "pages/page_binding.h"
#include "pages/page_controls.h"
#include "pages/page_logic.h"
#include "params/document.h"
#include "params/param_image.h"
#include "params/undo_ring.h"

namespace zeda {

// Why a control changed.
enum class ChangeKind : int {
  Immediate = 0,   // an edit left, Enter, a check box, radio or combo: commit now
  ArrowClick = 1,  // an up-down arrow: commit when the clicks stop
};
inline constexpr int kArrowCommitTicks = 5;
inline constexpr int kMaxPages = 10;

// Controls outside the pages, loaded and stored with every page.
inline constexpr Binding kCommonRows[] = {
    Check("CheckBoxZakazCteni", "Read-out lock", FieldId::NO_READING),
};

struct BinderHooks {
  std::function<void(int page)> showPage;      // bring page `page` to the front (tab widget)
  std::function<bool()> autoProgram;           // "Programming after change" is ticked
  std::function<void()> program;               // program the changed bytes
  std::function<void()> compare;               // compare params with the unit and the file
  std::function<void()> undoStateChanged;      // enable the undo / redo controls
  std::function<void()> snapshotTaken;         // a new undo step (settings save, recorder)
  std::function<void()> commonRefresh;         // colours, presence, monitor texts
  std::function<void()> allPagesLoaded;        // maps redraw (`mapsDirty`)
  std::function<void()> focusAfterChange;      // focus to `CheckBoxProgHned`
  std::function<void(ParamImage&)> normalize;  // default: NormalizeParams
  // Edits the controls do not report until confirmed (a typed value without Enter, a map
  // editor's open cell or waiting increment): committed now.
  std::function<void()> commitUnconfirmed;
  // The image was replaced and every page reloaded: what the widgets held is gone.
  std::function<void()> imageReplaced;
};

// The binder is the document's view: it commits the pending edits before a replacement and
// shows and records the replaced image.
class PageBinder final : public DocumentViews {
 public:
  // The binder edits `document`'s image and keeps its undo ring.
  PageBinder(Document& document, PageControls& controls);
  ~PageBinder();
  PageBinder(const PageBinder&) = delete;
  PageBinder& operator=(const PageBinder&) = delete;

  // DocumentViews
  void CommitPendingEdits() override;
  void ShowReplacedImage(DocumentChange why) override;
  void RecordReplacement(DocumentChange why) override;

  void SetHooks(BinderHooks hooks) { hooks_ = std::move(hooks); }
  // Registers a page under its Index(); pages without logic (N2O) stay empty.
  void AddPage(PageLogic& page);
  PageLogic* Page(int index) const;
  // Runs every page's Create once, in registration order.
  void CreatePages();

  Document& Doc() { return document_; }
  ImageBuffers& Buffers() { return buffers_; }
  ParamImage& Params() { return buffers_.params; }
  PageControls& Controls() { return controls_; }

  // ---- binding state ----
  int ActivePage() const { return activePage_; }
  bool LoadGuard() const { return loadGuard_ > 0; }
  const std::string& PendingControl() const { return pendingControl_; }
  ChangeKind PendingKind() const { return pendingKind_; }
  uint32_t PendingDeadline() const { return pendingDeadline_; }
  uint32_t TickCount() const { return tickCount_; }
  int Commits() const { return commits_; }

  // Holds the load guard for its lifetime (nests).
  class Guard {
   public:
    explicit Guard(PageBinder& b) : b_(b) { ++b_.loadGuard_; }
    ~Guard() { --b_.loadGuard_; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    PageBinder& b_;
  };

  // ---- change handlers ----
  // A control changed (any handler of the page's controls): nothing under the load guard;
  // the active page's own handler when it has one; otherwise the change is noted.
  void ControlChanged(std::string_view control, ChangeKind kind);
  // FormComboChange: like ControlChanged, then the focus leaves the combo so that the
  // mouse wheel cannot change the choice by accident. A page that handles the combo itself
  // moves the focus when its change is done.
  void ComboChanged(std::string_view control);
  // Moves the focus to `CheckBoxProgHned` (after a combo change).
  void FocusAfterChange();
  // The pending-edit rule itself.
  void NoteChange(std::string_view control, ChangeKind kind);
  // The 55 ms tick: advances tickCount, commits a due arrow click, runs the page tick.
  void Tick();
  // Commits the pending control edit now. Everything else that commits what the user has
  // not yet confirmed (typed text, map editors) goes through Document::CommitPending, whose
  // views call this.
  void CommitPending();
  // Forgets the pending control edit: the controls were reloaded from a new image.
  void DropPending();
  // Store, normalise, reload, snapshot, programming. Pages' handlers call it after storing.
  void Commit();

  // ---- pages ----
  void StoreActivePage();
  void LoadActivePage();
  // Every page from the image. A pending edit is dropped, not committed: whoever replaced
  // the image committed it first (Document::Replace).
  void LoadAllPages();
  void RefreshActivePage();
  // PageControl1Change: the pending edit first, then the new page is loaded.
  void ChangePage(int index);

  // ---- undo ----
  // Ring start: snapshot 0 = params, changedMask cleared.
  void StartRing();
  // One undo step when params differ from the current snapshot; false when nothing changed.
  bool Snapshot();
  // The after-edit processing of a replacement the user asked for (New, Open, a preset, a
  // loaded dump): an undo step and, when bytes changed and automatic programming is on,
  // programming.
  void RecordEdit();
  void Undo();
  void Redo();
  const UndoRing& Ring() const { return ring_; }
  // Puts back a ring kept aside (a playback ends and gives the user's history back).
  void SetRing(const UndoRing& ring);

 private:
  void Restore(int pageAfter);
  void ProgramIfChanged(bool changed);
  void LoadPage(int index);
  void CommonRefresh();

  Document& document_;
  ImageBuffers& buffers_;
  PageControls& controls_;
  BinderHooks hooks_;
  std::array<PageLogic*, kMaxPages> pages_{};
  std::array<int, kMaxPages> createOrder_{};
  int pageCount_ = 0;
  UndoRing& ring_;

  int activePage_ = 0;
  int loadGuard_ = 0;
  std::string pendingControl_;
  ChangeKind pendingKind_ = ChangeKind::Immediate;
  uint32_t pendingDeadline_ = 0;
  uint32_t tickCount_ = 0;
  int commits_ = 0;
};

}  // namespace zeda
