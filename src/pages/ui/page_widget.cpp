// The page builder (see page_widget.h).
#include "pages/ui/page_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "lang/lang_string.h"
#include "lang/ui/page_captions.h"
#include "mapedit/ui/tab_widget.h"
#include "monitor/ui/monitor_view_applier.h"
#include "pages/page_binder.h"
#include "pages/page_logic.h"
#include "pages/ui/widget_controls.h"

namespace zeda {

namespace {

// Columns of group boxes: three on a wide tab, two otherwise.
inline constexpr int kWideTabPx = 1100;
inline constexpr int kWideColumns = 3;
inline constexpr int kNarrowColumns = 2;

QString Caption(const char* text) { return QString::fromUtf8(text ? LangText(text) : ""); }
QString Name(const char* name) { return QString::fromUtf8(name ? name : ""); }

// The page's boxes in the column grid, in their order. A hidden box leaves no hole: the
// boxes after it move up (the Gear page shows one of three boxes by its mode).
class GridFlow : public QObject {
 public:
  GridFlow(QGridLayout* grid, int columns, QObject* parent)
      : QObject(parent), grid_(grid), columns_(columns) {}

  void Add(QWidget* box) {
    boxes_.push_back(box);
    box->installEventFilter(this);
    Place();
  }

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) Place();
    return false;
  }

 private:
  void Place() {
    for (QWidget* box : boxes_) grid_->removeWidget(box);
    int shown = 0;
    for (QWidget* box : boxes_) {
      if (box->isHidden()) continue;
      grid_->addWidget(box, shown / columns_, shown % columns_, Qt::AlignTop);
      ++shown;
    }
  }

  QGridLayout* grid_;
  int columns_;
  std::vector<QWidget*> boxes_;
};

// Marks the row widget that holds a run of buttons.
constexpr char kButtonRowProperty[] = "zedaButtonRow";
// Marks a row widget of monitor strips or scale numbers: the ExtraKind + 1.
constexpr char kExtraRowProperty[] = "zedaExtraRow";
// A gauge on a page is as high as those of the monitor strip; a strip under it thinner.
constexpr int kGaugeHeightPx = 12;
constexpr int kBarHeightPx = 4;
constexpr int kGaugeMaxWidthPx = 320;

// Where the controls of one box (or the page itself) go.
struct Box {
  QWidget* widget = nullptr;
  QFormLayout* form = nullptr;
  // The page itself: boxes (radio groups too) flow into the column grid.
  std::function<void(QWidget*)> toGrid;
};

void Send(PageBinder& binder, const QString& name, ChangeKind kind) {
  binder.ControlChanged(name.toStdString(), kind);
}

// Lets the wheel reach a combo box only while the box has the focus; otherwise the event
// goes on to the page, which scrolls.
class WheelNeedsFocus final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return false;
    const auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr || w->hasFocus()) return false;
    event->ignore();
    return true;
  }
};

QComboBox* NewCombo(QWidget* parent) {
  auto* c = new QComboBox(parent);
  c->setFocusPolicy(Qt::StrongFocus);  // not by the wheel
  c->installEventFilter(new WheelNeedsFocus(c));
  return c;
}

QWidget* MakeSpin(const Binding& row, QWidget* parent, PageBinder& binder) {
  auto* s = new PageSpinBox(parent);
  s->setKeyboardTracking(false);
  s->setAccelerated(true);
  s->setFocusPolicy(Qt::StrongFocus);  // not by the wheel
  const QString name = Name(row.control);
  // What the box shows is the user's value from the first act on it on: a value kept
  // because the box could not show it is given up.
  auto userAct = [&binder, key = name.toStdString()] {
    if (!binder.LoadGuard()) binder.Controls().ClearOutOfRange(key);
  };
  s->onStep = [&binder, name, userAct] {
    userAct();
    Send(binder, name, ChangeKind::ArrowClick);
  };
  QObject::connect(s, &QSpinBox::editingFinished, s, [&binder, s, name, userAct] {
    // editingFinished also comes when the focus leaves without a typed change.
    if (s->Typed()) {
      s->SetTyped(false);
      userAct();
      Send(binder, name, ChangeKind::Immediate);
    }
  });
  QObject::connect(s->findChild<QLineEdit*>(), &QLineEdit::textEdited, s, [s, userAct] {
    s->SetTyped(true);
    userAct();
  });
  // A value set from outside (an assistive tool's value interface) counts like an arrow
  // step. Steps and typed values are told above; the program writes under the load guard.
  QObject::connect(s, &QSpinBox::valueChanged, s, [&binder, s, name, userAct] {
    if (binder.LoadGuard() || s->Stepping() || s->Typed()) return;
    userAct();
    Send(binder, name, ChangeKind::ArrowClick);
  });
  return s;
}

