// The artwork drawn in code: the gears picture and the icon are real pictures of the given
// size and colours, and the teeth of meshing gears fall into each other's spaces.

#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <cmath>
#include <numbers>

#include "Artwork.h"

using namespace quenmar;

namespace {

// Pixels covered by `path`, rasterised at 4x.
int CoveredPixels(const QPainterPath& path, const QRectF& area) {
  QImage image((area.size() * 4).toSize(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.scale(4, 4);
  p.translate(-area.topLeft());
  p.fillPath(path, Qt::black);
  p.end();
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 128;
  return n;
}

QPainterPath PathOf(const GearShape& gear) {
  QPainterPath path;
  path.addPolygon(GearOutline(gear));
  path.closeSubpath();
  return path;
}

}  // namespace

class ArtworkTest : public QObject {
  Q_OBJECT
 private slots:
  void picturesAreDrawn();
  void meshingGearsDoNotClash_data();
  void meshingGearsDoNotClash();
};

void ArtworkTest::picturesAreDrawn() {
  const QImage gears = GearsImage();
  QCOMPARE(gears.size(), QSize(160, 135));
  QVERIFY(gears.colorCount() <= 16);
  QSet<QRgb> used;
  for (int y = 0; y < gears.height(); ++y)
    for (int x = 0; x < gears.width(); ++x) used.insert(gears.pixel(x, y));
  QVERIFY(used.size() >= 6);  // five gears in colours of their own, on white

  const QImage icon = ApplicationIconImage(32);
  int opaque = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) opaque += qAlpha(icon.pixel(x, y)) == 255;
  QVERIFY(opaque > 200);
  QVERIFY(!ApplicationIcon().pixmap(16).isNull());

  // The icon fits its square at every size the desktop asks for: no tooth is cut off, so
  // no pixel of the outermost ring is fully covered.
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QImage image = ApplicationIconImage(size);
    for (int i = 0; i < size; ++i)
      for (QPoint edge : {QPoint(i, 0), QPoint(i, size - 1), QPoint(0, i), QPoint(size - 1, i)})
        QVERIFY2(qAlpha(image.pixel(edge)) < 255,
                 qPrintable(QStringLiteral("size %1: edge pixel (%2, %3) is opaque")
                                .arg(size).arg(edge.x()).arg(edge.y())));
  }
}

void ArtworkTest::meshingGearsDoNotClash_data() {
  QTest::addColumn<int>("teeth1");
  QTest::addColumn<int>("teeth2");
  QTest::addColumn<double>("angleDegrees");
  QTest::newRow("26 and 14 at 150 degrees") << 26 << 14 << 150.0;
  QTest::newRow("26 and 11 below") << 26 << 11 << 268.0;
  QTest::newRow("14 and 9 at -38 degrees") << 14 << 9 << -38.0;
  QTest::newRow("equal gears side by side") << 18 << 18 << 0.0;
}

void ArtworkTest::meshingGearsDoNotClash() {
  QFETCH(int, teeth1);
  QFETCH(int, teeth2);
  QFETCH(double, angleDegrees);
  const double module = 6.0;
  GearShape driver{QPointF(200, 200), teeth1, module, 0.3};
  GearShape driven{QPointF(0, 0), teeth2, module, 0.0};
  const double distance = driver.pitchRadius() + driven.pitchRadius();
  const double a = angleDegrees * std::numbers::pi / 180.0;
  driven.centre = driver.centre + QPointF(distance * std::cos(a), -distance * std::sin(a));
  driven.rotation = MeshingRotation(driver, driven);

  const QRectF area(0, 0, 400, 400);
  const QPainterPath first = PathOf(driver);
  const QPainterPath second = PathOf(driven);
  const int overlap = CoveredPixels(first.intersected(second), area);
  // Turned by half a tooth, the same pair would clash tooth on tooth.
  GearShape clashing = driven;
  clashing.rotation += std::numbers::pi / teeth2;
  const int clash = CoveredPixels(first.intersected(PathOf(clashing)), area);
  QVERIFY2(overlap * 20 < clash, qPrintable(QString("overlap %1, clash %2").arg(overlap).arg(clash)));
  QVERIFY(clash > 0);
}

QTEST_MAIN(ArtworkTest)
#include "ArtworkTest.moc"
