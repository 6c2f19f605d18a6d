// The main window's activity log and compare view: every end of an operation logged with
// its verdict, the compare commands, and the accessible names of the status texts that a
// screen reader needs to tell what the window says about the unit.
//
// The link headers come before any Qt header: Qt defines "slots" as a macro.
#include "lang/ui/qt_text.h"
#include "link/ccomcom.h"
#include "link/device_ops.h"
#include "link/device_texts.h"
#include "link/op_verdicts.h"
// Qt from here on.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <chrono>

#include "app/page_list.h"
#include "app/ui/activity_log_view.h"
#include "app/ui/compare_dialog.h"
#include "app/ui/main_form.h"
#include "lang/lang_string.h"
#include "params/param_addresses.h"

namespace {

const char kTheirsUnit[] = "###Unit##Einheit##Jednotka";
const char kProgress[] = "###Progress##Fortschritt##Průběh";

// Accessible names of the status texts (slots 1, 2, 4 and the status-bar panels).
struct AccessibleRow {
  const char* object;
  const char* name;
};
constexpr AccessibleRow kAccessibleNames[] = {
    {"LabelConnection", "###Connection##Verbindung##Spojení"},
    {"LabelResult", "###Result##Ergebnis##Výsledek"},
    {"LabelCongruence", "###Unit and PC##Einheit und PC##Jednotka a PC"},
    {"LabelCom", "###Port##Port##Port"},
    {"StatusBar1Panel0", "###Hint##Hinweis##Nápověda"},
    {"StatusBar1Panel1", "###Program kind##Programmart##Druh programu"},
    {"StatusBar1Panel2", "###Build##Version##Sestavení"},
    {"StatusBar1Panel3", "###Image kind##Abbildart##Druh obrazu"},
    {"StatusBar1Panel4", "###Unit##Einheit##Jednotka"},
};

using zeda::Lang;

}  // namespace

void TMainForm::CreateActivityLog() {
  activityDock_ = new ActivityLogDock(activityLog_, this);
  addDockWidget(Qt::BottomDockWidgetArea, activityDock_);
  activityDock_->hide();
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuActivityLog"))) {
    connect(a, &QAction::toggled, activityDock_, [this](bool on) {
      activityDock_->setVisible(on);
      // Opened from the keyboard, the list is where the user goes next.
      if (on) activityDock_->Table()->setFocus();
    });
    connect(activityDock_, &QDockWidget::visibilityChanged, a, [this, a](bool) {
      // visibilityChanged also fires for a dock tabbed away; the item follows the dock.
      a->setChecked(!activityDock_->isHidden());
    });
  }
  connect(activityDock_, &ActivityLogDock::DifferencesRequested, this, [this](size_t entry) {
    if (entry >= activityLog_.Entries().size()) return;
    ShowDifferences(Lang(kTheirsUnit), activityLog_.Entries()[entry].differences);
  });
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuCompareUnit"))) {
    connect(a, &QAction::triggered, this, &TMainForm::CompareWithUnitCommand);
  }
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuCompareFile"))) {
    connect(a, &QAction::triggered, this, &TMainForm::CompareWithFileCommand);
  }
  connect(CGaugeProgram, &QProgressBar::valueChanged, this, &TMainForm::UpdateGaugeAccessibility);
}

void TMainForm::RecordOperation(int32_t op, zeda::OpOutcome outcome) {
  const zeda::DeviceOps& ops = *deviceOps_;
  if (ops.UnitConnected()) lastPort_ = ops.ConnectedPortNumber();
  std::vector<zeda::FieldDifference> differences;
  std::string detail;
  const zeda::ImageBuffers& img = *images_;
  if (op == zeda::OP_VERIFY && outcome == zeda::OpOutcome::Different) {
    differences = zeda::DifferencesByField(img.params, ops.VerifiedImage());
  } else if (op == zeda::OP_CHECK && outcome == zeda::OpOutcome::Ok && img.unitImageValid &&
             img.unitImage.Byte(zeda::kNoReadingAddress) == 0) {
    differences = zeda::DifferencesByField(img.params, img.unitImage);
  }
  if (outcome == zeda::OpOutcome::Refused) {
    detail = zeda::UnitRefused(ops.UnitKey(), ops.UnitVersion())
                 ? zeda::RefusalReason(ops.UnitKey(), ops.UnitVersion())
                 : std::string(zeda::DeviceText(zeda::OpText::NoReading));
  } else if (outcome == zeda::OpOutcome::Failed && interruptedShown_) {
    detail = zeda::InterruptedText();
  }
  // The user asked whether the unit holds these settings: the answer is where it differs.
  if (op == zeda::OP_VERIFY && !differences.empty())
    ShowDifferences(Lang(kTheirsUnit), differences);
  activityLog_.OperationEnded(op, outcome, lastPort_, std::chrono::system_clock::now(),
                              std::move(differences), std::move(detail));
  activityDock_->Refresh();
}

void TMainForm::CompareWithUnitCommand() {
  if (!images_->unitImageValid) return;
  CommitActivePage();
  ShowDifferences(Lang(kTheirsUnit), zeda::DifferencesByField(images_->params, images_->unitImage));
}

void TMainForm::ShowDifferences(const QString& theirs,
                                std::vector<zeda::FieldDifference> differences) {
  if (!compareDialog_) {
    compareDialog_ = new CompareDialog(this);
    connect(compareDialog_, &CompareDialog::PageRequested, this, [this](int group) {
      if (group >= 0 && group < PageControl1->count() && PageControl1->isTabVisible(group)) {
        PageControl1->setCurrentIndex(group);
        activateWindow();
      }
    });
  }
  compareDialog_->SetDifferences(theirs, std::move(differences));
  compareDialog_->show();
  compareDialog_->raise();
  compareDialog_->activateWindow();
  compareDialog_->Table()->setFocus();
}

void TMainForm::UpdateCompareCommands() {
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuCompareUnit"))) {
    a->setEnabled(images_->unitImageValid);
  }
}

void TMainForm::ApplyAccessibleNames() {
  for (const AccessibleRow& r : kAccessibleNames) {
    if (auto* w = findChild<QWidget*>(QString::fromLatin1(r.object))) {
      w->setAccessibleName(Lang(r.name));
    }
  }
  if (activityDock_) activityDock_->ApplyLanguage();
  if (compareDialog_) compareDialog_->ApplyLanguage();
  UpdateGaugeAccessibility();
}

void TMainForm::UpdateGaugeAccessibility() {
  // A screen reader hears what the gauge shows: the operation and how far it is.
  const QString percent =
      QStringLiteral("%1 %").arg(CGaugeProgram->value() < 0 ? 0 : CGaugeProgram->value());
  const QString operation = LabelResult->text();
  CGaugeProgram->setAccessibleName(Lang(kProgress) + QStringLiteral(" ") + percent);
  CGaugeProgram->setAccessibleDescription(
      operation.isEmpty() ? percent : operation + QStringLiteral(" ") + percent);
}