QWidget* MakeCombo(const Binding& row, QWidget* parent, PageBinder& binder) {
  QComboBox* c = NewCombo(parent);
  const QString name = Name(row.control);
  QObject::connect(c, &QComboBox::activated, c,
                   [&binder, name] { binder.ComboChanged(name.toStdString()); });
  return c;
}

QWidget* MakeRadioGroup(const Binding& row, QWidget* parent) {
  auto* g = new QGroupBox(Caption(row.caption), parent);
  KeepSourceText(g, row.caption);
  new QVBoxLayout(g);  // WidgetControls fills it with the items
  return g;
}

QWidget* MakeRadioRow(const Binding& row, QWidget* parent, PageBinder& binder) {
  auto* w = new QWidget(parent);
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  for (int b = 0; b < row.buttons; ++b) {
    const QString text = b < static_cast<int>(row.items.size())
                             ? Caption(row.items[static_cast<size_t>(b)].text)
                             : QString::number(b);
    auto* r = new QRadioButton(text, w);
    if (b < static_cast<int>(row.items.size())) KeepSourceText(r, row.items[size_t(b)].text);
    r->setObjectName(Name(row.control) + QString::number(b));
    r->setAccessibleName(Caption(row.caption) + QLatin1Char(' ') + text);
    h->addWidget(r);
    // Only a button that becomes checked: a click on the checked one changes nothing.
    QObject::connect(r, &QRadioButton::toggled, r, [&binder, r](bool on) {
      if (on) Send(binder, r->objectName(), ChangeKind::Immediate);
    });
  }
  h->addStretch(1);
  return w;
}

void AddRow(const Binding& row, Box& box, PageBinder& binder) {
  QWidget* control = nullptr;
  bool ownCaption = false;
  switch (row.kind) {
    case BindKind::UpDown:
      control = MakeSpin(row, box.widget, binder);
      break;
    case BindKind::CheckBox:
    case BindKind::CheckBit: {
      auto* c = new QCheckBox(Caption(row.caption), box.widget);
      KeepSourceText(c, row.caption);
      const QString name = Name(row.control);
      // toggled, not clicked: an assistive tool's toggle action raises no click.
      QObject::connect(c, &QCheckBox::toggled, c,
                       [&binder, name] { Send(binder, name, ChangeKind::Immediate); });
      control = c;
      ownCaption = true;
      break;
    }
    case BindKind::RadioIndex:
    case BindKind::RadioCode:
      control = MakeRadioGroup(row, box.widget);
      ownCaption = true;
      break;
    case BindKind::ComboCode:
      control = MakeCombo(row, box.widget, binder);
      break;
    case BindKind::RadioRow:
      control = MakeRadioRow(row, box.widget, binder);
      break;
  }
  if (row.kind != BindKind::RadioRow) control->setObjectName(Name(row.control));
  if (row.caption) control->setAccessibleName(Caption(row.caption));
  if (ownCaption) {
    const bool isBox = row.kind == BindKind::RadioIndex || row.kind == BindKind::RadioCode;
    if (isBox && box.toGrid)
      box.toGrid(control);
    else
      box.form->addRow(control);
    return;
  }
  auto* label = new QLabel(Caption(row.caption), box.widget);
  KeepSourceText(label, row.caption);
  if (row.label) label->setObjectName(Name(row.label));
  label->setBuddy(control);
  box.form->addRow(label, control);
}

// The last row of `box` when it is a row widget made for `kind` (strips and scale numbers
// that follow each other share one row).
QWidget* LastRowOf(Box& box, ExtraKind kind) {
  const int rows = box.form->rowCount();
  if (rows == 0) return nullptr;
  QLayoutItem* last = box.form->itemAt(rows - 1, QFormLayout::SpanningRole);
  QWidget* w = last ? last->widget() : nullptr;
  if (!w || w->property(kExtraRowProperty).toInt() != static_cast<int>(kind) + 1) return nullptr;
  return w;
}

