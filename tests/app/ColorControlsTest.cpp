// The colour edit and the colour button as they are painted: pixels of grabbed widgets.

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include "ColorButton.h"
#include "ColorEdit.h"

namespace {

// Frame colours the button reads from the system when it is made; distinct, so that every
// ring and edge can be told apart.
const QColor kHighlight(250, 250, 250);
const QColor kLight(220, 220, 220);
const QColor kShadow(110, 110, 110);
const QColor kDarkShadow(20, 20, 20);
const QColor kFace(192, 192, 192);
const QColor kDisabledFace(255, 255, 255);

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// Colours found strictly inside `r`.
QSet<QRgb> ColoursIn(const QImage& image, const QRect& r) {
  QSet<QRgb> found;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) found.insert(image.pixel(x, y) & 0xffffff);
  return found;
}

}  // namespace

class ColorControlsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void raisedButton();
  void focusedButton();
  void pressedButtonKeepsCaptionInPlace();
  void disabledButtonIsEngraved();
  void colorEditKeepsItsPair_data();
  void colorEditKeepsItsPair();

 private:
  struct Fixture {
    QWidget window;
    CColorButton* button;
    QLineEdit* other;
  };
  static std::unique_ptr<Fixture> Make();
};

void ColorControlsTest::initTestCase() {
  QPalette system = QApplication::palette();
  system.setColor(QPalette::Light, kHighlight);
  system.setColor(QPalette::Midlight, kLight);
  system.setColor(QPalette::Dark, kShadow);
  system.setColor(QPalette::Shadow, kDarkShadow);
  QApplication::setPalette(system);
}

std::unique_ptr<ColorControlsTest::Fixture> ColorControlsTest::Make() {
  auto f = std::make_unique<Fixture>();
  f->button = new CColorButton(QStringLiteral("Push To SOLVE"), &f->window);
  f->button->setGeometry(10, 10, 120, 30);
  f->button->SetColors(QColor(0, 0, 0), kFace, kDisabledFace);
  f->other = new QLineEdit(&f->window);
  f->other->setGeometry(10, 50, 120, 20);
  f->window.resize(150, 80);
  f->window.show();
  return f;
}

void ColorControlsTest::raisedButton() {
  auto f = Make();
  QVERIFY(QTest::qWaitForWindowActive(&f->window));
  f->other->setFocus();
  const QImage img = f->button->grab().toImage();
  const int r = img.width() - 1, b = img.height() - 1;
  // Outer ring: top and left highlight, bottom and right dark shadow; the top-right and
  // bottom-left corners belong to the right and bottom edges.
  QCOMPARE(At(img, 0, 0), kHighlight);
  QCOMPARE(At(img, 5, 0), kHighlight);
  QCOMPARE(At(img, 0, 5), kHighlight);
  QCOMPARE(At(img, 5, b), kDarkShadow);
  QCOMPARE(At(img, r, 5), kDarkShadow);
  QCOMPARE(At(img, r, 0), kDarkShadow);
  QCOMPARE(At(img, 0, b), kDarkShadow);
  // Inner ring: light and shadow.
  QCOMPARE(At(img, 5, 1), kLight);
  QCOMPARE(At(img, 1, 5), kLight);
  QCOMPARE(At(img, 5, b - 1), kShadow);
  QCOMPARE(At(img, r - 1, 5), kShadow);
  QCOMPARE(At(img, r - 1, 1), kShadow);
  // Face, and a black caption on it, no focus rectangle.
  QCOMPARE(At(img, 2, 2), kFace);
  QCOMPARE(At(img, 4, 4), kFace);
  const QSet<QRgb> inside = ColoursIn(img, img.rect().adjusted(2, 2, -2, -2));
  QVERIFY(inside.contains(qRgb(0, 0, 0) & 0xffffff));
}

void ColorControlsTest::focusedButton() {
  auto f = Make();
  QVERIFY(QTest::qWaitForWindowActive(&f->window));
  f->button->setFocus();
  QVERIFY(f->button->hasFocus());
  QImage img = f->button->grab().toImage();
  const int r = img.width() - 1, b = img.height() - 1;
  const QColor black(0, 0, 0);
  QCOMPARE(At(img, 0, 0), black);
  QCOMPARE(At(img, r, b), black);
  QCOMPARE(At(img, 5, 1), kHighlight);
  QCOMPARE(At(img, 5, b - 1), kDarkShadow);
  QCOMPARE(At(img, 5, 2), kLight);
  QCOMPARE(At(img, r - 2, 5), kShadow);
  // The dotted focus rectangle, 4 pixels in: every other pixel differs from the face.
  int dotted = 0, plain = 0;
  for (int x = 4; x <= r - 4; ++x) (At(img, x, 4) == kFace ? plain : dotted)++;
  QVERIFY(dotted > 0 && plain > 0);
  QVERIFY(qAbs(dotted - plain) <= 1);
  QVERIFY(At(img, 4, b - 4) != kFace || At(img, 5, b - 4) != kFace);
  QCOMPARE(At(img, 3, 3), kFace);
  // The focus moves on: the plain raised frame again.
  f->other->setFocus();
  img = f->button->grab().toImage();
  QCOMPARE(At(img, 0, 0), kHighlight);
  for (int x = 4; x <= 10; ++x) QCOMPARE(At(img, x, 4), kFace);
}

