#include "OutlineExport.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

#include "GearOutline.h"

namespace quenmar::geometry {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMargin = 2;  // mm around a drawing

struct Circle {
  Point centre;
  double radius = 0;
};

// What one file shows: closed outlines (each named for its layer) and circles.
struct Drawing {
  std::string title;
  std::vector<std::pair<std::string, std::vector<Point>>> outlines;
  std::vector<std::pair<std::string, Circle>> circles;
  bool scaleBar = false;
};

// Locale-free and without an exponent: to a tenth of a micrometre, trailing zeros cut.
std::string Number(double value) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4).ptr;
  std::string text(buffer, end);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

std::string GearName(int gear, const GearCut& cut) {
  return "N" + std::to_string(gear + 1) + "-" + std::to_string(cut.teeth);
}

std::string Describe(int gear, const GearCut& cut) {
  return "N" + std::to_string(gear + 1) + ": " + std::to_string(cut.teeth) + " teeth, module " +
         Number(cut.module) + " mm, pressure angle " + Number(cut.pressureAngle * 180 / kPi) +
         " degrees, profile shift " + Number(cut.shift) + ", tip diameter " + Number(2 * cut.TipRadius()) + " mm";
}

// Turned so that a driver's tooth points at its driven gear and the driven gear shows a
// space there.
double Phase(const TrainGeometry& train, int gear) {
  const int stage = gear / 2;
  const double towards = train.shaftX[stage + 1] >= train.shaftX[stage] ? 0.0 : kPi;
  if (gear % 2 == 0) return towards - kPi / 2;
  return towards + kPi + kPi / train.gears[gear].cut.teeth - kPi / 2;
}

std::vector<Point> Placed(std::vector<Point> outline, double x, double y) {
  for (Point& p : outline) p = {p.x + x, p.y + y};
  return outline;
}

struct Box {
  double left = std::numeric_limits<double>::infinity(), right = -left, bottom = left, top = -left;
  void Add(double x, double y) {
    left = std::min(left, x);
    right = std::max(right, x);
    bottom = std::min(bottom, y);
    top = std::max(top, y);
  }
};

// The longest of 1, 2, 5, 10, 20, 50, ... mm that takes at most 40% of the width.
double ScaleBarLength(double width) {
  double best = 1;
  for (double decade = 1; decade <= 1e5; decade *= 10)
    for (double step : {1.0, 2.0, 5.0})
      if (step * decade <= 0.4 * width) best = step * decade;
  return best;
}