QHBoxLayout* RowFor(Box& box, ExtraKind kind) {
  if (QWidget* row = LastRowOf(box, kind)) return static_cast<QHBoxLayout*>(row->layout());
  auto* row = new QWidget(box.widget);
  row->setProperty(kExtraRowProperty, static_cast<int>(kind) + 1);
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(0, 0, 0, 0);
  h->setSpacing(0);
  // Strips and scale numbers belong under a gauge: no wider than one.
  row->setMaximumWidth(kGaugeMaxWidthPx);
  box.form->addRow(row);
  return h;
}

// A label the live monitor writes: "---" until the first refresh, plain text, named for a
// screen reader by what it shows (the monitor keeps that name in the current language).
QLabel* NewMonitorLabel(const PageExtra& extra, QWidget* parent) {
  auto* l = new QLabel(QStringLiteral("---"), parent);
  l->setObjectName(Name(extra.name));
  l->setTextFormat(Qt::PlainText);
  // Readings change with every answer: a fixed size keeps that from laying out the page.
  l->setFixedHeight(l->sizeHint().height());
  l->setProperty(kGrowOnlyProperty, true);
  if (extra.caption) {
    l->setProperty(kSpokenNameProperty, QByteArray(extra.caption));
    l->setAccessibleName(Caption(extra.caption));
  }
  return l;
}

// The live monitor's controls on a page (see ExtraKind).
void AddMonitorExtra(const PageExtra& extra, Box& box) {
  switch (extra.kind) {
    case ExtraKind::Value:
      box.form->addRow(NewMonitorLabel(extra, box.widget));
      return;
    case ExtraKind::ValueBeside: {
      QLabel* value = NewMonitorLabel(extra, box.widget);
      const int rows = box.form->rowCount();
      QLayoutItem* last =
          rows > 0 ? box.form->itemAt(rows - 1, QFormLayout::SpanningRole) : nullptr;
      auto* caption = last ? qobject_cast<QLabel*>(last->widget()) : nullptr;
      if (!caption) {
        box.form->addRow(value);
        return;
      }
      // The caption moves into the label column of its own row, the reading beside it.
      QFormLayout::TakeRowResult taken = box.form->takeRow(rows - 1);
      delete taken.fieldItem;
      caption->setWordWrap(false);
      box.form->insertRow(rows - 1, caption, value);
      return;
    }
    case ExtraKind::Gauge: {
      auto* g = new QProgressBar(box.widget);
      g->setObjectName(Name(extra.name));
      g->setAccessibleName(Caption(extra.caption));
      g->setProperty(kSpokenNameProperty, QByteArray(extra.caption));
      g->setTextVisible(false);
      g->setMaximumHeight(kGaugeHeightPx);
      // A bar redrawn with every answer: no wider than it needs to be read.
      g->setMaximumWidth(kGaugeMaxWidthPx);
      g->setMaximum(100);
      box.form->addRow(g);
      return;
    }
    case ExtraKind::Bar: {
      QHBoxLayout* row = RowFor(box, extra.kind);
      QLabel* bar = NewMonitorLabel(extra, row->parentWidget());
      bar->setText(QString());
      bar->setFixedHeight(kBarHeightPx);
      bar->setAutoFillBackground(true);
      // Before the closing stretch the first strip makes.
      if (row->count() == 0) row->addStretch(1);
      row->insertWidget(row->count() - 1, bar);
      return;
    }
    case ExtraKind::Scale: {
      QHBoxLayout* row = RowFor(box, extra.kind);
      QLabel* number = NewMonitorLabel(extra, row->parentWidget());
      // Its share of the row, not its text, decides its width; it changes only with the
      // threshold setting.
      number->setProperty(kGrowOnlyProperty, false);
      number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      row->addWidget(number, 1);
      return;
    }
    case ExtraKind::Check: {
      auto* c = new QCheckBox(Caption(extra.caption), box.widget);
      KeepSourceText(c, extra.caption);
      c->setObjectName(Name(extra.name));
      // Not a parameter: the monitor reads the box and follows its clicks, the binder
      // never hears of it (a change would commit whatever page is active).
      // Beside the reading it changes, when there is one just before it.
      const int rows = box.form->rowCount();
      QLayoutItem* last =
          rows > 0 ? box.form->itemAt(rows - 1, QFormLayout::SpanningRole) : nullptr;
      auto* reading = last ? qobject_cast<QLabel*>(last->widget()) : nullptr;
      if (reading && reading->property(kSpokenNameProperty).isValid()) {
        QFormLayout::TakeRowResult taken = box.form->takeRow(rows - 1);
        delete taken.fieldItem;
        box.form->insertRow(rows - 1, reading, c);
        return;
      }
      box.form->addRow(c);
      return;
    }
    default:
      return;
  }
}

