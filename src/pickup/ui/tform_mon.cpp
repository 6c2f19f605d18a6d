#include "pickup/ui/tform_mon.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QWheelEvent>
#include <algorithm>
#include <string>
#include <utility>

#include "base/message_box.h"
#include "lang/lang_string.h"
#include "lang/ui/page_captions.h"
#include "params/atomic_file.h"

namespace {

using zeda::Colour;

// The colour boxes' list: the first item draws in the background colour, so what uses it
// disappears. The names here are the English ones the boxes are made with; the translation
// tables give every language's (by the boxes' names).
struct NamedColour {
  const char* name;
  Colour colour;
};
constexpr NamedColour kBoxColours[] = {
    {"(invisible)", 0x000000}, {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},        {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},      {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},        {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

// The nine boxes in slot order: object name, legend (three languages), start colour, row and
// column of the bottom strip.
struct BoxEntry {
  const char* name;
  const char* legend;
  Colour start;
  int row;
  int column;
};
constexpr BoxEntry kBoxes[zeda::kColourSlotCount] = {
    {"ComboBoxColorA1", "###Curve 1##Kurve 1##K\u0159ivka 1", 0xFFFFFF, 0, 0},
    {"ComboBoxColorA2", "###1 RISE##1 STEIGEND##1 N\u00c1B\u011a\u017dN\u00c1", 0x0000FF, 1, 0},
    {"ComboBoxColorA3", "###1 FALL##1 FALLEND##1 SESTUPN\u00c1", 0xFF0000, 2, 0},
    {"ComboBoxColorB1", "###Curve 2##Kurve 2##K\u0159ivka 2", 0x00FFFF, 0, 1},
    {"ComboBoxColorB2", "###2 RISE##2 STEIGEND##2 N\u00c1B\u011a\u017dN\u00c1", 0x800080, 1, 1},
    {"ComboBoxColorB3", "###2 FALL##2 FALLEND##2 SESTUPN\u00c1", 0xFF00FF, 2, 1},
    {"ComboBoxColorC1", "###Ignition##Z\u00fcndung##Zapalov\u00e1n\u00ed", 0xFFFFFF, 0, 2},
    {"ComboBoxColorC2", "###grid##Raster##m\u0159\u00ed\u017eka", 0x808080, 1, 2},
    {"ComboBoxColorC3", "###dimensions##Bema\u00dfung##k\u00f3ty", 0xFFFF00, 2, 2},
};

constexpr int kRowTop[3] = {65, 45, 25};  // distance of a box row's top from the bottom
// Wide enough for the longest colour name of the three languages; the legends fit between
// the columns down to the window's default width of 800.
constexpr int kBoxLeft = 225;
constexpr int kBoxColumnStep = 198;
constexpr int kBoxWidth = 104;
constexpr int kLegendGap = 6;
constexpr int kBoxHeight = 19;
constexpr int kMinClientWidth = 30;
constexpr int kMinClientHeight = 25;
constexpr int kMinWindowWidth = 300;
constexpr int kMinWindowHeight = 200;

const char kCaption[] = "###PickUp monitor##PickUp-Monitor##Monitor snímačů";
const char kPause[] = "###Pause##Pause##Pozastavit";
const char kContinue[] = "###Continue##Fortsetzen##Pokračovat";
const char kClearDim[] = "###Clear dimensions##Bemaßung löschen##Smazat kóty";
const char kSavePicture[] = "###Save picture##Bild speichern##Uložit obrázek";
const char kColourOf[] = "###Colour of %1##Farbe: %1##Barva: %1";
const char kSaveCapture[] = "###Save capture##Aufzeichnung speichern##Uložit záznam";
const char kNoCaptureYet[] =
    "###There is no capture yet: the unit has sent none since the monitor was opened. Check "
    "that it is connected and switched on, then save.##"
    "Noch keine Aufzeichnung: Die Einheit hat seit dem Öffnen des Monitors keine gesendet. "
    "Prüfen, ob sie verbunden und eingeschaltet ist, dann speichern.##"
    "Zatím není žádný záznam: jednotka od otevření monitoru žádný neposlala. Zkontrolujte, "
    "zda je připojena a zapnuta, a pak uložte.";
const char kOnlyDamaged[] =
    "###There is nothing to save: only damaged captures have arrived so far. Check the cable "
    "and its connections; if that does not help, the unit sends damaged captures.##"
    "Nichts zu speichern: Bisher sind nur beschädigte Aufzeichnungen angekommen. Kabel und "
    "Steckverbindungen prüfen; hilft das nicht, sendet die Einheit beschädigte "
    "Aufzeichnungen.##"
    "Není co uložit: zatím přišly jen poškozené záznamy. Zkontrolujte kabel a jeho spojení; "
    "pokud to nepomůže, jednotka posílá poškozené záznamy.";
const char kNotDrawn[] =
    "###There is nothing to save yet: the captures received so far hold too few engine cycles "
    "to be drawn. Let the engine run steadily, then save.##"
    "Noch nichts zu speichern: Die bisher empfangenen Aufzeichnungen enthalten zu wenige "
    "Motorzyklen, um gezeichnet zu werden. Motor gleichmäßig laufen lassen, dann speichern.##"
    "Zatím není co uložit: dosud přijaté záznamy obsahují příliš málo cyklů motoru, aby šly "
    "vykreslit. Nechte motor běžet rovnoměrně a pak uložte.";
const char kDamagedNotice[] =
    "###Captures arrive damaged, so no new picture can be drawn. Check the cable and its "
    "connections; if that does not help, the unit sends damaged captures.##"
    "Aufzeichnungen kommen beschädigt an, daher kann kein neues Bild gezeichnet werden. Kabel "
    "und Steckverbindungen prüfen; hilft das nicht, sendet die Einheit beschädigte "
    "Aufzeichnungen.##"
    "Záznamy přicházejí poškozené, proto nelze vykreslit nový obrázek. Zkontrolujte kabel a "
    "jeho spojení; pokud to nepomůže, jednotka posílá poškozené záznamy.";
const char kWaitingNotice[] =
    "###Waiting for the first capture from the unit. If none comes, check that the unit is "
    "connected and switched on.##"
    "Warten auf die erste Aufzeichnung der Einheit. Kommt keine, prüfen, ob die Einheit "
    "verbunden und eingeschaltet ist.##"
    "Čeká se na první záznam z jednotky. Pokud žádný nepřijde, zkontrolujte, zda je jednotka "
    "připojena a zapnuta.";

// The notice band lies between the ignition arrows (and a speed box moved under them) and
// the pick-up 1 trace.
constexpr int kNoticeTop = 124;
constexpr int kNoticePadding = 6;
constexpr int kSwatchSize = 12;

QString Text(const char* langString) { return QString::fromUtf8(zeda::LangText(langString)); }

QColor ToQColor(Colour c) {
  return QColor(zeda::ColourRed(c), zeda::ColourGreen(c), zeda::ColourBlue(c));
}

// Why a capture cannot be saved, in the user's words; empty when it can.
QString NothingToSaveText(zeda::NothingToSave why) {
  switch (why) {
    case zeda::NothingToSave::NoCaptureYet:
      return Text(kNoCaptureYet);
    case zeda::NothingToSave::OnlyDamaged:
      return Text(kOnlyDamaged);
    case zeda::NothingToSave::NotDrawn:
      return Text(kNotDrawn);
    default:
      return QString();
  }
}

int BoxIndexOf(Colour c) {
  for (int i = 0; i < static_cast<int>(std::size(kBoxColours)); ++i) {
    if (kBoxColours[i].colour == c) return i;
  }
  return -1;  // not in the list: no selection
}

}  // namespace

TFormMon::TFormMon(zeda::PickupCore& core, QWidget* parent)
    : QWidget(parent, Qt::Window), core_(core) {
  setObjectName(QStringLiteral("FormMon"));
  setWindowTitle(Text(kCaption));
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);  // CanResize
  resize(800, 600);
  setMouseTracking(true);
  setAutoFillBackground(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click on the picture must find a colour box still focused (it then only takes the
  // focus away), so the picture does not take the focus itself.
  setFocusPolicy(Qt::NoFocus);
  view_.placementX = 25;
  view_.placementY = 25;
  view_.margin = 20;

  auto button = [this](const char* name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(text);
    b->setFixedSize(100, 22);
    return b;
  };
  ButtonPause = button("ButtonPause", Text(kPause));
  ButtonClearDim = button("ButtonClearDim", Text(kClearDim));
  buttonSavePicture_ = button("ButtonSavePicture", Text(kSavePicture));
  buttonSaveCapture_ = button("ButtonSaveCapture", Text(kSaveCapture));
  connect(ButtonPause, &QPushButton::clicked, this, &TFormMon::ButtonPauseClick);
  connect(ButtonClearDim, &QPushButton::clicked, this, &TFormMon::ButtonClearDimClick);
  connect(buttonSavePicture_, &QPushButton::clicked, this, &TFormMon::ButtonSavePictureClick);
  connect(buttonSaveCapture_, &QPushButton::clicked, this, &TFormMon::ButtonSaveCaptureClick);

  for (int slot = 0; slot < zeda::kColourSlotCount; ++slot) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(kBoxes[slot].name));
    for (const NamedColour& c : kBoxColours) {
      QPixmap swatch(12, 12);
      swatch.fill(ToQColor(c.colour));
      box->addItem(QIcon(swatch), QString::fromLatin1(c.name));
    }
    box->setFixedSize(kBoxWidth, kBoxHeight);
    connect(box, &QComboBox::currentIndexChanged, this, [this] { BoxChange(); });
    boxes_[static_cast<size_t>(slot)] = box;
  }
  ApplyBoxTexts();
  PlaceControls();
}

void TFormMon::ApplyBoxTexts() {
  // The colour names from the translation tables, by the boxes' names.
  zeda::ApplyPageCaptions(this);
  for (int slot = 0; slot < zeda::kColourSlotCount; ++slot) {
    QComboBox* box = boxes_[static_cast<size_t>(slot)];
    // On Linux a combo box is read out by its current text; what it colours is its
    // description (the legend is drawn on the picture, not a label it could point to).
    const QString legend = Text(kBoxes[slot].legend);
    box->setAccessibleName(legend);
    box->setAccessibleDescription(Text(kColourOf).arg(legend));
  }
}

void TFormMon::SetStartColours() {
  guard_ = true;
  for (int slot = 0; slot < zeda::kColourSlotCount; ++slot) {
    colours_[static_cast<size_t>(slot)] = kBoxes[slot].start;
    boxes_[static_cast<size_t>(slot)]->setCurrentIndex(BoxIndexOf(kBoxes[slot].start));
  }
  guard_ = false;
}

void TFormMon::BoxChange() {
  if (guard_) return;
  for (int slot = 0; slot < zeda::kColourSlotCount; ++slot) {
    const int index = boxes_[static_cast<size_t>(slot)]->currentIndex();
    if (index >= 0) colours_[static_cast<size_t>(slot)] = kBoxColours[index].colour;
  }
  core_.SetRedrawNeeded();
}

void TFormMon::ShowPauseState() {
  ButtonPause->setText(Text(core_.Paused() ? kContinue : kPause));
  ButtonPause->setAccessibleName(ButtonPause->text());
}

void TFormMon::changeEvent(QEvent* e) {
  // The window switches language with the main window while it is open.
  if (e->type() == QEvent::LanguageChange) {
    setWindowTitle(Text(kCaption));
    ShowPauseState();
    const std::pair<QPushButton*, const char*> buttons[] = {{ButtonClearDim, kClearDim},
                                                            {buttonSavePicture_, kSavePicture},
                                                            {buttonSaveCapture_, kSaveCapture}};
    for (const auto& [b, text] : buttons) {
      b->setText(Text(text));
      b->setAccessibleName(b->text());
    }
    ApplyBoxTexts();
    core_.SetRedrawNeeded();  // the legends are drawn on the picture
  }
  QWidget::changeEvent(e);
}

void TFormMon::ButtonPauseClick() {
  core_.SetPaused(!core_.Paused());
  ShowPauseState();
}

void TFormMon::ButtonClearDimClick() {
  core_.Dimensions().Clear();
  Redraw();
}

void TFormMon::PlaceControls() {
  const int h = height();
  ButtonPause->move(10, h - 35);
  ButtonClearDim->move(10, h - 65);
  buttonSavePicture_->move(115, h - 65);
  buttonSaveCapture_->move(115, h - 35);
  for (int slot = 0; slot < zeda::kColourSlotCount; ++slot) {
    boxes_[static_cast<size_t>(slot)]->move(kBoxLeft + kBoxColumnStep * kBoxes[slot].column,
                                            h - kRowTop[kBoxes[slot].row]);
  }
}

void TFormMon::Redraw() {
  // 1-2. A picture of the client size, the controls along the bottom.
  const int w = std::max(width(), kMinClientWidth);
  const int h = std::max(height(), kMinClientHeight);
  if (picture_.size() != QSize(w, h)) {
    picture_ = QImage(w, h, QImage::Format_RGB32);
    PlaceControls();
  }
  // 3. Origins at zoom 1, and the view of the current events.
  view_.width = w;
  view_.height = h;
  view_.viewStart = core_.ViewStart();
  view_.viewEnd = core_.ViewEnd();
  view_.PlaceOrigins();
  // 4. Black; then the drawing.
  picture_.fill(Qt::black);
  core_.ClearRedrawNeeded();
  zeda::Dimension drawing;
  const bool withDrawing = DrawnDimension(&drawing);
  zeda::BuildScene(core_, view_, withDrawing ? &drawing : nullptr, scene_, Measure());
  PaintScene(picture_);
  update();
}

zeda::TextMeasure TFormMon::Measure() const {
  const QFontMetrics metrics(font());
  zeda::TextMeasure m;
  m.height = metrics.height();
  m.width = [metrics](const char* text) {
    return static_cast<int32_t>(metrics.horizontalAdvance(QString::fromUtf8(text)));
  };
  return m;
}

void TFormMon::PaintScene(QImage& image) const {
  QPainter p(&image);
  p.setFont(font());
  const QFontMetrics metrics = p.fontMetrics();
  const zeda::TextMeasure measure = Measure();
  auto colourOf = [this](int32_t c) {
    switch (c) {
      case zeda::kPaintFrame:
        return QColor(0x80, 0x80, 0x80);
      case zeda::kPaintWhite:
        return QColor(Qt::white);
      case zeda::kPaintBlack:
        return QColor(Qt::black);
      case zeda::kPaintRed:
        return QColor(Qt::red);
      default:
        return c >= 0 && c < zeda::kColourSlotCount ? ToQColor(colours_[static_cast<size_t>(c)])
                                                    : QColor(Qt::white);
    }
  };
  for (const zeda::DrawStep& s : scene_.steps) {
    const QColor colour = colourOf(s.colour);
    switch (s.kind) {
      case zeda::StepKind::Line:
        p.setPen(QPen(colour, s.pen, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(s.x1, s.y1, s.x2, s.y2);
        break;
      case zeda::StepKind::Rect:
        p.setPen(QPen(colour, s.pen));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(QPoint(s.x1, s.y1), QPoint(s.x2, s.y2)));
        break;
      case zeda::StepKind::Text: {
        const QString text = QString::fromUtf8(s.text);
        const zeda::TextBox b = zeda::TextBoxOf(s, measure);
        const int tw = b.right - b.left + 1;
        const int x = b.left;
        const QRect box(x, s.y1, tw, metrics.height());
        if (s.background != zeda::kPaintNone) p.fillRect(box, colourOf(s.background));
        p.setPen(colour);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
        if (s.degreeSign) {
          p.setBrush(Qt::NoBrush);
          p.drawEllipse(x + tw - 5, s.y1 + 1, 4, 4);
        }
        break;
      }
    }
  }
  // Legends to the right of their boxes, on the picture's black. Under each box (which
  // covers it in the window) its colour as a swatch and name, so a saved picture still
  // says which colour draws what.
  for (int slot = 0; slot < zeda::kColourSlotCount; ++slot) {
    const QComboBox* box = boxes_[static_cast<size_t>(slot)];
    const QRect swatch(box->x() + 3, box->y() + (box->height() - kSwatchSize) / 2, kSwatchSize,
                       kSwatchSize);
    p.fillRect(swatch, ToQColor(colours_[static_cast<size_t>(slot)]));
    p.setPen(QColor(0x80, 0x80, 0x80));  // "(invisible)" is black on black: keep its outline
    p.setBrush(Qt::NoBrush);
    p.drawRect(swatch.adjusted(-1, -1, 0, 0));
    p.setPen(Qt::white);
    p.drawText(QPoint(swatch.right() + 5, box->y() + 3 + metrics.ascent()), box->currentText());
    p.drawText(QPoint(box->x() + box->width() + kLegendGap, box->y() + 3 + metrics.ascent()),
               Text(kBoxes[slot].legend));
  }
  PaintNotice(p, scene_.notice);
}

QRect TFormMon::NoticeRect(const QString& text) const {
  const QFontMetrics metrics(font());
  const int width = std::max(view_.width - 2 * (view_.margin + kNoticePadding), 50);
  const QRect textRect =
      metrics.boundingRect(QRect(0, 0, width, 10000), Qt::AlignLeft | Qt::TextWordWrap, text);
  const int w = textRect.width() + 2 * kNoticePadding;
  return QRect((view_.width - w) / 2, kNoticeTop, w, textRect.height() + 2 * kNoticePadding);
}

void TFormMon::PaintNotice(QPainter& p, zeda::SceneNotice notice) const {
  if (notice == zeda::SceneNotice::None) return;
  const QString text =
      Text(notice == zeda::SceneNotice::DamagedCaptures ? kDamagedNotice : kWaitingNotice);
  const QRect box = NoticeRect(text);
  // Damage is a fault to mend, waiting only a state: red for the one, gray for the other.
  p.fillRect(box, notice == zeda::SceneNotice::DamagedCaptures ? QColor(0x80, 0, 0)
                                                               : QColor(0x40, 0x40, 0x40));
  p.setPen(Qt::white);
  p.drawText(box.adjusted(kNoticePadding, kNoticePadding, -kNoticePadding, -kNoticePadding),
             Qt::AlignLeft | Qt::TextWordWrap, text);
}

QString TFormMon::NoticeText() const {
  switch (scene_.notice) {
    case zeda::SceneNotice::DamagedCaptures:
      return Text(kDamagedNotice);
    case zeda::SceneNotice::WaitingForCapture:
      return Text(kWaitingNotice);
    default:
      return QString();
  }
}

void TFormMon::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (picture_.isNull()) {
    p.fillRect(rect(), Qt::black);
    return;
  }
  p.drawImage(0, 0, picture_);
  if (picture_.width() < width() || picture_.height() < height()) {
    p.fillRect(QRect(picture_.width(), 0, width() - picture_.width(), height()), Qt::black);
    p.fillRect(QRect(0, picture_.height(), width(), height() - picture_.height()), Qt::black);
  }
}

bool TFormMon::BoxHasFocus(int* which) const {
  for (int slot = 0; slot < zeda::kColourSlotCount; ++slot) {
    if (boxes_[static_cast<size_t>(slot)]->hasFocus()) {
      *which = slot;
      return true;
    }
  }
  return false;
}

void TFormMon::wheelEvent(QWheelEvent* e) {
  int box = 0;
  if (BoxHasFocus(&box)) return;
  const int step = e->angleDelta().y();
  if (step == 0) return;
  const QPoint at = e->position().toPoint();
  view_.Wheel(at.x(), at.y(), step);
  viewChanged_ = true;
  e->accept();
}

void TFormMon::mousePressEvent(QMouseEvent* e) {
  int box = 0;
  if (BoxHasFocus(&box)) {
    // A click takes the focus off the box and does nothing else.
    if (box == zeda::kColourSlotCount - 1) {
      ButtonPause->setFocus();
    } else {
      setFocus();
    }
    return;
  }
  if (e->button() == Qt::MiddleButton) {
    panning_ = true;
    panLast_ = e->pos();
    return;
  }
  const int bit =
      e->button() == Qt::LeftButton ? kLeft : (e->button() == Qt::RightButton ? kRight : 0);
  if (!bit) return;
  if (bit == kRight && !(buttons_ & kLeft)) {
    // Over a dimension's text: remove that dimension.
    const int hit = DimensionUnder(e->pos());
    if (hit >= 0) {
      core_.Dimensions().Remove(hit);
      core_.SetRedrawNeeded();
    }
  }
  buttons_ |= bit;
  buttonsSinceCommit_ |= bit;
  if (bit == kLeft || !(buttons_ & kLeft)) {
    dragStart_ = e->pos();
    dragNow_ = e->pos();
  }
  core_.SetRedrawNeeded();
}

void TFormMon::mouseMoveEvent(QMouseEvent* e) {
  if (panning_) {
    const QPoint d = e->pos() - panLast_;
    panLast_ = e->pos();
    view_.Pan(d.x(), d.y());
    viewChanged_ = true;
    return;
  }
  if (buttons_) {
    dragNow_ = e->pos();
    viewChanged_ = true;
  }
}

void TFormMon::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton) {
    panning_ = false;
    return;
  }
  const int bit =
      e->button() == Qt::LeftButton ? kLeft : (e->button() == Qt::RightButton ? kRight : 0);
  if (!bit) return;
  if (bit == kLeft) {
    zeda::Dimension d;
    if (DrawnDimension(&d)) core_.Dimensions().Keep(d);  // an eleventh is not kept
  }
  buttons_ &= ~bit;
  if (!buttons_) buttonsSinceCommit_ = 0;
  viewChanged_ = true;
}

