// The language switch, the COM menu and the question before unsaved edits are dropped,
// on the whole window.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <fstream>
#include <sstream>

#include "app/ui/window_fixture.h"
#include "lang/ui/page_captions.h"
#include "link/ccomcom.h"
#include "mapedit/table_factories.h"
#include "mapedit/ui/tab_widget.h"
#include "params/ign_load.h"
#include "params/ini_file.h"

namespace {

using window_test::WindowFixture;

class LanguageComTest : public WindowFixture {
 protected:
  static QAction* Action(QObject& f, const char* name) {
    return f.findChild<QAction*>(QString::fromLatin1(name));
  }
  static QStringList LabelTexts(QWidget& w) {
    QStringList texts;
    for (QLabel* l : w.findChildren<QLabel*>()) texts << l->text();
    return texts;
  }
  static bool AnyStartsWith(const QStringList& texts, const QString& prefix) {
    for (const QString& t : texts)
      if (t.startsWith(prefix)) return true;
    return false;
  }
};

// A page as the pages area builds it: controls named as the tables know them.
struct SmallPage {
  QLabel* label;
  QGroupBox* polarity;
  QComboBox* synchro;
};

SmallPage BuildSmallPage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  SmallPage p{};
  p.label = new QLabel(QStringLiteral("Motorbike type"), page);
  p.label->setObjectName(QStringLiteral("LabelBike"));
  p.polarity = new QGroupBox(QStringLiteral("Polarity of pick-up 1"), page);
  p.polarity->setObjectName(QStringLiteral("RadioGroupPickup1Polarita"));
  auto* inner = new QVBoxLayout(p.polarity);
  for (const char* item : {"Plus", "Minus", "Auto"}) {
    auto* b = new QRadioButton(QString::fromLatin1(item), p.polarity);
    b->setAccessibleName(b->text());
    inner->addWidget(b);
  }
  p.synchro = new QComboBox(page);
  p.synchro->setObjectName(QStringLiteral("ComboBoxSynchro"));
  for (int i = 0; i < 21; ++i) p.synchro->addItem(QStringLiteral("item %1").arg(i));
  p.synchro->setCurrentIndex(5);
  layout->addWidget(p.label);
  layout->addWidget(p.polarity);
  layout->addWidget(p.synchro);
  return p;
}

TEST_F(LanguageComTest, SwitchingToCzechRewritesMenusHintsPagesAndMonitorAtOnce) {
  auto form = MakeForm();
  auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(pages, nullptr);
  const SmallPage page = BuildSmallPage(pages->widget(1));
  form->resize(1366, 768);
  form->show();
  window_test::Shot(*form, "window_english");
  EXPECT_TRUE(AnyStartsWith(LabelTexts(*form), QStringLiteral("Advance 1")));

  Action(*form, "MenuCzech")->trigger();

  EXPECT_EQ(zeda::CurrentLanguage(), zeda::kCzech);
  EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("MenuFile"))->title(), "&Soubor");
  EXPECT_EQ(Action(*form, "MenuRead")->text(), "Čí&st");
  EXPECT_EQ(form->findChild<QPushButton*>(QStringLiteral("ButtonRead"))->text(), "Čí&st");
  EXPECT_EQ(Action(*form, "MenuOpen")->statusTip(), "Otevření souboru s parametry");
  EXPECT_EQ(form->findChild<QPushButton*>(QStringLiteral("ButtonVerify"))->toolTip(),
            "Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování");
  EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("MenuCom"))->menuAction()->statusTip(),
            "Nastavení čísla serivého portu (Com) ");
  EXPECT_TRUE(Action(*form, "MenuCzech")->isChecked());
  EXPECT_FALSE(Action(*form, "MenuEnglish")->isChecked());
  // Pages: tab texts, captions, radio items (with their screen reader names), combo items
  // with the selection kept.
  EXPECT_EQ(pages->tabText(0), "Různé");
  EXPECT_EQ(page.label->text(), "Typ motocyklu");
  EXPECT_EQ(page.polarity->title(), "Polarita snímače 1");
  const auto radios = page.polarity->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 3);
  EXPECT_EQ(radios[1]->text(), "Mínus");
  EXPECT_EQ(radios[1]->accessibleName(), "Mínus");
  EXPECT_EQ(page.synchro->count(), 21);
  EXPECT_EQ(page.synchro->itemText(0), "1 palec, 1 nebo 2 snímače");
  EXPECT_EQ(page.synchro->currentIndex(), 5);
  // The window's own check boxes and the COM menu.
  EXPECT_EQ(form->findChild<QCheckBox*>(QStringLiteral("CheckBoxProgHned"))->text(),
            "Programování po změně");
  ASSERT_FALSE(form->ComMenuItems().empty());
  EXPECT_EQ(form->ComMenuItems()[0].caption, "COM &odpojen");
  // The monitor's labels.
  const QStringList monitor = LabelTexts(*form);
  EXPECT_TRUE(AnyStartsWith(monitor, QStringLiteral("Předstih 1")));
  EXPECT_FALSE(AnyStartsWith(monitor, QStringLiteral("Advance 1")));
  window_test::Shot(*form, "window_czech");

  Action(*form, "MenuGerman")->trigger();
  EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("MenuFile"))->title(), "&Datei");
  EXPECT_EQ(page.label->text(), "Motorradtyp");
  EXPECT_TRUE(Action(*form, "MenuGerman")->isChecked());
  EXPECT_FALSE(Action(*form, "MenuCzech")->isChecked());
  window_test::Shot(*form, "window_german");
}

