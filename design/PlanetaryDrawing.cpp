#include "PlanetaryDrawing.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>
#include <numbers>

namespace quenmar::design {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMmPerSvgPixel = 25.4 / 96;  // the SVG's pixel, so it reads as on screen
constexpr double kLegendPixels = 64;          // room kept below the views for the legend

const QColor kMemberColours[] = {QColor(31, 119, 180), QColor(230, 120, 20), QColor(230, 120, 20),
                                 QColor(44, 160, 44), QColor(148, 80, 189)};

// A gear's outline in pixels: teeth of a plain trapezoid profile between the root and tip
// circles (tips inward for a ring, which gets a rim outside its roots).
QPainterPath GearPath(const PlanetaryDrawing::Gear& g, QPointF centre, double scale) {
  const double m = g.module * scale, r = g.pitchRadius * scale;
  // A shift x moves the rack, and so tip and root, x modules outwards (for a ring too).
  const double x = g.shift * m, k = g.tipShortening * m;
  const double tip = g.internal ? r - m + x : r + m + x - k, root = g.internal ? r + 1.25 * m + x : r - 1.25 * m + x;
  const double pitch = 2 * kPi / g.teeth;
  const double turn = g.phase;
  QPainterPath path;
  const auto at = [&](double radius, double angle) {
    return centre + QPointF(radius * std::cos(angle), -radius * std::sin(angle));
  };
  for (int i = 0; i < g.teeth; ++i) {
    const double a = turn + i * pitch;
    const QPointF points[] = {at(root, a - 0.3 * pitch), at(tip, a - 0.13 * pitch), at(tip, a + 0.13 * pitch),
                              at(root, a + 0.3 * pitch)};
    if (i == 0) path.moveTo(points[0]);
    for (const QPointF& p : points) path.lineTo(p);
  }
  path.closeSubpath();
  if (g.internal) path.addEllipse(centre, r + 3 * m, r + 3 * m);
  return path;
}

std::optional<QString> Save(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return PlanetaryDrawing::tr("%1 cannot be written: %2").arg(path, file.errorString());
  return std::nullopt;
}

}  // namespace

PlanetaryDrawing::PlanetaryDrawing(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(200, 150);
}

void PlanetaryDrawing::SetSet(const PlanetaryQuery& query, const std::vector<int>& row) {
  m_gears.clear();
  m_set.reset();
  if (static_cast<int>(row.size()) >= PlanetarySlots(query.kind)) {
    m_query = query;
    m_set = DecodePlanetary(query.kind, row.data());
    m_layout = LayoutOf(*m_set, query);
  }
  if (m_set) {
    const PlanetarySet& s = *m_set;
    const double m1 = static_cast<double>(query.moduleMicrons) / 1000;
    const double m2 = m_layout.secondModuleNum == 0 ? m1
                          : m1 * static_cast<double>(m_layout.secondModuleNum) / static_cast<double>(m_layout.secondModuleDen);
    const int zp1 = s.teeth[kPlanet], zp2 = s.teeth[kPlanet2] > 0 ? s.teeth[kPlanet2] : zp1;
    // The carrier's centre distance: the sun's mesh, or without a sun the first ring's.
    // A shifted simple set's is the ring mesh's, which the sun and planet are shifted to.
    const bool shifted = s.kind == PlanetaryKind::Simple && query.ProfileShift();
    m_carrierRadius = m1 * (s.HasSun() && !shifted ? s.teeth[kSun] + zp1 : s.teeth[kRing] - zp1) / 2.0;
    const bool two = s.kind != PlanetaryKind::Simple;
    // The second view stands beside the first, clear of both rings' rims.
    const auto rim = [](double m, int z) { return m * z / 2.0 + 3.5 * m; };
    const int firstSpan = s.kind == PlanetaryKind::Stepped ? s.teeth[kSun] + 2 * zp1 : s.teeth[kRing];
    const int secondRing = s.kind == PlanetaryKind::Stepped ? s.teeth[kRing] : s.teeth[kRing2];
    const double apart = two ? rim(m1, firstSpan) + rim(m2, secondRing) + 10 : 0;
    const auto add = [&](int view, PlanetaryMember member, double x, double y, double module, int teeth, bool internal) {
      m_gears.push_back(Gear{view, member, x + view * apart, y, module * teeth / 2.0, module, teeth, internal});
    };
    if (s.HasSun()) add(0, kSun, 0, 0, m1, s.teeth[kSun], false);
    const int n = s.planets;
    const bool positioned = static_cast<int>(m_layout.at.size()) == n && m_layout.positions > 0;
    for (int k = 0; k < n; ++k) {
      // The planets at their true angles: the carrier positions the layout reports.
      const double turn = positioned ? static_cast<double>(m_layout.at[k]) / static_cast<double>(m_layout.positions)
                                     : static_cast<double>(k) / n;
      const double x = m_carrierRadius * std::cos(2 * kPi * turn), y = m_carrierRadius * std::sin(2 * kPi * turn);
      add(0, kPlanet, x, y, m1, zp1, false);
      if (two) add(1, kPlanet2, x, y, m2, zp2, false);
    }
    if (s.kind == PlanetaryKind::Stepped) add(1, kRing, 0, 0, m2, s.teeth[kRing], true);
    else add(0, kRing, 0, 0, m1, s.teeth[kRing], true);
    if (s.kind == PlanetaryKind::Wolfrom) add(1, kRing2, 0, 0, m2, s.teeth[kRing2], true);
    if (shifted)
      for (Gear& g : m_gears) {
        g.shift = g.member == kSun ? m_layout.shift.sun : g.member == kRing ? m_layout.shift.ring : m_layout.shift.planet;
        g.tipShortening = g.internal ? 0 : m_layout.shift.tipShortening;
      }
    PhaseTeeth();
  }
  setAccessibleDescription(Legend().join(QStringLiteral("; ")));
  update();
}