void TFormMon::leaveEvent(QEvent*) {
  buttons_ = 0;
  buttonsSinceCommit_ = 0;
  panning_ = false;
  viewChanged_ = true;
}

void TFormMon::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  if (!e->spontaneous()) core_.SetShown(false);
}

bool TFormMon::DrawnDimension(zeda::Dimension* d) const {
  // The left button pressed since the last commit, and not dropped with the right one.
  if (!(buttonsSinceCommit_ & kLeft) || !(buttons_ & kLeft)) return false;
  if (buttonsSinceCommit_ & kRight) return false;
  const int shift = view_.YShift();
  return core_.Dimensions().Preview(core_.Events(), view_, dragStart_.x(), dragStart_.y() - shift,
                                    dragNow_.x(), dragNow_.y() - shift, d);
}

int TFormMon::DimensionUnder(QPoint at) const {
  const QFontMetrics metrics(font());
  const zeda::DimensionSet& dims = core_.Dimensions();
  for (int i = dims.Count() - 1; i >= 0; --i) {
    int32_t cx = 0;
    int32_t top = 0;
    zeda::DimensionLabelAnchor(core_, view_, dims.At(i), true, &cx, &top);
    char label[24];
    zeda::DimensionLabel(dims.At(i), core_.Synchronised(), label, sizeof label);
    const int tw = metrics.horizontalAdvance(QString::fromUtf8(label)) + 6;
    if (at.x() >= cx - tw / 2 && at.x() <= cx + tw / 2 && at.y() >= top && at.y() <= top + 20) {
      return i;
    }
  }
  return -1;
}