std::string Svg(const Drawing& d) {
  Box box;
  for (const auto& [layer, outline] : d.outlines)
    for (const Point& p : outline) box.Add(p.x, p.y);
  for (const auto& [layer, c] : d.circles) {
    box.Add(c.centre.x - c.radius, c.centre.y - c.radius);
    box.Add(c.centre.x + c.radius, c.centre.y + c.radius);
  }
  // SVG's y runs down: every y is written negated, so the drawing is not mirrored.
  const double left = box.left - kMargin, top = -box.top - kMargin;
  const double width = box.right - box.left + 2 * kMargin;
  const double barRoom = d.scaleBar ? 12 : 0;
  const double height = box.top - box.bottom + 2 * kMargin + barRoom;
  const std::string w = Number(width), h = Number(height);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + w + "mm\" height=\"" +
                    h + "mm\" viewBox=\"" + Number(left) + " " + Number(top) + " " + w + " " + h + "\">\n";
  svg += "<title>" + d.title + "</title>\n";
  svg += "<g fill=\"none\" stroke=\"#000000\" stroke-width=\"0.1\">\n";
  for (const auto& [layer, outline] : d.outlines) {
    svg += "<polygon id=\"" + layer + "\" points=\"";
    for (std::size_t i = 0; i < outline.size(); ++i)
      svg += (i ? " " : "") + Number(outline[i].x) + "," + Number(-outline[i].y);
    svg += "\"/>\n";
  }
  for (const auto& [layer, c] : d.circles)
    svg += "<circle class=\"" + layer + "\" cx=\"" + Number(c.centre.x) + "\" cy=\"" + Number(-c.centre.y) +
           "\" r=\"" + Number(c.radius) + "\"/>\n";
  svg += "</g>\n";
  if (d.scaleBar) {
    const double length = ScaleBarLength(width - 2 * kMargin);
    const double x = box.left, y = -box.bottom + kMargin + 6;
    const std::string x0 = Number(x), x1 = Number(x + length), y0 = Number(y), tick = Number(y - 2);
    svg += "<g id=\"scale-bar\" stroke=\"#0000ff\" stroke-width=\"0.2\">\n"
           "<line x1=\"" + x0 + "\" y1=\"" + y0 + "\" x2=\"" + x1 + "\" y2=\"" + y0 + "\"/>\n"
           "<line x1=\"" + x0 + "\" y1=\"" + y0 + "\" x2=\"" + x0 + "\" y2=\"" + tick + "\"/>\n"
           "<line x1=\"" + x1 + "\" y1=\"" + y0 + "\" x2=\"" + x1 + "\" y2=\"" + tick + "\"/>\n"
           "<text x=\"" + Number(x + length + 2) + "\" y=\"" + Number(y + 1) + "\" font-size=\"3.5\" "
           "font-family=\"sans-serif\" fill=\"#0000ff\" stroke=\"none\">" + Number(length) + " mm</text>\n</g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

// dxflib's writer, into a string rather than a file of its own choosing, so the file is
// written (and its failures told) as every other output is. Group codes are right-aligned
// in three places and reals written in full, as dxflib's own writer does.
class DxfText : public DL_WriterA {
 public:
  explicit DxfText(std::string& out) : DL_WriterA(""), out_(out) {}
  void dxfReal(int gc, double value) const override {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    Pair(gc, std::string(buffer, end));
  }
  void dxfInt(int gc, int value) const override { Pair(gc, std::to_string(value)); }
  void dxfHex(int gc, int value) const override {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned>(value), 16).ptr;
    std::string hex(buffer, end);
    std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
    Pair(gc, hex);
  }
  void dxfString(int gc, const char* value) const override { Pair(gc, value); }
  void dxfString(int gc, const std::string& value) const override { Pair(gc, value); }

 private:
  void Pair(int gc, const std::string& value) const {
    const std::string code = std::to_string(gc);
    out_.append(code.size() < 3 ? 3 - code.size() : 0, ' ');
    out_ += code + '\n' + value + '\n';
  }
  std::string& out_;
};

std::string Dxf(const Drawing& d) {
  std::vector<std::string> layers{"0"};
  const auto addLayer = [&layers](const std::string& name) {
    if (std::find(layers.begin(), layers.end(), name) == layers.end()) layers.push_back(name);
  };
  for (const auto& [layer, outline] : d.outlines) addLayer(layer);
  for (const auto& [layer, c] : d.circles) addLayer(layer);

  std::string text;
  DxfText dw(text);
  DL_Dxf dxf;
  dxf.writeHeader(dw);
  dw.dxfString(9, "$INSUNITS");  // millimetres
  dw.dxfInt(70, 4);
  dw.sectionEnd();
  dw.sectionTables();
  dxf.writeVPort(dw);
  dw.tableLinetypes(1);
  dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
  dw.tableEnd();
  dw.tableLayers(static_cast<int>(layers.size()));
  for (const std::string& layer : layers)
    dxf.writeLayer(dw, DL_LayerData(layer, 0), DL_Attributes("", 7, 0x000000, 100, "CONTINUOUS"));
  dw.tableEnd();
  dw.tableStyle(1);
  dxf.writeStyle(dw, DL_StyleData("standard", 0, 2.5, 1.0, 0.0, 0, 2.5, "txt", ""));
  dw.tableEnd();
  dxf.writeView(dw);
  dxf.writeUcs(dw);
  dw.tableAppid(1);
  dxf.writeAppid(dw, "ACAD");
  dw.tableEnd();
  dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
  dxf.writeBlockRecord(dw);
  dw.tableEnd();
  dw.sectionEnd();
  dw.sectionBlocks();
  for (const char* block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
    dxf.writeBlock(dw, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, block);
  }
  dw.sectionEnd();
  dw.sectionEntities();
  for (const auto& [layer, outline] : d.outlines) {
    const DL_Attributes attributes(layer, 256, -1, "BYLAYER", 1.0);
    dxf.writePolyline(dw, DL_PolylineData(static_cast<int>(outline.size()), 0, 0, 1), attributes);  // 1: closed
    for (const Point& p : outline) dxf.writeVertex(dw, DL_VertexData(p.x, p.y, 0, 0));
    dxf.writePolylineEnd(dw);
  }
  for (const auto& [layer, c] : d.circles)
    dxf.writeCircle(dw, DL_CircleData(c.centre.x, c.centre.y, 0, c.radius), DL_Attributes(layer, 256, -1, "BYLAYER", 1.0));
  dw.sectionEnd();
  dxf.writeObjects(dw);
  dxf.writeObjectsEnd(dw);
  dw.dxfEOF();
  return text;
}

}  // namespace

std::vector<OutlineFile> TrainOutlineFiles(const TrainGeometry& train, OutlineFormat format, double kerf) {
  const std::string extension = format == OutlineFormat::Svg ? ".svg" : ".dxf";
  const auto render = [format](const Drawing& d) { return format == OutlineFormat::Svg ? Svg(d) : Dxf(d); };
  std::vector<OutlineFile> files;
  Drawing whole;
  whole.title = "Gear train of " + std::to_string(train.meshes.size()) + " stages, true scale (mm)";
  whole.scaleBar = true;
  for (std::size_t g = 0; g < train.gears.size(); ++g) {
    const PlacedGear& gear = train.gears[g];
    const int index = static_cast<int>(g);
    const std::string name = GearName(index, gear.cut);
    const std::vector<Point> outline = OffsetOutline(GearOutline(gear.cut), kerf / 2);
    Drawing alone;
    alone.title = Describe(index, gear.cut);
    alone.outlines.emplace_back(name, outline);
    alone.circles.emplace_back("bore", Circle{{0, 0}, train.shaftDiameters[gear.shaft] / 2 - kerf / 2});
    files.push_back({name + extension, render(alone)});
    whole.outlines.emplace_back(name, Placed(OffsetOutline(GearOutline(gear.cut, Phase(train, index)), kerf / 2), gear.x, gear.y));
  }
  for (std::size_t s = 0; s < train.shaftX.size(); ++s)
    whole.circles.emplace_back("shafts", Circle{{train.shaftX[s], 0}, train.shaftDiameters[s] / 2});
  files.push_back({"train" + extension, render(whole)});
  return files;
}

}  // namespace quenmar::geometry
