// PageControls over widgets found by objectName (see widget_controls.h).
#include "pages/ui/widget_controls.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QVariant>

#include "lang/control_texts.h"
#include "lang/lang_string.h"
#include "lang/ui/page_captions.h"

namespace zeda {

namespace {

QString ToQ(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

QWidget* WidgetControls::Find(std::string_view name) const {
  if (auto it = cache_.find(name); it != cache_.end() && it->second) return it->second;
  // A name the window does not have stays missing until widgets are made (Forget): a page
  // tick asking for it must not search the whole window every time.
  if (missing_.find(name) != missing_.end()) return nullptr;
  if (!root_) return nullptr;
  const QString qname = ToQ(name);
  QWidget* w = root_->objectName() == qname ? root_.data() : root_->findChild<QWidget*>(qname);
  if (w)
    cache_[std::string(name)] = w;
  else
    missing_.emplace(name);
  return w;
}

std::vector<QRadioButton*> WidgetControls::Buttons(const QGroupBox* group) {
  const auto list = group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  return {list.begin(), list.end()};
}

int WidgetControls::Position(std::string_view name) const {
  if (auto* s = qobject_cast<QSpinBox*>(Find(name))) return s->value();
  return 0;
}

void WidgetControls::SetPosition(std::string_view name, int position) {
  if (auto* s = qobject_cast<QSpinBox*>(Find(name))) {
    ClearOutOfRange(name);
    s->setValue(position);
  }
}

namespace {
// "###" English "##" German "##" Czech; %1 the stored value, %2 and %3 the range.
constexpr char kOutOfRangeText[] =
    "###stored value %1 is outside %2 to %3; kept until you change it"
    "##gespeicherter Wert %1 liegt außerhalb %2 bis %3; bleibt, bis Sie ihn ändern"
    "##uložená hodnota %1 je mimo %2 až %3; zůstane, dokud ji nezměníte";
}  // namespace

void WidgetControls::MarkOutOfRange(std::string_view name, int stored) {
  auto* s = qobject_cast<QSpinBox*>(Find(name));
  if (!s) return;
  s->setProperty(kOutOfRangeProperty, true);
  QPalette p = s->palette();
  p.setColor(QPalette::Text, Qt::red);
  s->setPalette(p);
  const QString why =
      QString::fromUtf8(LangText(kOutOfRangeText)).arg(stored).arg(s->minimum()).arg(s->maximum());
  s->setAccessibleDescription(why);
  s->setToolTip(why);
}

void WidgetControls::ClearOutOfRange(std::string_view name) {
  auto* s = qobject_cast<QSpinBox*>(Find(name));
  if (!s || !s->property(kOutOfRangeProperty).toBool()) return;
  s->setProperty(kOutOfRangeProperty, false);
  s->setPalette(QPalette());  // the inherited one again
  s->setAccessibleDescription(QString());
  s->setToolTip(QString());
}

bool WidgetControls::OutOfRange(std::string_view name) const {
  const QWidget* w = Find(name);
  return w && w->property(kOutOfRangeProperty).toBool();
}

void WidgetControls::SetRange(std::string_view name, int lo, int hi, int step) {
  if (auto* s = qobject_cast<QSpinBox*>(Find(name))) {
    s->setRange(lo, hi);
    s->setSingleStep(step > 0 ? step : 1);
    // Assistive tools step by the size the control reports, which Qt reads from a
    // "stepSize" property a spin box does not have (it reported 0, and a tool's Increase
    // moved the limiter by thousands of rpm, now committed like any value set).
    s->setProperty("stepSize", s->singleStep());
  }
}

bool WidgetControls::Checked(std::string_view name) const {
  if (auto* b = qobject_cast<QAbstractButton*>(Find(name))) return b->isChecked();
  return false;
}

void WidgetControls::SetChecked(std::string_view name, bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(Find(name))) b->setChecked(checked);
}

int WidgetControls::ItemIndex(std::string_view name) const {
  QWidget* w = Find(name);
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentIndex();
  if (auto* g = qobject_cast<QGroupBox*>(w)) {
    const auto buttons = Buttons(g);
    for (size_t i = 0; i < buttons.size(); ++i)
      if (buttons[i]->isChecked()) return static_cast<int>(i);
  }
  return -1;
}

void WidgetControls::SetItemIndex(std::string_view name, int index) {
  QWidget* w = Find(name);
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
    return;
  }
  if (auto* g = qobject_cast<QGroupBox*>(w)) {
    const auto buttons = Buttons(g);
    // Radio buttons are exclusive only while one is checked: clear them all for "none".
    for (size_t i = 0; i < buttons.size(); ++i) buttons[i]->setAutoExclusive(false);
    for (size_t i = 0; i < buttons.size(); ++i)
      buttons[i]->setChecked(static_cast<int>(i) == index);
    for (size_t i = 0; i < buttons.size(); ++i) buttons[i]->setAutoExclusive(true);
  }
}

int WidgetControls::ItemCount(std::string_view name) const {
  QWidget* w = Find(name);
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->count();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return static_cast<int>(Buttons(g).size());
  return 0;
}

int WidgetControls::Code(std::string_view name, int index) const {
  QWidget* w = Find(name);
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    if (index < 0 || index >= c->count()) return kEmptyItem;
    return c->itemData(index).toInt();
  }
  if (auto* g = qobject_cast<QGroupBox*>(w)) {
    const auto buttons = Buttons(g);
    if (index < 0 || index >= static_cast<int>(buttons.size())) return kEmptyItem;
    return buttons[static_cast<size_t>(index)]->property(kItemCodeProperty).toInt();
  }
  return kEmptyItem;
}