TEST_F(LanguageComTest, PagesBuiltLaterTakeTheirCaptionsFromOneCall) {
  zeda::SetCurrentLanguage(zeda::kGerman);
  QWidget page;
  const SmallPage p = BuildSmallPage(&page);
  EXPECT_EQ(zeda::ApplyPageCaptions(&page), 3);
  EXPECT_EQ(p.label->text(), "Motorradtyp");
  EXPECT_EQ(p.polarity->title(), "Geberpolarität 1");
  EXPECT_EQ(p.synchro->itemText(20), "Mazda RX7");
}

TEST_F(LanguageComTest, StoredLanguageTwoIsIgnoredAndCzechIsStoredAsThree) {
  {
    zeda::IniFile ini;
    ini.SetInt("FORM_HLAV", "Language", 2);
    std::ofstream(settings_.filePath("application.ini").toStdString()) << ini.Serialize();
  }
  zeda::SetCurrentLanguage(zeda::kGerman);
  auto form = MakeForm();
  EXPECT_EQ(zeda::CurrentLanguage(), zeda::kGerman);
  EXPECT_TRUE(Action(*form, "MenuGerman")->isChecked());
  Action(*form, "MenuCzech")->trigger();
  form->close();
  std::ifstream in(settings_.filePath("application.ini").toStdString());
  std::stringstream text;
  text << in.rdbuf();
  zeda::IniFile saved;
  saved.Parse(text.str());
  EXPECT_EQ(saved.GetInt("FORM_HLAV", "Language").value_or(-1), 3);
}

TEST_F(LanguageComTest, ComMenuChoiceSetsThePortSettingAndAutoKeepsTheLink) {
  ASSERT_TRUE(files_.isValid());
  auto form = MakeForm();
  ASSERT_TRUE(StartLinkedSimulator(*form));
  ASSERT_TRUE(
      window_test::WaitUntil([&] { return form->Link().connectedPort.load() != 0; }, 15000));
  const int32_t port = form->Link().connectedPort.load();
  form->RebuildComMenu();
  const auto& items = form->ComMenuItems();
  // Automatic keeps the unit.
  form->MenuCom1Click(1);
  EXPECT_EQ(form->Link().comSetting, zeda::kComAuto);
  EXPECT_EQ(form->Link().connectedPort.load(), port);
  EXPECT_EQ(form->appSettings.comPort, zeda::kComAuto);
  // The connected port is the checked radio item.
  bool checked = false;
  for (const auto& i : items)
    if (i.kind == zeda::ComItemKind::Port && i.com == port) checked = i.checked && i.radio;
  EXPECT_TRUE(checked);
  // Another port: the unit is left and the search goes there.
  form->Link().comSetting = 7;
  form->RebuildComMenu();
  int other = -1;
  for (std::size_t i = 0; i < form->ComMenuItems().size(); ++i)
    if (form->ComMenuItems()[i].com == 7) other = static_cast<int>(i);
  ASSERT_GE(other, 0);
  form->MenuCom1Click(other);
  EXPECT_EQ(form->Link().comSetting, 7);
  EXPECT_EQ(form->Link().connectedPort.load(), 0);
  EXPECT_EQ(form->appSettings.comPort, 7);
  // Off.
  form->MenuCom1Click(0);
  EXPECT_EQ(form->Link().comSetting, zeda::kComOff);
  EXPECT_EQ(form->appSettings.comPort, zeda::kComOff);
  EXPECT_TRUE(form->ComMenuItems()[0].checked);
  KillLinkedSimulator(*form);
}