// Turns the gears so that their teeth mesh as drawn: the sun (or, without one, each view's
// ring) stands still, each planet meets it with a space where its tooth is, and the ring
// of a view with a sun takes the turn its first planet gives it.
void PlanetaryDrawing::PhaseTeeth() {
  const auto pitch = [](const Gear& g) { return 2 * kPi / g.teeth; };
  // How far past its nearest tooth (in teeth) a gear of phase `phase` is at direction `at`.
  const auto past = [](double at, double phase, int teeth) {
    const double f = (at - phase) * teeth / (2 * kPi);
    return f - std::floor(f);
  };
  for (int view = 0; view < 2; ++view) {
    Gear* sun = nullptr;
    Gear* ring = nullptr;
    for (Gear& g : m_gears)
      if (g.view == view && g.member == kSun) sun = &g;
      else if (g.view == view && g.internal) ring = &g;
    bool ringSet = false;
    for (Gear& planet : m_gears) {
      if (planet.view != view || planet.internal || planet.member == kSun) continue;
      const double at = std::atan2(planet.y, planet.x - (sun ? sun->x : ring ? ring->x : 0));
      if (sun) {
        // The sun's tooth f teeth behind the line of centres meets a space f planet teeth
        // ahead of the planet's direction to the sun.
        const double f = past(at, sun->phase, sun->teeth);
        planet.phase = at + kPi + (f - 0.5) * pitch(planet);
        if (ring && !ringSet) {
          // The ring's tooth fills the planet's space nearest its outward direction.
          const double e = past(at, planet.phase + 0.5 * pitch(planet), planet.teeth);
          ring->phase = at - e * pitch(planet) * planet.teeth / ring->teeth;
          ringSet = true;
        }
      } else if (ring) {
        const double g = past(at, ring->phase, ring->teeth);
        planet.phase = at - g * pitch(*ring) * ring->teeth / planet.teeth - 0.5 * pitch(planet);
      }
    }
  }
}

QStringList PlanetaryDrawing::Legend() const {
  if (!m_set) return {};
  const PlanetarySet& s = *m_set;
  const auto names = [](Member m) { return QString::fromStdString(MemberName(m)); };
  QStringList lines;
  QString members = s.HasSun() ? tr("sun %1, ").arg(s.teeth[kSun]) : QString();
  members += s.teeth[kPlanet2] > 0 ? tr("%1 planets %2/%3").arg(s.planets).arg(s.teeth[kPlanet]).arg(s.teeth[kPlanet2])
                                   : tr("%1 planets %2").arg(s.planets).arg(s.teeth[kPlanet]);
  members += tr(", ring %1").arg(s.teeth[kRing]);
  if (s.teeth[kRing2] > 0) members += tr(", ring 2 %1").arg(s.teeth[kRing2]);
  lines << members;
  lines << tr("%1 held, %2 drives, %3 is the output; carrier radius %4 mm")
               .arg(names(s.held), names(s.input), QString::fromStdString(OutputName(s)))
               .arg(m_carrierRadius, 0, 'g', 6);
  QString spacing = QString::fromStdString(SpacingText(m_layout));
  spacing = spacing == QLatin1String("even") ? tr("evenly spaced") : tr("planets at %1\u00b0").arg(spacing);
  QString modules = tr("module %1 mm").arg(static_cast<double>(m_query.moduleMicrons) / 1000, 0, 'g', 6);
  if (s.kind != PlanetaryKind::Simple && m_layout.secondModuleNum > 0)
    modules += tr(", second mesh %1 mm").arg(m_gears.back().module, 0, 'g', 6);
  if (s.kind == PlanetaryKind::Simple && m_query.ProfileShift())
    modules += tr(", profile shift sun %1, planet %2, ring %3")
                   .arg(m_layout.shift.sun, 0, 'f', 3)
                   .arg(m_layout.shift.planet, 0, 'f', 3)
                   .arg(m_layout.shift.ring, 0, 'f', 3);
  lines << tr("%1; %2, %3").arg(modules, spacing, QString::fromStdString(PhaseName(m_layout.phase)));
  return lines;
}