namespace {
// A text the page gives in English or as a LangString (an item, a caption it sets at run
// time), in the current language; the widget keeps the page's text so that a language
// switch can translate it again.
QString Translated(std::string_view name, std::string_view text) {
  return QString::fromStdString(TranslateText(name, text));
}
QString ItemText(std::string_view list, const PageItem& item) {
  return item.text ? Translated(list, item.text) : QString();
}
}  // namespace

void WidgetControls::SetItems(std::string_view name, std::span<const PageItem> items) {
  QWidget* w = Find(name);
  const int keep = ItemIndex(name);
  const int index = keep < static_cast<int>(items.size()) ? keep : -1;
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    // The program fills the list; nobody chose anything.
    const QSignalBlocker block(c);
    c->clear();
    for (const PageItem& item : items) c->addItem(ItemText(name, item), item.code);
    c->setCurrentIndex(index);
    return;
  }
  auto* g = qobject_cast<QGroupBox*>(w);
  if (!g) return;
  auto buttons = Buttons(g);
  auto* layout = qobject_cast<QVBoxLayout*>(g->layout());
  if (!layout) layout = new QVBoxLayout(g);
  // Reuse the buttons that are there (their signal connections stay), add or drop the rest.
  while (buttons.size() > items.size()) {
    delete buttons.back();
    buttons.pop_back();
  }
  const size_t before = buttons.size();
  while (buttons.size() < items.size()) {
    auto* b = new QRadioButton(g);
    // Items come first: controls of the group's own (a polarity box) stay below them.
    layout->insertWidget(static_cast<int>(buttons.size()), b);
    buttons.push_back(b);
    if (onNewRadio_) onNewRadio_(b, name);
  }
  if (buttons.size() > before) {
    // ... and after them for the Tab key and a screen reader too (both follow the order the
    // children were made in; raising moves a child to the end of it).
    QWidget* last = buttons.back();
    for (QWidget* other : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<QRadioButton*>(other)) continue;
      other->raise();
      QWidget::setTabOrder(last, other);
      last = other;
    }
  }
  for (size_t i = 0; i < items.size(); ++i) {
    QRadioButton* b = buttons[i];
    b->setText(ItemText(name, items[i]));
    KeepSourceText(b, items[i].text);
    b->setProperty(kItemCodeProperty, items[i].code);
    b->setVisible(items[i].code != kEmptyItem);
  }
  SetItemIndex(name, index);
}

