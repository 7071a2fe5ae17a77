#include "Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>
#include <vector>

#include "ResourceIds.h"

namespace quenmar {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kPressureAngle = 20.0 * kPi / 180.0;

double Involute(double alpha) { return std::tan(alpha) - alpha; }

QPointF Polar(const QPointF& centre, double radius, double angle) {
  return centre + QPointF(radius * std::cos(angle), -radius * std::sin(angle));
}

// The 16 colours of the standard palette.
const QList<QRgb>& StandardPalette() {
  static const QList<QRgb> colours = {
      qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
      qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
      qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
      qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
  return colours;
}

struct GearLook {
  QColor body;
  QColor edge;
  QColor hub;
  QColor bore;
  int holes = 0;  // lightening holes in the web (larger gears)
};

void DrawGear(QPainter& p, const GearShape& gear, const GearLook& look) {
  QPainterPath body;
  body.addPolygon(GearOutline(gear));
  body.closeSubpath();
  const double rp = gear.pitchRadius();
  const double boreRadius = std::max(1.5, rp * 0.16);
  const double hubRadius = std::max(boreRadius + 2.0, rp * 0.34);
  QPainterPath bore;
  bore.addEllipse(gear.centre, boreRadius, boreRadius);

  p.setPen(QPen(look.edge, 1.0));
  p.setBrush(look.body);
  p.drawPath(body.subtracted(bore));

  // Lightening holes between the hub and the rim.
  if (look.holes > 0) {
    const double ring = (hubRadius + gear.rootRadius()) / 2.0;
    const double holeRadius = std::max(1.5, (gear.rootRadius() - hubRadius) * 0.32);
    p.setBrush(look.bore);
    for (int i = 0; i < look.holes; ++i) {
      const double a = gear.rotation + (i + 0.5) * 2.0 * kPi / look.holes;
      p.drawEllipse(Polar(gear.centre, ring, a), holeRadius, holeRadius);
    }
  }
  // Hub with its keyway, then the bore.
  p.setBrush(look.hub);
  p.drawEllipse(gear.centre, hubRadius, hubRadius);
  p.setBrush(look.bore);
  p.drawEllipse(gear.centre, boreRadius, boreRadius);
  const double keyWidth = std::max(1.0, boreRadius * 0.5);
  const QPointF keyOut = Polar(gear.centre, boreRadius + keyWidth * 0.8, gear.rotation + kPi / 2.0);
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(keyOut - QPointF(keyWidth / 2.0, keyWidth / 2.0), QSizeF(keyWidth, keyWidth)));
}

}  // namespace

QPolygonF GearOutline(const GearShape& gear) {
  const int n = std::max(gear.teeth, 4);
  const double rp = gear.pitchRadius();
  const double rb = rp * std::cos(kPressureAngle);
  const double ra = gear.outerRadius();
  const double rf = std::max(gear.rootRadius(), rp * 0.3);
  const double pitchAngle = 2.0 * kPi / n;
  // Half the tooth's angular thickness at a radius r, for r on the involute.
  const double halfAtPitch = pitchAngle / 4.0 + Involute(kPressureAngle);
  auto halfThickness = [&](double r) {
    const double alpha = std::acos(std::clamp(rb / r, -1.0, 1.0));
    return halfAtPitch - Involute(alpha);
  };
  const double flankStart = std::max(rb, rf);
  constexpr int kFlankSteps = 6;

  QPolygonF outline;
  for (int k = 0; k < n; ++k) {
    const double c = gear.rotation + k * pitchAngle;
    // Root, then the leading flank from the root to the tip.
    const double rootHalf = halfThickness(flankStart);
    outline << Polar(gear.centre, rf, c - rootHalf);
    for (int s = 0; s <= kFlankSteps; ++s) {
      const double r = flankStart + (ra - flankStart) * s / kFlankSteps;
      outline << Polar(gear.centre, r, c - halfThickness(r));
    }
    for (int s = kFlankSteps; s >= 0; --s) {
      const double r = flankStart + (ra - flankStart) * s / kFlankSteps;
      outline << Polar(gear.centre, r, c + halfThickness(r));
    }
    outline << Polar(gear.centre, rf, c + rootHalf);
    // Along the root circle to the next tooth.
    const double nextRoot = c + pitchAngle - rootHalf;
    for (int s = 1; s < 3; ++s) outline << Polar(gear.centre, rf, c + rootHalf + (nextRoot - c - rootHalf) * s / 3.0);
  }
  return outline;
}