bool TFormMon::SavePictureTo(const QString& path, QString* error) const {
  if (picture_.isNull()) {
    *error = NothingToSaveText(zeda::NothingToSave::NoCaptureYet);
    return false;
  }
  // QSaveFile writes a temporary file and renames it over the target only when complete.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !picture_.save(&file, "PNG") || !file.commit()) {
    *error = QStringLiteral("The picture could not be written to %1 (%2). Choose another folder.")
                 .arg(path, file.errorString());
    return false;
  }
  return true;
}

bool TFormMon::SaveCaptureTo(const QString& path, QString* error) const {
  // The capture of the picture on screen, also while paused: never a newer one.
  const zeda::NothingToSave why = core_.WhyNothingToSave();
  if (why != zeda::NothingToSave::No) {
    *error = NothingToSaveText(why);
    return false;
  }
  std::string reason;
  if (!zeda::WriteFileAtomic(path.toStdString(), zeda::CaptureCsv(core_.ShownCapture()), &reason)) {
    *error = QStringLiteral("The capture could not be written to %1 (%2). Choose another folder.")
                 .arg(path, QString::fromStdString(reason));
    return false;
  }
  return true;
}

void TFormMon::ShowSaveError(const QString& error) {
  zeda::ShowMessage(error.toStdString(), Text(kCaption).toStdString(), zeda::MessageKind::Warning);
}