std::string WidgetControls::Text(std::string_view name) const {
  QWidget* w = Find(name);
  QString t;
  if (auto* s = qobject_cast<QSpinBox*>(w))
    t = s->text();
  else if (auto* l = qobject_cast<QLabel*>(w))
    t = l->text();
  else if (auto* e = qobject_cast<QLineEdit*>(w))
    t = e->text();
  else if (auto* g = qobject_cast<QGroupBox*>(w))
    t = g->title();
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    t = b->text();
  return t.toStdString();
}

void WidgetControls::SetText(std::string_view name, std::string_view text) {
  QWidget* w = Find(name);
  const QString t = ToQ(text);
  // Edits show values; captions are translated.
  if (auto* s = qobject_cast<QSpinBox*>(w)) {
    s->findChild<QLineEdit*>()->setText(t);
    return;
  }
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(t);
    return;
  }
  if (!w) return;
  const QString caption = Translated(name, text);
  KeepSourceText(w, std::string(text).c_str(), true);
  if (auto* l = qobject_cast<QLabel*>(w))
    l->setText(caption);
  else if (auto* g = qobject_cast<QGroupBox*>(w))
    g->setTitle(caption);
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    b->setText(caption);
}

bool WidgetControls::Visible(std::string_view name) const {
  QWidget* w = Find(name);
  return w && !w->isHidden();
}

void WidgetControls::SetVisible(std::string_view name, bool visible) {
  if (QWidget* w = Find(name)) w->setHidden(!visible);
}

bool WidgetControls::Enabled(std::string_view name) const {
  QWidget* w = Find(name);
  return w && w->isEnabled();
}

void WidgetControls::SetEnabled(std::string_view name, bool enabled) {
  if (QWidget* w = Find(name)) w->setEnabled(enabled);
}

namespace {
constexpr const char* kHighlightProperty = "zedaHighlighted";
}  // namespace

bool WidgetControls::Highlighted(std::string_view name) const {
  const QWidget* w = Find(name);
  return w && w->property(kHighlightProperty).toBool();
}

void WidgetControls::SetHighlighted(std::string_view name, bool on) {
  QWidget* w = Find(name);
  if (!w || w->property(kHighlightProperty).toBool() == on) return;
  w->setProperty(kHighlightProperty, on);
  // A style sheet rather than the palette: buttons ignore palette backgrounds in most styles.
  // A lit button's caption is bold as well; a lit label only turns green.
  const bool button = qobject_cast<QAbstractButton*>(w) != nullptr;
  w->setStyleSheet(!on      ? QString()
                   : button ? QStringLiteral("background-color: #3cb043; font-weight: bold;")
                            : QStringLiteral("background-color: #3cb043;"));
}

namespace {
constexpr const char* kColourProperty = "zedaColour";
}  // namespace

Colour WidgetControls::ColourOf(std::string_view name) const {
  const QWidget* w = Find(name);
  if (!w) return kColourButtonFace;
  const QVariant c = w->property(kColourProperty);
  return c.isValid() ? c.value<Colour>() : kColourButtonFace;
}

void WidgetControls::SetColour(std::string_view name, Colour colour) {
  QWidget* w = Find(name);
  if (!w || ColourOf(name) == colour) return;
  w->setProperty(kColourProperty, QVariant::fromValue(colour));
  if (IsSystemColour(colour)) {
    w->setStyleSheet(QString());
    return;
  }
  // Selected by name, so the box's children do not take the face as well.
  const QColor face(ColourRed(colour), ColourGreen(colour), ColourBlue(colour));
  w->setStyleSheet(
      QStringLiteral("#%1 { background-color: %2; }").arg(w->objectName(), face.name()));
}

}  // namespace zeda