double MeshingRotation(const GearShape& driver, const GearShape& driven) {
  const QPointF d = driven.centre - driver.centre;
  const double beta = std::atan2(-d.y(), d.x());  // direction from driver to driven
  const double driverPitch = 2.0 * kPi / driver.teeth;
  double phase = std::fmod((beta - driver.rotation) / driverPitch, 1.0);
  if (phase < 0) phase += 1.0;
  // A tooth of one faces a space of the other; the offsets mirror across the line of
  // centres because the gears turn in opposite senses.
  return beta + kPi - (0.5 - phase) * 2.0 * kPi / driven.teeth;
}

void PaintApplicationIcon(QPainter& p, double size) {
  // Laid out in units of a 32-pixel icon: the small gear meshes below the large one, to its right.
  GearShape big{QPointF(12.5, 13.0), 14, 1.45, 0.1};
  GearShape small{QPointF(0, 0), 9, 1.45, 0.0};
  const double distance = big.pitchRadius() + small.pitchRadius();
  const double angle = -38.0 * kPi / 180.0;
  small.centre = big.centre + QPointF(distance * std::cos(angle), -distance * std::sin(angle));
  small.rotation = MeshingRotation(big, small);

  // The pair is wider than the square: fit its tip circles inside with a pixel to spare at
  // every edge (the outline's pen and its antialiasing), so no size cuts a tooth off.
  auto tips = [](const GearShape& g) {
    const double r = g.outerRadius();
    return QRectF(g.centre - QPointF(r, r), QSizeF(2 * r, 2 * r));
  };
  const QRectF bounds = tips(big) | tips(small);
  constexpr double kEdgePixels = 1.0;
  const double s = std::min(size / 32.0, (size - 2 * kEdgePixels) / std::max(bounds.width(), bounds.height()));
  const QPointF offset = QPointF(size / 2.0, size / 2.0) - bounds.center() * s;
  for (GearShape* g : {&big, &small}) {
    g->centre = offset + g->centre * s;
    g->module *= s;
  }
  DrawGear(p, big, GearLook{QColor(70, 110, 170), QColor(20, 40, 80), QColor(150, 180, 220), QColor(255, 255, 255), 0});
  DrawGear(p, small, GearLook{QColor(220, 170, 40), QColor(110, 70, 0), QColor(250, 220, 130), QColor(255, 255, 255), 0});
}

QImage ApplicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  PaintApplicationIcon(p, size);
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
  return icon;
}

QImage GearsImage() {
  QImage image(160, 135, QImage::Format_RGB32);
  image.fill(QColor(255, 255, 255));
  QPainter p(&image);
  // Flat colours only, so the picture keeps to the 16 colours exactly.
  p.setRenderHint(QPainter::Antialiasing, false);

  const double m = 2.6;
  GearShape centre{QPointF(74, 68), 26, m, 0.0};
  struct Around {
    int teeth;
    double angleDegrees;
  };
  const Around around[] = {{14, 150}, {18, 35}, {11, 268}, {16, 320}};
  const GearLook big{QColor(192, 192, 192), QColor(0, 0, 0), QColor(128, 128, 128), QColor(255, 255, 255), 5};
  const GearLook looks[] = {
      {QColor(0, 128, 128), QColor(0, 0, 0), QColor(192, 192, 192), QColor(255, 255, 255), 0},
      {QColor(0, 0, 128), QColor(0, 0, 0), QColor(192, 192, 192), QColor(255, 255, 255), 4},
      {QColor(128, 0, 0), QColor(0, 0, 0), QColor(192, 192, 192), QColor(255, 255, 255), 0},
      {QColor(128, 128, 0), QColor(0, 0, 0), QColor(192, 192, 192), QColor(255, 255, 255), 0},
  };
  DrawGear(p, centre, big);
  for (size_t i = 0; i < std::size(around); ++i) {
    GearShape g{QPointF(0, 0), around[i].teeth, m, 0.0};
    const double distance = centre.pitchRadius() + g.pitchRadius();
    const double a = around[i].angleDegrees * kPi / 180.0;
    g.centre = centre.centre + QPointF(distance * std::cos(a), -distance * std::sin(a));
    g.rotation = MeshingRotation(centre, g);
    DrawGear(p, g, looks[i]);
  }
  p.end();
  return image.convertToFormat(QImage::Format_Indexed8, StandardPalette(), Qt::ThresholdDither | Qt::AvoidDither);
}

QPixmap ResourcePixmap(int id) {
  switch (id) {
    case IDR_MAINFRAME: return QPixmap::fromImage(ApplicationIconImage(32));
    case IDB_GEARS: return QPixmap::fromImage(GearsImage());
    default: return QPixmap();
  }
}

}  // namespace quenmar
