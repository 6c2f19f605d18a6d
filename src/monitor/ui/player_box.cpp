#include "monitor/ui/player_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "monitor/ui/strip_chart.h"

namespace {

struct ButtonRow {
  const char* name;
  const char* caption;
  const char* hint;
  QStyle::StandardPixmap icon;
};
constexpr ButtonRow kButtons[] = {
    {"SpeedButtonPlay1", "Record", "Start to record all events and monitor",
     QStyle::SP_DialogSaveButton},
    {"SpeedButtonPlay2", "Play", "Play stored events and monitor", QStyle::SP_MediaPlay},
    {"SpeedButtonPlay3", "Pause", "Pause Play or Record", QStyle::SP_MediaPause},
    {"SpeedButtonPlay4", "Stop", "Stop Play or Record", QStyle::SP_MediaStop},
};

}  // namespace

PlayerBox::PlayerBox(QWidget* parent) : QGroupBox(QStringLiteral("Monitor player"), parent) {
  setObjectName(QStringLiteral("GroupBoxPlayer"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(6, 4, 6, 4);
  auto* row = new QHBoxLayout;
  for (int i = 0; i < 4; ++i) {
    const ButtonRow& r = kButtons[i];
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(r.name));
    b->setText(QString::fromLatin1(r.caption));
    b->setIcon(style()->standardIcon(r.icon));
    // The window's hint rows give tooltip and status tip in the current language.
    b->setToolTip(QString::fromLatin1(r.hint));
    b->setStatusTip(QString::fromLatin1(r.hint));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const int button = i + 1;
    connect(b, &QToolButton::clicked, this, [this, button] {
      if (!guard_) Q_EMIT ButtonClicked(button);
    });
    buttons_[i] = b;
    row->addWidget(b);
  }
  export_ = new QToolButton(this);
  export_->setObjectName(QStringLiteral("ButtonExportRecordingCsv"));
  export_->setText(QStringLiteral("Export recording as CSV"));
  export_->setToolTip(QStringLiteral("Write the recording's monitor frames to a CSV file"));
  export_->setStatusTip(export_->toolTip());
  connect(export_, &QToolButton::clicked, this, [this] { Q_EMIT ExportClicked(); });
  row->addWidget(export_);
  LabelPlayPos = new QLabel(this);
  LabelPlayPos->setObjectName(QStringLiteral("LabelPlayPos"));
  LabelPlayDevice = new QLabel(this);
  LabelPlayDevice->setObjectName(QStringLiteral("LabelPlayDevice"));
  row->addWidget(LabelPlayPos, 1);
  row->addWidget(LabelPlayDevice);
  column->addLayout(row);
  ScrollBarPlay = new QScrollBar(Qt::Horizontal, this);
  ScrollBarPlay->setObjectName(QStringLiteral("ScrollBarPlay"));
  connect(ScrollBarPlay, &QScrollBar::valueChanged, this, [this](int value) {
    if (!guard_) Q_EMIT PositionMoved(value);
  });
  column->addWidget(ScrollBarPlay);
  chart_ = new StripChart(this);
  connect(chart_, &StripChart::PositionDragged, this, [this](int position) {
    if (!guard_) Q_EMIT PositionMoved(position);
  });
  column->addWidget(chart_);
  LabelPlayFile = new QLabel(this);
  LabelPlayFile->setObjectName(QStringLiteral("LabelPlayFile"));
  LabelPlayFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(LabelPlayFile);
  zeda::PlayerControls idle;
  idle.record = idle.play = true;
  Show(idle);
}

void PlayerBox::Show(const zeda::PlayerControls& c) {
  guard_ = true;
  const bool enabled[4] = {c.record, c.play, c.pause, c.stop};
  for (int i = 0; i < 4; ++i) buttons_[i]->setEnabled(enabled[i]);
  export_->setEnabled(c.barShown);
  ScrollBarPlay->setVisible(c.barShown);
  if (c.barShown) {
    ScrollBarPlay->setMaximum(std::max(c.barMaximum, 0));
    ScrollBarPlay->setValue(c.barPosition);
  }
  chart_->setVisible(c.barShown && file_ != nullptr);
  if (c.barShown && file_) chart_->SetCursorTime(zeda::TimeAtPosition(*file_, c.barPosition));
  LabelPlayPos->setVisible(c.posShown);
  LabelPlayPos->setText(QString::fromStdString(c.posText));
  LabelPlayFile->setVisible(c.fileShown);
  LabelPlayFile->setText(QString::fromStdString(c.fileText));
  LabelPlayDevice->setVisible(c.deviceShown);
  LabelPlayDevice->setText(QString());
  guard_ = false;
}

void PlayerBox::SetRecording(const zeda::IgnlogFile* file) {
  file_ = file;
  chart_->SetSeries(file ? zeda::BuildStripSeries(*file) : zeda::StripSeries{});
}
