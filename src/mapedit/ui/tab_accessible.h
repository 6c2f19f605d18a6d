#pragma once
// Accessibility of the table control: assistive technology sees the grid as a table whose
// cells carry their values as text and whose row and column headers carry the axis
// values, so a screen reader can read a map. Main thread only.
namespace zeda {

// Installs the accessibility factory for TTabWidget (once per run; later calls do nothing).
void InstallTabAccessibility();

}  // namespace zeda
