#pragma once
// The application's artwork, drawn in code: the application icon and the picture of five
// meshing spur gears shown in the about and disclaimer dialogs.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointF>

class QPainter;

namespace quenmar {

// The application icon in the usual sizes (16, 32, 48 and 64 pixels).
QIcon ApplicationIcon();
// One size of the icon.
QImage ApplicationIconImage(int size);
// Draws the icon into the square (0, 0, size, size) of any paint device, so the installed
// theme icons (bitmaps and the scalable drawing) come from the same drawing as the window's.
void PaintApplicationIcon(QPainter& p, double size);
// The gears picture: 160 x 135 pixels in the 16 colours of the standard palette.
QImage GearsImage();

// The image of a resource id (IDR_MAINFRAME: the 32-pixel icon; IDB_GEARS: the gears
// picture); a null pixmap for an unknown id.
QPixmap ResourcePixmap(int id);

// One external spur gear: involute teeth of 20 degrees pressure angle, full depth.
struct GearShape {
  QPointF centre;
  int teeth = 12;
  double module = 2.0;    // pitch diameter per tooth, in pixels
  double rotation = 0.0;  // angle of the first tooth's centre line, radians

  double pitchRadius() const { return module * teeth / 2.0; }
  double outerRadius() const { return pitchRadius() + module; }
  double rootRadius() const { return pitchRadius() - 1.25 * module; }
};

// The outline of the gear's teeth as a closed polygon.
QPolygonF GearOutline(const GearShape& gear);
// The rotation of `driven` that lets its teeth mesh with `driver` when their centres lie a
// working distance apart (their pitch circles touch).
double MeshingRotation(const GearShape& driver, const GearShape& driven);

}  // namespace quenmar