TEST_F(LanguageComTest, ExitWithUnsavedEditsAsksAndCancelKeepsTheWindow) {
  const QString path = WriteIgn("bike.ign", window_test::OtherImage());
  auto form = MakeForm();
  form->show();
  form->OpenFile(-1, path);
  ASSERT_EQ(form->currentFileName, path);
  EXPECT_FALSE(form->UnsavedChanges());
  // An edit: the image no longer equals the file.
  form->imageBuffers.params.SetByte(10,
                                    static_cast<uint8_t>(form->imageBuffers.params.Byte(10) ^ 1));
  EXPECT_TRUE(form->UnsavedChanges());
  form->UpdateTitle();
  EXPECT_TRUE(form->windowTitle().contains("*" + path));

  saveAnswer_ = QMessageBox::Cancel;
  EXPECT_FALSE(form->close());
  EXPECT_EQ(saveQuestions_, 1);
  EXPECT_TRUE(form->isVisible());
  // New and a dropped file are stopped by Cancel as well.
  form->NewCommand(false);
  EXPECT_TRUE(form->UnsavedChanges());
  EXPECT_EQ(saveQuestions_, 2);

  // Save writes the current file without a dialog, then the window closes.
  saveAnswer_ = QMessageBox::Save;
  EXPECT_TRUE(form->close());
  EXPECT_EQ(saveQuestions_, 3);
  zeda::ImageBuffers reread;
  EXPECT_TRUE(zeda::LoadIgnFile(reread, path.toStdString(), -1, false).Accepted());
  EXPECT_EQ(reread.params.Byte(10), form->imageBuffers.params.Byte(10));
}

TEST_F(LanguageComTest, NoQuestionWithoutAFileOrWithoutEdits) {
  auto form = MakeForm();
  form->show();
  form->imageBuffers.params.SetByte(10,
                                    static_cast<uint8_t>(form->imageBuffers.params.Byte(10) ^ 1));
  EXPECT_TRUE(form->close());
  EXPECT_EQ(saveQuestions_, 0);
}

TEST_F(LanguageComTest, SimulatorThatDoesNotStartShowsItsOwnReason) {
  auto form = MakeForm();
  EXPECT_FALSE(form->StartSimulator({QStringLiteral("--no-such-option")}));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].kind, zeda::MessageKind::Error);
  EXPECT_NE(messages_[0].text.find("did not start:\n"), std::string::npos) << messages_[0].text;
  EXPECT_NE(messages_[0].text.find("no-such-option"), std::string::npos) << messages_[0].text;
}

TEST_F(LanguageComTest, AdvanceKeysStepTheFocusedMapEditorOnly) {
  auto form = MakeForm();
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), 2000));
  auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  pages->setCurrentIndex(3);
  zeda::TTableSet set;
  zeda::TTab* table = zeda::CreateAdvanceMap(set, 1, {}, 600, 300);
  auto* editor = new zeda::TTabWidget(*table, pages->widget(3));
  editor->resize(600, 300);
  editor->show();
  table->SelectItem(3, 3);
  const int32_t before = table->Cur().Cell(3, 3);
  // Not focused: nothing moves.
  form->findChild<QCheckBox*>(QStringLiteral("CheckBoxProgHned"))->setFocus();
  QApplication::processEvents();
  Action(*form, "MenuAdvancePlus")->trigger();
  EXPECT_EQ(table->Cur().Cell(3, 3), before);
  editor->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(form->FocusedMapEditor(), editor);
  Action(*form, "MenuAdvancePlus")->trigger();
  EXPECT_GT(table->Cur().Cell(3, 3), before);
  Action(*form, "MenuAdvanceMinus")->trigger();
  EXPECT_EQ(table->Cur().Cell(3, 3), before);
}

}  // namespace
