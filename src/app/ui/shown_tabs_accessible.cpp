#include "app/ui/shown_tabs_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTabBar>
#include <QWindow>

namespace {

constexpr char kShownTabsOnly[] = "zedaShownTabsOnly";

// One tab of the bar, by its index in the bar.
class ShownTab : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  ShownTab(QTabBar* bar, int index) : bar_(bar), index_(index) {}

  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                             : nullptr;
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return bar_ && bar_->window() ? bar_->window()->windowHandle() : nullptr;
  }
  bool isValid() const override { return bar_ && index_ < bar_->count(); }
  QAccessible::Role role() const override { return QAccessible::PageTab; }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) return s;
    s.selectable = true;
    s.selected = s.focused = bar_->currentIndex() == index_;
    s.focusable = true;
    s.disabled = !bar_->isTabEnabled(index_);
    s.invisible = !bar_->isTabVisible(index_);
    return s;
  }
  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name) {
      const QString name = bar_->accessibleTabName(index_);
      return name.isEmpty() ? QString(bar_->tabText(index_)).remove(QLatin1Char('&')) : name;
    }
    if (t == QAccessible::Description) return bar_->tabToolTip(index_);
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect r = bar_->tabRect(index_);
    return QRect(bar_->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessibleInterface* parent() const override {
    return bar_ ? QAccessible::queryAccessibleInterface(bar_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (isValid() && name == pressAction()) bar_->setCurrentIndex(index_);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

  int Index() const { return index_; }

 private:
  QPointer<QTabBar> bar_;
  int index_;
};

class ShownTabBar : public QAccessibleWidget {
 public:
  explicit ShownTabBar(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
  ~ShownTabBar() override {
    for (QAccessible::Id id : tabs_) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return static_cast<int>(Shown().size()); }
  QAccessibleInterface* child(int i) const override {
    const QList<int> shown = Shown();
    if (i < 0 || i >= shown.size()) return nullptr;
    const int index = shown[i];
    if (const QAccessible::Id id = tabs_.value(index)) return QAccessible::accessibleInterface(id);
    auto* tab = new ShownTab(Bar(), index);
    tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
    return tab;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child && child->role() == QAccessible::PageTab && child->parent() == this) {
      return static_cast<int>(Shown().indexOf(static_cast<const ShownTab*>(child)->Index()));
    }
    return QAccessibleWidget::indexOfChild(child);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      const int i = Bar()->currentIndex();
      return i >= 0 ? Bar()->tabText(i).remove(QLatin1Char('&')) : QString();
    }
    return QAccessibleWidget::text(t);
  }

 private:
  QTabBar* Bar() const { return static_cast<QTabBar*>(object()); }
  QList<int> Shown() const {
    QList<int> out;
    for (int i = 0; i < Bar()->count(); ++i) {
      if (Bar()->isTabVisible(i)) out << i;
    }
    return out;
  }
  mutable QHash<int, QAccessible::Id> tabs_;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className == QLatin1String("QTabBar") && object &&
      object->property(kShownTabsOnly).toBool()) {
    return new ShownTabBar(static_cast<QTabBar*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallShownTabsAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(Factory);
}

void MarkShownTabsOnly(QTabBar* bar) { bar->setProperty(kShownTabsOnly, true); }
