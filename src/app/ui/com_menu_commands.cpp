// The COM menu: built from the ports present, its choice sets the port the link uses.
// Main (UI) thread.
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/com_menu.h"
#include "app/ui/main_form.h"
#include "base/status_sink.h"
#include "base/trace.h"
#include "link/ccomcom.h"
#include "link/device_ops.h"

bool TMainForm::portListChanged() { return link_ && link_->portListChanged; }

void TMainForm::RebuildComMenu() {
  auto* menu = findChild<QMenu*>(QStringLiteral("MenuCom"));
  if (!menu || !link_) return;
  link_->portListChanged = false;
  if (!link_->portsScanned) link_->ScanPorts();

  std::vector<zeda::ComMenuPort> ports;
  for (int com = 1; com < zeda::kPortCount; ++com) {
    if (!link_->Port(com).present) continue;
    zeda::ComMenuPort port;
    port.com = com;
    if (const zeda::PortEntry* entry = link_->Ports().Find(com)) {
      port.device = entry->name;
      port.description = entry->description;
    }
    ports.push_back(std::move(port));
  }
  const int32_t connected = deviceOps_ ? deviceOps_->ConnectedPortNumber() : 0;
  comMenuItems_ = zeda::BuildComMenu(ports, link_->comSetting, connected);

  menu->clear();
  QActionGroup* radios = nullptr;
  for (std::size_t i = 0; i < comMenuItems_.size(); ++i) {
    const zeda::ComMenuItem& item = comMenuItems_[i];
    QAction* action = item.kind == zeda::ComItemKind::Separator
                          ? menu->addSeparator()
                          : menu->addAction(QString::fromStdString(item.caption));
    action->setObjectName(QStringLiteral("MenuCom%1").arg(i));
    if (item.kind == zeda::ComItemKind::Separator) continue;
    action->setCheckable(item.kind != zeda::ComItemKind::NoPorts);
    action->setChecked(item.checked);
    action->setEnabled(item.enabled);
    if (item.radio) {
      if (!radios) radios = new QActionGroup(action);
      radios->addAction(action);
    }
    const int index = static_cast<int>(i);
    connect(action, &QAction::triggered, this, [this, index] { MenuCom1Click(index); });
  }

  // Without any port the user learns what to look at: the cable, and on Linux the right
  // to open serial devices.
  const bool noPort = ports.empty();
  if (noPort && !noPortHintShown_ && !connected) {
    ShowStatus(zeda::StatusSlot::kConnection, zeda::kNoSerialPortHint, zeda::kNoExpiry,
               zeda::kColourBlack, zeda::kColourRed, zeda::kPriorityPortHint);
  }
  noPortHintShown_ = noPort;
}

void TMainForm::MenuCom1Click(int item) {
  if (item < 0 || item >= static_cast<int>(comMenuItems_.size()) || !link_) return;
  const int32_t connected = deviceOps_ ? deviceOps_->ConnectedPortNumber() : 0;
  const zeda::ComChoice choice = zeda::ChooseComItem(comMenuItems_[static_cast<std::size_t>(item)],
                                                     link_->comSetting, connected);
  if (!choice.changed) return;
  link_->comSetting = choice.comSetting;
  zeda::LinkTraceSink().Trace("NEW PORT");
  appSettings.comPort = choice.comSetting;
  SaveAppSettings();
  if (deviceOps_ && !deviceOps_->LinkEnabled()) deviceOps_->TakeBackPort();
  // Another port than the unit's: the search goes there next.
  if (choice.disconnect) Disconnect();
  RebuildComMenu();
}
