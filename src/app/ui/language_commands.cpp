// The language switch: the three language menu items and ApplyLanguage, which rewrites
// every text of the window from the translation tables. Main (UI) thread.
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QWidget>

#include "app/menu_table.h"
#include "app/ui/main_form.h"
#include "lang/control_texts.h"
#include "lang/lang_string.h"
#include "lang/ui/page_captions.h"
#include "monitor/ui/monitor_view_applier.h"

namespace {

constexpr const char* kLanguageItems[zeda::kLanguageCount] = {"MenuEnglish", "MenuGerman",
                                                              "MenuCzech"};

}  // namespace

void TMainForm::MenuEnglishClick() { SwitchLanguage(zeda::kEnglish); }
void TMainForm::MenuGermanClick() { SwitchLanguage(zeda::kGerman); }
void TMainForm::MenuCzechClick() { SwitchLanguage(zeda::kCzech); }

void TMainForm::SwitchLanguage(int language) {
  // The active page is loaded again below: what the user typed goes in first.
  CommitActivePage();
  zeda::SetCurrentLanguage(language);
  ApplyLanguage();
  // Windows that compose their own texts (the pickup monitor) take them again.
  QEvent change(QEvent::LanguageChange);
  QCoreApplication::sendEvent(this, &change);
  // Texts the page code composes itself are rebuilt by loading the page again.
  if (activePageLoader_) activePageLoader_();
  // That applies the pages' captions once more, monitor labels with a caption on the form
  // among them: the monitor's texts are written again over them.
  if (monitorApplier_) {
    monitorApplier_->Reset();
    ShowMonitor();
  }
}

void TMainForm::ApplyMenuTexts() {
  // Captions: the menus and items, and the device buttons that share their commands.
  for (const zeda::ControlText& row : zeda::MenuTextTable()) {
    const QString name = QString::fromUtf8(row.name);
    const QString text = QString::fromUtf8(row.text[zeda::CurrentLanguage()]);
    if (row.property == zeda::TextProperty::Caption) {
      if (auto* menu = findChild<QMenu*>(name)) {
        menu->setTitle(text);
      } else if (auto* action = findChild<QAction*>(name)) {
        action->setText(text);
      }
      continue;
    }
    // Hints: the status bar's hint panel, the tooltip and what a screen reader describes.
    if (auto* menu = findChild<QMenu*>(name)) {
      menu->menuAction()->setStatusTip(text);
    } else if (auto* action = findChild<QAction*>(name)) {
      action->setStatusTip(text);
      action->setToolTip(text);
    }
    if (auto* w = findChild<QWidget*>(name); w && !qobject_cast<QMenu*>(w)) {
      w->setStatusTip(text);
      w->setToolTip(text);
      w->setAccessibleDescription(text);
    }
  }
  // Entries the tables do not hold carry their own three languages.
  for (const zeda::MenuEntry& e : zeda::MenuTable()) {
    if (*e.caption != '#' && *e.hint != '#') continue;
    if (QAction* a = findChild<QAction*>(QString::fromUtf8(e.name))) {
      a->setText(QString::fromUtf8(zeda::LangText(e.caption)));
      a->setStatusTip(QString::fromUtf8(zeda::LangText(e.hint)));
    }
  }
  const int lang = zeda::CurrentLanguage();
  for (int i = 0; i < zeda::kLanguageCount; ++i) {
    if (QAction* a = findChild<QAction*>(QString::fromLatin1(kLanguageItems[i]))) {
      a->setChecked(i == lang);
    }
  }
}

void TMainForm::ApplyLanguage() {
  // 1. The status texts are taken by number in the current language wherever used.
  // 2.-3. Menus, device buttons, check marks and hints.
  ApplyMenuTexts();
  // 4. The title.
  UpdateTitle();
  // 5. Every control under the window whose name has a caption or item row; pages built
  // later apply the same to themselves (ApplyPageCaptions).
  zeda::ApplyPageCaptions(this);
  ApplyAccessibleNames();
  statusSlots_.RefreshCaptions();
  RebuildComMenu();
  // 6. The monitor's labels in the new language at once, every one written again: step 5
  // also wrote the form's captions into monitor labels that have one (the full-sync labels,
  // the hour meter, the output test buttons), and the monitor's texts win.
  if (monitorApplier_) {
    monitorApplier_->Reset();
    ShowMonitor();
  }
}
