#include "print/ui/print_appearance.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace {

// Qt classes by the print class they stand for; the first that a widget inherits counts.
struct QtClass {
  const char* qtClass;
  const char* printClass;
};
constexpr QtClass kQtClasses[] = {
    {"QStatusBar", "StatusBar"},
    {"QTabWidget", "PageControl"},
    {"QRadioButton", "RadioButton"},
    {"QCheckBox", "CheckBox"},
    {"QPushButton", "Button"},
    {"QToolButton", "SpeedButton"},
    {"QLabel", "Label"},
    {"QGroupBox", "GroupBox"},
    {"QComboBox", "ComboBox"},
    {"QProgressBar", "CGauge"},
    {"QAbstractSlider", "ScrollBar"},
    {"QAbstractSpinBox", "Edit"},
    {"QLineEdit", "Edit"},
    {"QTextEdit", "Memo"},
    {"QPlainTextEdit", "Memo"},
};

bool HasPrintMode(const QWidget* w) {
  return w->metaObject()->indexOfMethod("SetPrintMode(bool)") >= 0;
}

void SetPrintMode(QWidget* w, bool on) {
  QMetaObject::invokeMethod(w, "SetPrintMode", Qt::DirectConnection, Q_ARG(bool, on));
}

// Widgets made of inner widgets of their own: their insides are not walked.
bool IsComposite(const QWidget* w) {
  return w->inherits("QAbstractSpinBox") || w->inherits("QComboBox") ||
         w->inherits("QAbstractScrollArea") || w->inherits("QTabBar") || HasPrintMode(w);
}

// A control's colour is that of its background role (buttons and check boxes fill with
// the button colour, most others with the window colour).
QColor ColourOf(const QWidget* w) { return w->palette().color(w->backgroundRole()); }

void SetWindowColour(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(w->backgroundRole(), c);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

}  // namespace

const char* const PrintAppearance::kHiddenByName[] = {
    "LabelPocetProgramovani", "GroupBoxToolBar", "CheckBoxProgHned", "LabelConnection",
    "LabelCongruence",
    // This window's tool bar row (tool buttons, device buttons, the two check boxes).
    "PanelTop", nullptr};

PrintAppearance::PrintAppearance(QWidget* window)
    : window_(window), restoreList_(50, 50), pageList_(20, 20, /*owning=*/false) {}

PrintAppearance::~PrintAppearance() { RestoreAfterPrint(); }

QColor PrintAppearance::ButtonFace() { return QApplication::palette().color(QPalette::Window); }

QString PrintAppearance::PrintClassOf(const QWidget* w) {
  const QVariant own = w->property("printClass");
  if (own.isValid()) return own.toString();
  if (HasPrintMode(w)) return QStringLiteral("Tab");
  // A page of a tab widget is its tab sheet.
  if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget())) {
    if (qobject_cast<QTabWidget*>(stack->parentWidget())) return QStringLiteral("TabSheet");
  }
  if (auto* f = qobject_cast<const QFrame*>(w)) {
    if (f->frameShape() == QFrame::HLine || f->frameShape() == QFrame::VLine)
      return QStringLiteral("Bevel");
  }
  for (const QtClass& c : kQtClasses) {
    if (w->inherits(c.qtClass)) return QString::fromLatin1(c.printClass);
  }
  return QString();
}

CPrintObj* PrintAppearance::Record(QWidget* w, int kind, zeda::PrintChange change) {
  auto* o = new CPrintObj;
  o->kind = kind;
  o->change = change;
  o->control = w;
  o->savedPalette = w->palette();
  o->savedAutoFill = w->autoFillBackground();
  o->savedOwnPalette = w->testAttribute(Qt::WA_SetPalette);
  restoreList_.Append(o);
  return o;
}

void PrintAppearance::RecordColour(QWidget* w, int kind, const QColor& colour) {
  Record(w, kind, zeda::PrintChange::ColourChanged);
  SetWindowColour(w, colour);
}

