#pragma once
// One parameter page as the binder drives it: its binding table and the four operations
// (create, load, store, refresh), an optional tick, and the handlers of controls whose
// change has side effects. See page_binding.h for how to add a page.
//
// Thread contract: window thread only; every operation is called by the PageBinder.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "pages/page_binding.h"

namespace zeda {

class PageBinder;
class TTab;

// Controls of a page that hold no field: group boxes (with their captions), plain labels
// (captions computed by the page) and buttons (a click reaches Change like any control).
// Combo and Edit are plain controls whose content the page handles itself.
// The live monitor's controls on a page hold no field either; the monitor writes them:
//  - Value: a label on a row of its own; its caption is what a screen reader calls it
//    (the label's text is the reading);
//  - ValueBeside: the same, beside the Label just before it in its box (a caption on the
//    left, the reading on the right);
//  - Gauge: a bar without text, the caption its spoken name;
//  - Bar: a coloured strip under a gauge; strips that follow each other share a row;
//  - Scale: a number under a gauge, right-aligned in its share of a row it shares with
//    the scale numbers that follow it;
//  - Check: a check box of the monitor's own (not a parameter); the monitor reads it and
//    follows its clicks, the binder and the page never hear of it.
enum class ExtraKind : uint8_t {
  Group,
  Label,
  Button,
  Combo,
  Edit,
  Value,
  ValueBeside,
  Gauge,
  Bar,
  Scale,
  Check,
};
struct PageExtra {
  ExtraKind kind;
  const char* name;     // objectName
  const char* caption;  // LangString or English
  const char* group;    // objectName of the enclosing box, nullptr for the page
};

// A map editor shown on a page. The page owns the table model; the widget builder makes
// the editor for it and names it `name`, so the page's refresh can show or hide it by name.
struct PageTable {
  TTab* tab;
  const char* name;   // objectName of the editor
  const char* group;  // objectName of the enclosing box, nullptr for the page
};

class PageLogic {
 public:
  virtual ~PageLogic() = default;

  // The page's index in PageControl1 (also its parameter group).
  virtual int Index() const = 0;
  // The page's binding table, in store order.
  virtual std::span<const Binding> Rows() const = 0;

  // Group boxes, labels and buttons the page shows besides its bound controls, in the
  // order they are laid out.
  virtual std::span<const PageExtra> Extras() const { return {}; }
  // The page's map editors (valid after Create).
  virtual std::vector<PageTable> Tables() { return {}; }

  // Once at start-up: ranges, steps and fixed item lists of the table, then anything made
  // at run time. Runs under the load guard.
  virtual void Create(PageBinder& binder);
  // Image -> controls (the binder holds the load guard), then Refresh.
  virtual void Load(PageBinder& binder);
  // Controls -> image.
  virtual void Store(PageBinder& binder);
  // Visibility, enabling and captions that follow the image.
  virtual void Refresh(PageBinder& /*binder*/) {}
  // Every timer tick while the page is active.
  virtual void Tick(PageBinder& /*binder*/) {}
  // A change of `control` outside the load guard. Return true when the page handled it
  // (stored its field and committed through the binder); false lets the binder note it.
  virtual bool Change(PageBinder& /*binder*/, std::string_view /*control*/) { return false; }
};

}  // namespace zeda
