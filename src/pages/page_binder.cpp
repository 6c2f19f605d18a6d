// The page binder (see page_binder.h).
#include "pages/page_binder.h"

#include "params/normalize.h"

namespace zeda {

PageBinder::PageBinder(Document& document, PageControls& controls)
    : document_(document),
      buffers_(document.Buffers()),
      controls_(controls),
      ring_(document.Ring()) {
  document_.SetViews(this);
}

PageBinder::~PageBinder() {
  if (document_.Views() == this) document_.SetViews(nullptr);
}

void PageBinder::CommitPendingEdits() {
  // Typed values and map edits first: each commits through its control or page.
  if (hooks_.commitUnconfirmed) hooks_.commitUnconfirmed();
  CommitPending();
}

void PageBinder::ShowReplacedImage(DocumentChange /*why*/) {
  LoadAllPages();
  if (hooks_.imageReplaced) hooks_.imageReplaced();
}

void PageBinder::RecordReplacement(DocumentChange why) {
  switch (why) {
    case DocumentChange::Read:
      Snapshot();  // what the unit holds is not programmed back
      break;
    case DocumentChange::New:
    case DocumentChange::Open:
    case DocumentChange::Preset:
    case DocumentChange::LoadBin:
      RecordEdit();
      break;
    case DocumentChange::PlaybackStart:
    case DocumentChange::PlaybackStop:
      break;  // the recording's sets are not the user's steps
  }
  if (hooks_.compare) hooks_.compare();
}

void PageBinder::AddPage(PageLogic& page) {
  const int index = page.Index();
  if (index < 0 || index >= kMaxPages) return;
  if (pages_[static_cast<std::size_t>(index)] == nullptr && pageCount_ < kMaxPages)
    createOrder_[static_cast<std::size_t>(pageCount_++)] = index;
  pages_[static_cast<std::size_t>(index)] = &page;
}

PageLogic* PageBinder::Page(int index) const {
  return index >= 0 && index < kMaxPages ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

void PageBinder::CreatePages() {
  Guard guard(*this);
  SetUpRows(kCommonRows, controls_);
  for (int i = 0; i < pageCount_; ++i)
    pages_[static_cast<std::size_t>(createOrder_[static_cast<std::size_t>(i)])]->Create(*this);
}

// ---- change handlers ----

void PageBinder::ControlChanged(std::string_view control, ChangeKind kind) {
  if (LoadGuard()) return;
  if (PageLogic* page = Page(activePage_); page != nullptr && page->Change(*this, control)) return;
  NoteChange(control, kind);
}

void PageBinder::ComboChanged(std::string_view control) {
  if (LoadGuard()) return;
  if (PageLogic* page = Page(activePage_); page != nullptr && page->Change(*this, control)) return;
  NoteChange(control, ChangeKind::Immediate);
  FocusAfterChange();
}

void PageBinder::FocusAfterChange() {
  if (hooks_.focusAfterChange) hooks_.focusAfterChange();
}

void PageBinder::NoteChange(std::string_view control, ChangeKind kind) {
  // Another control pending: both go in together.
  if (!pendingControl_.empty() && pendingControl_ != control) kind = ChangeKind::Immediate;
  pendingControl_ = std::string(control);
  if (pendingKind_ != ChangeKind::Immediate && pendingKind_ != kind)
    kind = ChangeKind::Immediate;
  else
    pendingDeadline_ = tickCount_ + kArrowCommitTicks;
  pendingKind_ = kind;
  if (kind == ChangeKind::Immediate) {
    pendingControl_.clear();
    pendingKind_ = ChangeKind::Immediate;
    Commit();
  }
}

void PageBinder::Tick() {
  ++tickCount_;
  // Compared as a difference so that the counter may wrap.
  if (!pendingControl_.empty() && static_cast<int32_t>(tickCount_ - pendingDeadline_) >= 0)
    NoteChange(std::string(pendingControl_), ChangeKind::Immediate);
  if (PageLogic* page = Page(activePage_)) page->Tick(*this);
}

void PageBinder::CommitPending() {
  if (!pendingControl_.empty()) NoteChange(std::string(pendingControl_), ChangeKind::Immediate);
}

void PageBinder::DropPending() {
  pendingControl_.clear();
  pendingKind_ = ChangeKind::Immediate;
}

void PageBinder::Commit() {
  ++commits_;
  StoreActivePage();
  if (hooks_.normalize)
    hooks_.normalize(buffers_.params);
  else
    NormalizeParams(buffers_.params);
  LoadActivePage();
  ProgramIfChanged(Snapshot());
  if (hooks_.compare) hooks_.compare();
}

void PageBinder::ProgramIfChanged(bool changed) {
  if (changed && hooks_.autoProgram && hooks_.autoProgram() && hooks_.program) hooks_.program();
}

// ---- pages ----

void PageBinder::StoreActivePage() {
  if (PageLogic* page = Page(activePage_)) page->Store(*this);
  StoreRows(kCommonRows, controls_, buffers_.params);
}

void PageBinder::CommonRefresh() {
  // The input presence flags decide what several pages show.
  UpdatePresence(buffers_.params, buffers_.presence);
  if (hooks_.commonRefresh) hooks_.commonRefresh();
}

void PageBinder::LoadPage(int index) {
  if (PageLogic* page = Page(index)) page->Load(*this);
}

void PageBinder::LoadActivePage() {
  Guard guard(*this);
  LoadRows(kCommonRows, buffers_.params, controls_);
  CommonRefresh();
  LoadPage(activePage_);
  CommonRefresh();
}

void PageBinder::LoadAllPages() {
  // What the controls held is replaced; committing it now would write it over the image.
  DropPending();
  Guard guard(*this);
  LoadRows(kCommonRows, buffers_.params, controls_);
  CommonRefresh();
  for (int i = 0; i < kMaxPages; ++i) LoadPage(i);
  CommonRefresh();
  if (hooks_.allPagesLoaded) hooks_.allPagesLoaded();
}

void PageBinder::RefreshActivePage() {
  Guard guard(*this);
  if (PageLogic* page = Page(activePage_)) page->Refresh(*this);
}

void PageBinder::ChangePage(int index) {
  if (index < 0 || index >= kMaxPages) return;
  // Stores the page the edit was made on, which is still the active one.
  document_.CommitPending();
  CommitPending();
  activePage_ = index;
  LoadActivePage();
}

// ---- undo ----

void PageBinder::StartRing() {
  ring_.Start(buffers_.params, activePage_);
  buffers_.changedMask.fill(false);
  if (hooks_.snapshotTaken) hooks_.snapshotTaken();
  if (hooks_.undoStateChanged) hooks_.undoStateChanged();
}

bool PageBinder::Snapshot() {
  const bool changed = ring_.Record(buffers_.params, activePage_, buffers_.changedMask);
  if (changed) {
    if (hooks_.snapshotTaken) hooks_.snapshotTaken();
    if (hooks_.undoStateChanged) hooks_.undoStateChanged();
  }
  return changed;
}

void PageBinder::RecordEdit() { ProgramIfChanged(Snapshot()); }

void PageBinder::SetRing(const UndoRing& ring) {
  ring_ = ring;
  if (hooks_.undoStateChanged) hooks_.undoStateChanged();
}

void PageBinder::Undo() {
  document_.CommitPending();
  CommitPending();
  if (!ring_.CanUndo()) return;
  const int left = ring_.Current();
  ring_.StepBack();
  Restore(ring_.PageOf(left));  // back to the page the undone change was made on
}

void PageBinder::Redo() {
  document_.CommitPending();
  CommitPending();
  if (!ring_.CanRedo()) return;
  ring_.StepForward();
  Restore(ring_.PageOf(ring_.Current()));
}

void PageBinder::Restore(int pageAfter) {
  const bool changed = ring_.CopyInto(ring_.Current(), buffers_.params, buffers_.changedMask);
  if (pageAfter != activePage_ && Page(pageAfter) != nullptr) {
    activePage_ = pageAfter;
    if (hooks_.showPage) {
      Guard guard(*this);  // the tab's own change signal must not commit anything
      hooks_.showPage(pageAfter);
    }
  }
  LoadActivePage();
  if (hooks_.undoStateChanged) hooks_.undoStateChanged();
  ProgramIfChanged(changed);
  if (hooks_.compare) hooks_.compare();
}

}  // namespace zeda