void TFormMon::ButtonSavePictureClick() {
  if (picture_.isNull()) {
    ShowSaveError(NothingToSaveText(zeda::NothingToSave::NoCaptureYet));
    return;
  }
  const QString filter = QStringLiteral("PNG (*.png)");
  const QString path = chooser_
                           ? chooser_(filter, QStringLiteral("pickup.png"))
                           : QFileDialog::getSaveFileName(this, Text(kSavePicture),
                                                          QStringLiteral("pickup.png"), filter);
  if (path.isEmpty()) return;
  QString error;
  if (!SavePictureTo(path, &error)) ShowSaveError(error);
}

void TFormMon::ButtonSaveCaptureClick() {
  // Say why nothing can be saved before asking for a file name that would not be used.
  const zeda::NothingToSave why = core_.WhyNothingToSave();
  if (why != zeda::NothingToSave::No) {
    ShowSaveError(NothingToSaveText(why));
    return;
  }
  const QString filter = QStringLiteral("CSV (*.csv)");
  const QString path = chooser_
                           ? chooser_(filter, QStringLiteral("pickup.csv"))
                           : QFileDialog::getSaveFileName(this, Text(kSaveCapture),
                                                          QStringLiteral("pickup.csv"), filter);
  if (path.isEmpty()) return;
  QString error;
  if (!SaveCaptureTo(path, &error)) ShowSaveError(error);
}