void ColorControlsTest::pressedButtonKeepsCaptionInPlace() {
  auto f = Make();
  QVERIFY(QTest::qWaitForWindowActive(&f->window));
  f->other->setFocus();
  const QImage raised = f->button->grab().toImage();
  f->button->setDown(true);
  const QImage pressed = f->button->grab().toImage();
  const int r = pressed.width() - 1, b = pressed.height() - 1;
  for (const QPoint p : {QPoint(0, 0), QPoint(5, 0), QPoint(0, 5), QPoint(r, b), QPoint(5, b), QPoint(r, 0)})
    QCOMPARE(At(pressed, p.x(), p.y()), kDarkShadow);
  for (const QPoint p : {QPoint(1, 1), QPoint(5, 1), QPoint(1, 5), QPoint(r - 1, b - 1), QPoint(5, b - 1)})
    QCOMPARE(At(pressed, p.x(), p.y()), kShadow);
  const QRect inside = raised.rect().adjusted(2, 2, -2, -2);
  QCOMPARE(pressed.copy(inside), raised.copy(inside));
}

void ColorControlsTest::disabledButtonIsEngraved() {
  auto f = Make();
  f->button->setEnabled(false);
  const QImage img = f->button->grab().toImage();
  QCOMPARE(At(img, 2, 2), kDisabledFace);
  QCOMPARE(At(img, 0, 0), kHighlight);
  const QSet<QRgb> inside = ColoursIn(img, img.rect().adjusted(2, 2, -2, -2));
  QVERIFY(inside.contains(qRgb(128, 128, 128) & 0xffffff));
  QVERIFY(!inside.contains(qRgb(0, 0, 0) & 0xffffff));

  // On a grey face the white shadow of the engraving shows, one pixel right and down.
  f->button->SetColors(QColor(0, 0, 0), kFace, kFace);
  const QImage grey = f->button->grab().toImage();
  QVERIFY(ColoursIn(grey, grey.rect().adjusted(2, 2, -2, -2)).contains(qRgb(255, 255, 255) & 0xffffff));
}

void ColorControlsTest::colorEditKeepsItsPair_data() {
  QTest::addColumn<QString>("after");
  QTest::newRow("as made") << "made";
  QTest::newRow("read-only") << "readonly";
  QTest::newRow("while typing") << "typing";
  QTest::newRow("after a write") << "write";
  QTest::newRow("hidden and shown again") << "hideshow";
  QTest::newRow("parent palette changed") << "palette";
  QTest::newRow("disabled") << "disabled";
}

void ColorControlsTest::colorEditKeepsItsPair() {
  QFETCH(QString, after);
  const QColor white(255, 255, 255), black(0, 0, 0);
  QWidget window;
  auto* edit = new CColorEdit(white, black, &window);
  edit->setGeometry(5, 5, 120, 24);
  window.resize(130, 40);
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  edit->setText(QStringLiteral("888"));
  if (after == "readonly") edit->setReadOnly(true);
  if (after == "typing") {
    edit->setFocus();
    QTest::keyClicks(edit, "88");
  }
  if (after == "write") edit->setText(QStringLiteral("8888"));
  if (after == "hideshow") {
    edit->hide();
    edit->show();
  }
  if (after == "palette") {
    QPalette p = window.palette();
    p.setColor(QPalette::Base, QColor(255, 255, 0));
    p.setColor(QPalette::Text, QColor(0, 0, 255));
    window.setPalette(p);
  }
  if (after == "disabled") edit->setEnabled(false);

  QCOMPARE(edit->TextColor(), white);
  QCOMPARE(edit->BackColor(), black);
  const QImage img = edit->grab().toImage();
  // The middle of the field is black, and the digits are drawn in white.
  QCOMPARE(At(img, img.width() - 6, img.height() / 2), black);
  const QSet<QRgb> colours = ColoursIn(img, img.rect().adjusted(3, 3, -3, -3));
  QVERIFY(colours.contains(qRgb(255, 255, 255) & 0xffffff));
  QVERIFY(!colours.contains(qRgb(255, 255, 0) & 0xffffff));
}

QTEST_MAIN(ColorControlsTest)
#include "ColorControlsTest.moc"
