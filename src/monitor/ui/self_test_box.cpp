#include "monitor/ui/self_test_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "monitor/ui/monitor_view_applier.h"

namespace {
constexpr int kMemoLines = 7;  // the six result lines and a spare
}

SelfTestBox::SelfTestBox(QWidget* parent) : QGroupBox(QStringLiteral("Selftest"), parent) {
  setObjectName(QStringLiteral("GroupBoxSelftest"));
  auto* column = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  column->addLayout(row);
  ButtonSelftest = new QPushButton(QStringLiteral("Selftest"), this);
  ButtonSelftest->setObjectName(QStringLiteral("ButtonSelftest"));
  row->addWidget(ButtonSelftest);
  LabelSelftest = new QLabel(this);
  LabelSelftest->setObjectName(QStringLiteral("LabelSelftest"));
  LabelSelftest->setTextFormat(Qt::PlainText);
  LabelSelftest->setMinimumWidth(160);
  row->addWidget(LabelSelftest, 1);
  MemoSelftest = new QPlainTextEdit(this);
  MemoSelftest->setObjectName(QStringLiteral("MemoSelftest"));
  MemoSelftest->setReadOnly(true);
  MemoSelftest->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoSelftest->setFixedHeight(MemoSelftest->fontMetrics().lineSpacing() * kMemoLines);
  column->addWidget(MemoSelftest);
}

void SelfTestBox::Show(const zeda::SelfTest& test) {
  std::string text = test.LabelText();
  if (text != shownText_) {
    LabelSelftest->setText(QString::fromStdString(text));
    shownText_ = std::move(text);
  }
  const zeda::Colour colour = test.LabelColour();
  if (colour != shownColour_) {
    QPalette pal = LabelSelftest->palette();
    pal.setColor(QPalette::Window, MonitorQColor(colour, pal));
    LabelSelftest->setAutoFillBackground(colour != zeda::kMonPlain);
    LabelSelftest->setPalette(pal);
    shownColour_ = colour;
  }
  if (test.Memo() != shownMemo_) {
    shownMemo_ = test.Memo();
    QStringList lines;
    for (const std::string& l : shownMemo_) lines << QString::fromStdString(l);
    MemoSelftest->setPlainText(lines.join(QLatin1Char('\n')));
  }
}