void PrintAppearance::PreparePrint(QWidget* container) {
  if (!container) {
    // 1. White window and status bar.
    RecordColour(window_, 0, Qt::white);
    if (auto* main = qobject_cast<QMainWindow*>(window_)) {
      if (QStatusBar* bar = main->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
        RecordColour(bar, zeda::PrintKindFor("StatusBar").code, Qt::white);
    }
    // 2. The controls that have no place on paper.
    for (const char* const* name = kHiddenByName; *name; ++name) {
      QWidget* w = window_->findChild<QWidget*>(QString::fromLatin1(*name));
      if (!w) continue;
      if (!w->isHidden())
        Record(w, zeda::PrintKindFor(PrintClassOf(w).toStdString()).code,
               zeda::PrintChange::Hidden);
      w->hide();
    }
    container = window_;
  }
  Walk(container);
}

void PrintAppearance::Walk(QWidget* container) {
  const QObjectList children = container->children();
  for (QObject* o : children) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow()) continue;
    const QString cls = PrintClassOf(w);
    const zeda::PrintKind& kind = zeda::PrintKindFor(cls.toStdString());
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      WalkTabs(tabs);
      continue;
    }
    // Containers first; plain containers (frames, panels, scroll areas' contents) too, so
    // that whatever a page holds gets its print appearance.
    const bool container = kind.treatment == zeda::PrintTreatment::ChildrenThenWhite ||
                           kind.treatment == zeda::PrintTreatment::Children ||
                           kind.treatment == zeda::PrintTreatment::SheetChildren ||
                           (kind.code == 0 && !IsComposite(w));
    if (container) Walk(w);
    if (auto* scroll = qobject_cast<QAbstractScrollArea*>(w);
        scroll && !w->inherits("QTextEdit") && !w->inherits("QPlainTextEdit")) {
      Walk(scroll->viewport());
    }
    Treat(w, kind);
  }
}

void PrintAppearance::WalkTabs(QTabWidget* tabs) {
  for (int i = 0; i < tabs->count(); ++i) {
    QWidget* sheet = tabs->widget(i);
    Walk(sheet);
    if (tabs->isTabVisible(i)) pageList_.Append(sheet);
  }
}

void PrintAppearance::Treat(QWidget* w, const zeda::PrintKind& kind) {
  using zeda::PrintChange;
  using zeda::PrintTreatment;
  const QColor face = ButtonFace();
  // Spin boxes are edits with their arrows inside: the arrows go, the value stays.
  if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
    if (spin->buttonSymbols() != QAbstractSpinBox::NoButtons) {
      Record(w, kind.code, PrintChange::SpinButtonsHidden)->savedSymbols = spin->buttonSymbols();
      spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    }
  }
  switch (kind.treatment) {
    case PrintTreatment::TransparentIfFace:
      if (w->autoFillBackground() && ColourOf(w) == face) {
        Record(w, kind.code, PrintChange::MadeTransparent);
        w->setAutoFillBackground(false);
      }
      break;
    case PrintTreatment::HideIfVisible:
      if (!w->isHidden()) {
        Record(w, kind.code, PrintChange::Hidden);
        w->hide();
      }
      break;
    case PrintTreatment::WhiteIfFace:
      if (w->autoFillBackground() && ColourOf(w) == face) RecordColour(w, kind.code, Qt::white);
      break;
    case PrintTreatment::ChildrenThenWhite:
      if (w->autoFillBackground() && ColourOf(w) != QColor(Qt::white))
        RecordColour(w, kind.code, Qt::white);
      break;
    case PrintTreatment::PrintMode:
      if (!w->isHidden()) {
        Record(w, kind.code, PrintChange::PrintMode);
        SetPrintMode(w, true);
      }
      break;
    default:
      break;
  }
}

void PrintAppearance::RestoreAfterPrint() {
  using zeda::PrintChange;
  // Every change is undone by its kind, in the order it was made.
  for (int i = 0; i < restoreList_.Count(); ++i) {
    auto* o = static_cast<CPrintObj*>(restoreList_.At(i));
    QWidget* w = o->control;
    if (!w) continue;  // the control is gone: nothing to put back
    switch (o->change) {
      case PrintChange::Hidden:
        w->show();
        break;
      case PrintChange::MadeTransparent:
        w->setAutoFillBackground(true);
        break;
      case PrintChange::ColourChanged:
        // A control that took its colours from its parent does so again.
        w->setPalette(o->savedOwnPalette ? o->savedPalette : QPalette());
        w->setAutoFillBackground(o->savedAutoFill);
        break;
      case PrintChange::PrintMode:
        SetPrintMode(w, false);
        break;
      case PrintChange::SpinButtonsHidden:
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
          spin->setButtonSymbols(o->savedSymbols);
        break;
    }
  }
  restoreList_.DeleteAll();
  pageList_.Clear();
}
