#pragma once
// CColorButton: a push button that draws itself in colours of its own: a solid face, a
// three-dimensional frame of one-pixel rings, the caption centred on one line, and a
// dotted focus rectangle. The frame colours come from the system palette as it is when
// the button is made; text, face and disabled face can be changed with SetColors.

#include <QColor>
#include <QPushButton>
#include <QRect>

class QPainter;

class CColorButton : public QPushButton {
  Q_OBJECT
 public:
  explicit CColorButton(QWidget* parent = nullptr);
  explicit CColorButton(const QString& text, QWidget* parent = nullptr);

  // Stores the three colours and has the whole button repainted.
  void SetColors(const QColor& text, const QColor& face, const QColor& faceDisabled);

  QColor TextColor() const { return m_crText; }
  QColor FaceColor() const { return m_crFace; }
  QColor DisabledFaceColor() const { return m_crFaceDisabled; }

  // The state of one drawing request.
  struct DrawState {
    bool selected = false;  // held down
    bool disabled = false;
    bool focused = false;
    bool isDefault = false;
  };
  // Paints the button on `painter` over `item` in the given state.
  void DrawItem(QPainter& painter, const QRect& item, const DrawState& state) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawFrame(QPainter& painter, QRect rect, const DrawState& state) const;

  QColor m_crText;
  QColor m_crFace;
  QColor m_crFaceDisabled;
  QColor m_crLight;
  QColor m_crHighlight;
  QColor m_crShadow;
  QColor m_crDarkShadow;
};