bool IsMonitorExtra(ExtraKind kind) {
  switch (kind) {
    case ExtraKind::Value:
    case ExtraKind::ValueBeside:
    case ExtraKind::Gauge:
    case ExtraKind::Bar:
    case ExtraKind::Scale:
    case ExtraKind::Check:
      return true;
    default:
      return false;
  }
}

void AddExtra(const PageExtra& extra, Box& box, PageBinder& binder) {
  if (IsMonitorExtra(extra.kind)) {
    AddMonitorExtra(extra, box);
    return;
  }
  if (extra.kind == ExtraKind::Label) {
    auto* l = new QLabel(Caption(extra.caption), box.widget);
    KeepSourceText(l, extra.caption);
    l->setObjectName(Name(extra.name));
    l->setWordWrap(true);
    box.form->addRow(l);
    return;
  }
  if (extra.kind == ExtraKind::Combo) {
    QComboBox* c = NewCombo(box.widget);
    c->setObjectName(Name(extra.name));
    c->setAccessibleName(Caption(extra.caption));
    const QString name = Name(extra.name);
    QObject::connect(c, &QComboBox::activated, c,
                     [&binder, name] { Send(binder, name, ChangeKind::Immediate); });
    box.form->addRow(c);
    return;
  }
  if (extra.kind == ExtraKind::Edit) {
    auto* e = new QLineEdit(box.widget);
    e->setObjectName(Name(extra.name));
    e->setAccessibleName(Caption(extra.caption));
    box.form->addRow(e);
    return;
  }
  // Buttons that follow each other in a box share one row, in their order (the gear
  // buttons: a row of seven, not seven rows across the page).
  QWidget* row = nullptr;
  if (const int rows = box.form->rowCount(); rows > 0) {
    QLayoutItem* last = box.form->itemAt(rows - 1, QFormLayout::SpanningRole);
    if (last && last->widget() && last->widget()->property(kButtonRowProperty).toBool())
      row = last->widget();
  }
  if (!row) {
    row = new QWidget(box.widget);
    row->setProperty(kButtonRowProperty, true);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addStretch(1);
    box.form->addRow(row);
  }
  auto* b = new QPushButton(Caption(extra.caption), row);
  KeepSourceText(b, extra.caption);
  b->setObjectName(Name(extra.name));
  b->setAccessibleName(Caption(extra.caption));
  const QString name = Name(extra.name);
  QObject::connect(b, &QPushButton::clicked, b,
                   [&binder, name] { Send(binder, name, ChangeKind::Immediate); });
  auto* h = static_cast<QHBoxLayout*>(row->layout());
  h->insertWidget(h->count() - 1, b);  // before the closing stretch
}

}  // namespace

void PageSpinBox::stepBy(int steps) {
  const int before = value();
  const bool marked = property(kOutOfRangeProperty).toBool();
  stepping_ = true;
  QSpinBox::stepBy(steps);
  stepping_ = false;
  if ((value() != before || marked) && onStep) onStep();
}

void PageSpinBox::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();
    return;
  }
  QSpinBox::wheelEvent(event);
}

void PageSpinBox::TakeTypedValue() {
  if (!typed_) return;
  interpretText();
  Q_EMIT editingFinished();
}

void PageSpinBox::ForgetTypedValue() { typed_ = false; }

bool PageSpinBox::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && !typed_) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
      event->ignore();  // not taken here: the window's shortcut fires
      return false;
    }
  }
  return QSpinBox::event(event);
}

void PageSpinBox::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  QSpinBox::keyPressEvent(event);
  if (enter) focusNextChild();
}

void ConnectRadio(QRadioButton* button, std::string_view group, PageBinder& binder) {
  // No accessible name of its own: the button is made before its item text, and a screen
  // reader takes the text (always in the current language) inside the titled group.
  const QString name = QString::fromUtf8(group.data(), static_cast<int>(group.size()));
  // Only the button that becomes checked (a click, the keyboard, an assistive tool's toggle
  // action): a click on the checked item changes nothing and commits nothing.
  QObject::connect(button, &QRadioButton::toggled, button, [&binder, name](bool on) {
    if (on) Send(binder, name, ChangeKind::Immediate);
  });
}