QRectF PlanetaryDrawing::Bounds() const {
  QRectF bounds;
  for (const Gear& g : m_gears) {
    const double r = g.pitchRadius + (g.internal ? 3 : 1) * g.module;
    bounds = bounds.united(QRectF(g.x - r, g.y - r, 2 * r, 2 * r));
  }
  return bounds;
}

void PlanetaryDrawing::Paint(QPainter& painter, const QRectF& area, double pxPerMm) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds = Bounds();
  const QRectF views(area.left(), area.top(), area.width(), area.height() - kLegendPixels);
  const auto toPixels = [&](double x, double y) {
    return views.center() + QPointF((x - bounds.center().x()) * pxPerMm, -(y - bounds.center().y()) * pxPerMm);
  };
  // The carrier: its circle through the planets' centres, and an arm to each.
  for (int view = 0; view < 2; ++view) {
    const Gear* centre = nullptr;
    for (const Gear& g : m_gears)
      if (g.view == view && (g.member == kSun || g.member == kRing || g.member == kRing2) && !centre) centre = &g;
    if (!centre) continue;
    const QPointF c = toPixels(centre->x, centre->y);
    painter.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, m_carrierRadius * pxPerMm, m_carrierRadius * pxPerMm);
    for (const Gear& g : m_gears)
      if (g.view == view && (g.member == kPlanet || g.member == kPlanet2)) painter.drawLine(c, toPixels(g.x, g.y));
  }
  for (const Gear& g : m_gears) {
    const QColor colour = kMemberColours[g.member];
    QColor fill = colour;
    fill.setAlpha(40);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(fill);
    QPainterPath path = GearPath(g, toPixels(g.x, g.y), pxPerMm);
    path.setFillRule(Qt::OddEvenFill);
    painter.drawPath(path);
    painter.setPen(QPen(colour.darker(130), 1));
    const double label = g.internal ? g.pitchRadius + 2 * g.module : 0;
    const QPointF at = toPixels(g.x, g.y + label);
    painter.drawText(QRectF(at.x() - 30, at.y() - 10, 60, 20), Qt::AlignCenter, QString::number(g.teeth));
  }
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(QRectF(area.left() + 6, area.bottom() - kLegendPixels + 4, area.width() - 12, kLegendPixels - 4),
                   Qt::AlignLeft | Qt::AlignTop, Legend().join(QLatin1Char('\n')));
  painter.restore();
}

void PlanetaryDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Base));
  if (!m_set) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter, tr("Choose a set in the table to draw it"));
    return;
  }
  const QRectF bounds = Bounds();
  const double scale = std::min((width() - 20) / bounds.width(), (height() - kLegendPixels - 20) / bounds.height());
  Paint(painter, QRectF(rect()), std::max(scale, 0.01));
}

std::optional<QString> PlanetaryDrawing::ExportSvg(const QString& path) const {
  if (!m_set) return tr("no set is drawn");
  // Drawn in the screen's pixels, then scaled so that one unit of the file is one millimetre.
  const QRectF bounds = Bounds();
  const double pxPerMm = 1 / kMmPerSvgPixel;
  const QRectF area(0, 0, (bounds.width() + 20) * pxPerMm, (bounds.height() + 20) * pxPerMm + kLegendPixels);
  const QSize tenths(static_cast<int>(std::ceil(area.width() * kMmPerSvgPixel * 10)),
                     static_cast<int>(std::ceil(area.height() * kMmPerSvgPixel * 10)));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setResolution(254);  // a pixel of the generator is a tenth of a millimetre
  generator.setSize(tenths);
  generator.setViewBox(QRectF(0, 0, tenths.width() / 10.0, tenths.height() / 10.0));
  generator.setTitle(tr("Planetary set"));
  generator.setDescription(tr("Drawn by Quenmar Design to true scale: one unit is one millimetre"));
  QPainter painter;
  if (!painter.begin(&generator)) return tr("the drawing cannot be rendered as SVG");
  painter.scale(kMmPerSvgPixel, kMmPerSvgPixel);
  painter.fillRect(area, Qt::white);
  Paint(painter, area, pxPerMm);
  painter.end();
  return Save(path, buffer.data());
}

std::optional<QString> PlanetaryDrawing::ExportPng(const QString& path, QSize size) const {
  if (!m_set) return tr("no set is drawn");
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.scale(2.0, 2.0);  // twice the resolution of the screen drawing
    const QRectF area(0, 0, size.width() / 2.0, size.height() / 2.0);
    const QRectF bounds = Bounds();
    Paint(painter, area, std::min((area.width() - 20) / bounds.width(), (area.height() - kLegendPixels - 20) / bounds.height()));
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return tr("the drawing cannot be encoded as PNG");
  return Save(path, buffer.data());
}

}  // namespace quenmar::design
