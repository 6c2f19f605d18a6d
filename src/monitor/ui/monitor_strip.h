#pragma once
// The monitor strip of the main window: the values a tuner watches on every page (engine
// speed, load, supply voltage, advance, pick-ups, limiter, the unit's programming count)
// with their gauges. Each control has the objectName MonitorViewApplier fills; the pages
// add their own labels.
class QWidget;

QWidget* CreateMonitorStrip(QWidget* parent);
