#pragma once
// Accessibility for a tab bar that keeps hidden tabs (a page this build does not offer):
// a screen reader meets only the tabs that are shown, as a sighted user does. Qt's own
// interface lists every tab, hidden or not.
//
// Mark the bar with MarkShownTabsOnly; InstallShownTabsAccessibility (once, after the
// application exists) makes the marked bars use it. User-interface thread only.
class QTabBar;

void InstallShownTabsAccessibility();
void MarkShownTabsOnly(QTabBar* bar);
