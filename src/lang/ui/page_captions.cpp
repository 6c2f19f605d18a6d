#include "lang/ui/page_captions.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStringList>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <string_view>

#include "lang/control_texts.h"
#include "lang/lang_string.h"

namespace zeda {
namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

constexpr char kSourceTextProperty[] = "zedaSourceText";
constexpr char kRunTimeTextProperty[] = "zedaRunTimeText";

// A screen reader name that repeated the old caption follows the new one.
void FollowAccessibleName(QWidget* w, const QString& oldText, const QString& newText) {
  QString plainOld = oldText;
  plainOld.remove(QLatin1Char('&'));
  if (!w->accessibleName().isEmpty() && w->accessibleName() == plainOld) {
    QString plainNew = newText;
    plainNew.remove(QLatin1Char('&'));
    w->setAccessibleName(plainNew);
  }
}

// The tab widget showing `w` as a page, or nullptr.
QTabWidget* TabOwner(QWidget* w) {
  auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
  return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

bool ApplyCaption(QWidget* w, const QString& text) {
  if (QTabWidget* tabs = TabOwner(w)) {
    const int index = tabs->indexOf(w);
    if (index >= 0) tabs->setTabText(index, text);
    return true;
  }
  if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(text);
    return true;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    FollowAccessibleName(button, button->text(), text);
    button->setText(text);
    return true;
  }
  if (auto* group = qobject_cast<QGroupBox*>(w)) {
    FollowAccessibleName(group, group->title(), text);
    group->setTitle(text);
    return true;
  }
  return false;
}

bool ApplyItems(QWidget* w, const QStringList& items) {
  if (auto* combo = qobject_cast<QComboBox*>(w)) {
    const int n = std::min(combo->count(), static_cast<int>(items.size()));
    for (int i = 0; i < n; ++i) combo->setItemText(i, items[i]);
    return true;
  }
  // A radio group: its buttons in the order they were made.
  QList<QRadioButton*> buttons = w->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  if (buttons.isEmpty()) buttons = w->findChildren<QRadioButton*>();
  if (buttons.isEmpty()) return false;
  const int n = std::min(static_cast<int>(buttons.size()), static_cast<int>(items.size()));
  for (int i = 0; i < n; ++i) {
    FollowAccessibleName(buttons[i], buttons[i]->text(), items[i]);
    buttons[i]->setText(items[i]);
  }
  return true;
}

// The text a control keeps from its page, in `language`: by the English texts of the
// tables (an unnamed radio item under its group's name), a LangString's own variant, else
// the control's row, else unchanged.
QString SourceText(QWidget* w, const QByteArray& source, const char* caption, int language) {
  QString lookup = w->objectName();
  if (lookup.isEmpty() && qobject_cast<QRadioButton*>(w) && w->parentWidget())
    lookup = w->parentWidget()->objectName();
  const QByteArray key = lookup.toUtf8();
  const std::string_view name(key.constData(), static_cast<std::size_t>(key.size()));
  const std::string_view text(source.constData(), static_cast<std::size_t>(source.size()));
  if (auto v = FindEnglishText(name, text)) return Text(v->at(static_cast<std::size_t>(language)));
  if (source.startsWith('#')) return Text(LangText(source.constData(), language));
  return caption ? Text(caption) : Text(text);
}

bool ApplyTo(QWidget* w, int language) {
  const QString name = w->objectName();
  const QVariant source = w->property(kSourceTextProperty);
  if (name.isEmpty() && !source.isValid()) return false;
  const QByteArray key = name.toUtf8();
  const std::string_view view(key.constData(), static_cast<std::size_t>(key.size()));
  bool applied = false;
  const char* caption = ControlTextFor(view, TextProperty::Caption, language);
  const bool sourceFirst = !caption || w->property(kRunTimeTextProperty).toBool();
  if (source.isValid() && sourceFirst) {
    applied = ApplyCaption(w, SourceText(w, source.toByteArray(), caption, language));
  } else if (caption) {
    applied = ApplyCaption(w, Text(caption));
  }
  if (const char* items = ControlTextFor(view, TextProperty::Items, language)) {
    applied = ApplyItems(w, Text(items).split(QLatin1Char('\n'))) || applied;
  }
  return applied;
}

}  // namespace

void KeepSourceText(QWidget* w, const char* text, bool runTime) {
  if (!w) return;
  w->setProperty(kSourceTextProperty, text ? QVariant(QByteArray(text)) : QVariant());
  w->setProperty(kRunTimeTextProperty, text && runTime);
}

int ApplyPageCaptions(QWidget* root, int language) {
  if (!root) return 0;
  if (language < 0) language = CurrentLanguage();
  int count = ApplyTo(root, language) ? 1 : 0;
  const QList<QWidget*> widgets = root->findChildren<QWidget*>();
  for (QWidget* w : widgets) count += ApplyTo(w, language) ? 1 : 0;
  return count;
}

}  // namespace zeda
