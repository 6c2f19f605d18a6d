#include "monitor/ui/monitor_strip.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "lang/lang_string.h"
#include "monitor/ui/monitor_view_applier.h"

namespace {

// A reading of the strip, named for a screen reader by what it shows (`spoken`, a
// LangString; the applier keeps it in the current language and tells the reading as the
// label's description).
QLabel* AddLabel(QWidget* parent, QGridLayout* grid, const char* name, const char* spoken, int row,
                 int column, int span = 1) {
  auto* l = new QLabel(QStringLiteral("---"), parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setProperty(kSpokenNameProperty, QByteArray(spoken));
  l->setAccessibleName(QString::fromUtf8(zeda::LangText(spoken)));
  l->setMargin(2);
  l->setMinimumWidth(110);
  // A new text must not lay the window out again on every answer.
  l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  grid->addWidget(l, row, column, 1, span);
  return l;
}

QProgressBar* AddGauge(QWidget* parent, QGridLayout* grid, const char* name, const char* spoken,
                       int row, int column) {
  auto* g = new QProgressBar(parent);
  g->setObjectName(QString::fromLatin1(name));
  // A bar without text: a screen reader needs to hear what it measures.
  g->setAccessibleName(QString::fromUtf8(spoken));
  g->setTextVisible(false);
  g->setMaximumHeight(12);
  g->setMaximum(100);
  grid->addWidget(g, row, column);
  return g;
}

}  // namespace

QWidget* CreateMonitorStrip(QWidget* parent) {
  auto* strip = new QWidget(parent);
  strip->setObjectName(QStringLiteral("PanelMonitor"));
  auto* grid = new QGridLayout(strip);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(1);
  AddLabel(strip, grid, "LabelRpm", "###Engine speed##Drehzahl##Otáčky", 0, 0);
  AddGauge(strip, grid, "CGaugeRpm", "Engine speed", 1, 0);
  AddLabel(strip, grid, "LabelTpsMon", "###Load##Last##Zatížení", 0, 1);
  AddGauge(strip, grid, "CGaugeTps", "Throttle or pressure", 1, 1);
  AddLabel(strip, grid, "LabelNapeti", "###Supply voltage##Versorgungsspannung##Napájecí napětí", 0,
           2);
  AddLabel(strip, grid, "LabelMonLimiterOut", "###Limiter##Begrenzer##Omezovač", 1, 2);
  AddLabel(strip, grid, "LabelAdvance1", "###Advance 1##Vorzündung 1##Předstih 1", 0, 3);
  AddLabel(strip, grid, "LabelAdvance2", "###Advance 2##Vorzündung 2##Předstih 2", 1, 3);
  AddLabel(strip, grid, "LabelAdvance3", "###Advance 3##Vorzündung 3##Předstih 3", 0, 4);
  AddLabel(strip, grid, "LabelAdvance4", "###Advance 4##Vorzündung 4##Předstih 4", 1, 4);
  AddLabel(strip, grid, "LabelMonSnimac1", "###Pick-up 1##Geber 1##Snímač 1", 2, 0, 2);
  AddLabel(strip, grid, "LabelMonSnimac2", "###Pick-up 2##Geber 2##Snímač 2", 2, 2, 2);
  // Equal columns: the strip always fits the window's width instead of running past its edge.
  for (int column = 0; column < 5; ++column) grid->setColumnStretch(column, 1);
  // The unit's programming count, with the programmed-data alarm below it while the unit
  // reports one.
  auto* unit = new QWidget(strip);
  auto* unitColumn = new QGridLayout(unit);
  unitColumn->setContentsMargins(0, 0, 0, 0);
  unitColumn->setVerticalSpacing(1);
  AddLabel(unit, unitColumn, "LabelPocetProgramovani",
           "###Number of programming##Anzahl der Programmierungen##Počet programování", 0, 0);
  QLabel* error = AddLabel(
      unit, unitColumn, "LabelEeDataErr",
      "###Programmed data error##Fehler der programmierten Daten##Chyba naprogramovaných dat", 1,
      0);
  error->setText(QStringLiteral("Programmed data error"));
  error->hide();
  grid->addWidget(unit, 2, 4);
  return strip;
}