constexpr int kMinTableHeightPx = 260;
// A table inside a group box (power-out switching and PWM tables, sensor tables).
constexpr int kMinBoxTableWidthPx = 380;
constexpr int kMinBoxTableHeightPx = 170;

void BuildPage(QWidget* tab, PageLogic& logic, PageBinder& binder) {
  // A tab may already hold widgets of the window (they stay below the page's own).
  auto* outer = qobject_cast<QBoxLayout*>(tab->layout());
  if (!outer) {
    outer = new QVBoxLayout(tab);
    outer->setContentsMargins(2, 2, 2, 2);
  }
  auto* scroll = new QScrollArea(tab);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* content = new QWidget(scroll);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);

  std::map<std::string, Box, std::less<>> boxes;
  Box page{content, new QFormLayout, {}};
  page.form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  column->addLayout(page.form);

  auto* grid = new QGridLayout;
  column->addLayout(grid);
  const int columns = tab->window()->width() >= kWideTabPx ? kWideColumns : kNarrowColumns;
  auto* flow = new GridFlow(grid, columns, content);
  page.toGrid = [flow](QWidget* w) { flow->Add(w); };
  auto boxOf = [&](const char* group) -> Box& {
    if (!group) return page;
    auto it = boxes.find(group);
    return it != boxes.end() ? it->second : page;
  };

  const auto extras = logic.Extras();
  for (const PageExtra& e : extras) {
    if (e.kind != ExtraKind::Group) continue;
    Box& parent = boxOf(e.group);
    auto* g = new QGroupBox(Caption(e.caption), e.group ? parent.widget : content);
    KeepSourceText(g, e.caption);
    g->setObjectName(Name(e.name));
    auto* form = new QFormLayout(g);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    if (e.group && &parent != &page) {
      parent.form->addRow(g);
    } else {
      page.toGrid(g);
    }
    boxes.emplace(e.name, Box{g, form, {}});
  }
  for (const Binding& row : logic.Rows()) {
    AddRow(row, boxOf(row.group), binder);
    // A radio group holds its items first; controls that belong to that one choice (an
    // input's polarity) go below them, inside the same box, so that they are read and
    // seen as part of it.
    if (row.kind != BindKind::RadioIndex && row.kind != BindKind::RadioCode) continue;
    auto* g = content->findChild<QGroupBox*>(Name(row.control));
    auto* items = g ? qobject_cast<QVBoxLayout*>(g->layout()) : nullptr;
    if (!items) continue;
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    items->addLayout(form);
    boxes.emplace(row.control, Box{g, form, {}});
  }
  for (const PageExtra& e : extras)
    if (e.kind != ExtraKind::Group) AddExtra(e, boxOf(e.group), binder);
  for (int c = 0; c < columns; ++c) grid->setColumnStretch(c, 1);

  page.toGrid = nullptr;  // refers to locals of this function
  // Map editors come later (AddPageTables): a page makes its table models at Create, which
  // needs these widgets first. Until then the boxes sit at the top.
  column->addStretch(1);
  scroll->setWidget(content);
  outer->insertWidget(0, scroll, 1);
}

void AddPageTables(QWidget* tab, PageLogic& logic) {
  auto* scroll = tab->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
  QWidget* content = scroll ? scroll->widget() : nullptr;
  auto* column = content ? qobject_cast<QVBoxLayout*>(content->layout()) : nullptr;
  if (!column) return;
  bool stretchTaken = false;
  for (const PageTable& t : logic.Tables()) {
    if (!t.tab) continue;
    auto* box = t.group ? content->findChild<QGroupBox*>(Name(t.group)) : nullptr;
    auto* w = new TTabWidget(*t.tab, box ? static_cast<QWidget*>(box) : content);
    w->setObjectName(Name(t.name));
    auto* form = box ? qobject_cast<QFormLayout*>(box->layout()) : nullptr;
    if (form) {
      w->setMinimumSize(kMinBoxTableWidthPx, kMinBoxTableHeightPx);
      form->addRow(w);
      continue;
    }
    if (!stretchTaken && column->count() > 0 && column->itemAt(column->count() - 1)->spacerItem()) {
      delete column->takeAt(column->count() - 1);
      stretchTaken = true;
    }
    w->setMinimumHeight(kMinTableHeightPx);
    column->addWidget(w, 1);
  }
}

}  // namespace zeda
