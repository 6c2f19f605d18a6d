#pragma once
// The pickup monitor's window: the oscilloscope picture of the two pick-up signals and
// the ignitions, the nine colour boxes with their legends, pause, clearing of the
// dimensions, and saving the picture (PNG) or the raw capture (CSV) shown. A notice on the
// picture says when captures arrive damaged or none has come yet.
//
// The picture is drawn into an offscreen image at each Redraw and painted from there.
// Mouse: the wheel zooms around the pointer, the middle button pans, the left button
// draws a dimension between two events (the right button while drawing drops it, over
// a dimension's text removes that one). Main thread only.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

#include "base/colours.h"
#include "pickup/pickup_core.h"
#include "pickup/pickup_scene.h"
#include "pickup/pickup_view.h"

class QComboBox;
class QPainter;
class QPushButton;

class TFormMon : public QWidget {
  Q_OBJECT

 public:
  explicit TFormMon(zeda::PickupCore& core, QWidget* parent = nullptr);

  // Prepares and draws the picture (the core's redraw-needed flag is cleared).
  void Redraw();
  // Whether the user changed the view (wheel, drag, release, leave) since the last call.
  bool TakeViewChanged() {
    const bool changed = viewChanged_;
    viewChanged_ = false;
    return changed;
  }
  // Start colours into the slots and the boxes.
  void SetStartColours();
  // The pause caption follows the core's state.
  void ShowPauseState();

  const QImage& Picture() const { return picture_; }
  const zeda::ViewGeometry& View() const { return view_; }
  const zeda::Scene& LastScene() const { return scene_; }
  // The notice the picture shows (empty when none), and where.
  QString NoticeText() const;
  QRect NoticeRect(const QString& text) const;
  zeda::Colour SlotColour(int slot) const { return colours_[static_cast<size_t>(slot)]; }

  // Saving; false with a message saying what went wrong.
  bool SavePictureTo(const QString& path, QString* error) const;
  bool SaveCaptureTo(const QString& path, QString* error) const;
  // Chooses the file to save to (a dialog; tests install their own).
  using PathChooser = std::function<QString(const QString& filter, const QString& suggested)>;
  void SetPathChooser(PathChooser chooser) { chooser_ = std::move(chooser); }

  // Form handlers.
  void ButtonPauseClick();
  void ButtonClearDimClick();
  void ButtonSavePictureClick();
  void ButtonSaveCaptureClick();
  void BoxChange();

 protected:
  void paintEvent(QPaintEvent* e) override;  // FormPaint
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  enum MouseBit { kLeft = 1, kRight = 2 };
  void PlaceControls();
  // The colour names, the legends and the boxes' screen reader texts in the current language.
  void ApplyBoxTexts();
  bool BoxHasFocus(int* which) const;
  void PaintScene(QImage& image) const;
  void PaintNotice(QPainter& p, zeda::SceneNotice notice) const;
  // Text sizes in the window's font, for laying out the picture.
  zeda::TextMeasure Measure() const;
  // The dimension being drawn, if the drag makes one.
  bool DrawnDimension(zeda::Dimension* d) const;
  int DimensionUnder(QPoint p) const;
  void ShowSaveError(const QString& error);

  zeda::PickupCore& core_;
  QImage picture_;
  zeda::ViewGeometry view_;
  zeda::Scene scene_;
  std::array<zeda::Colour, zeda::kColourSlotCount> colours_{};
  std::array<QComboBox*, zeda::kColourSlotCount> boxes_{};
  QPushButton* ButtonPause = nullptr;
  QPushButton* ButtonClearDim = nullptr;
  QPushButton* buttonSavePicture_ = nullptr;
  QPushButton* buttonSaveCapture_ = nullptr;
  bool panning_ = false;
  QPoint panLast_;
  int buttons_ = 0;
  int buttonsSinceCommit_ = 0;
  QPoint dragStart_;
  QPoint dragNow_;
  bool viewChanged_ = false;
  bool guard_ = false;
  PathChooser chooser_;
};
