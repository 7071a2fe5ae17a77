#pragma once
// Builds a window's controls from its layout table (LayoutTable.h) and finds them by id.

#include <QFont>
#include <QHash>
#include <QSize>
#include <QWidget>

#include <functional>
#include <vector>

#include "LayoutTable.h"

namespace quenmar {

// The controls of one window by id. Controls without an id are not listed.
class Controls {
 public:
  QWidget* widget(int id) const { return m_byId.value(id, nullptr); }
  template <class T>
  T* get(int id) const {
    return qobject_cast<T*>(widget(id));
  }
  bool contains(int id) const { return m_byId.contains(id); }
  void insert(int id, QWidget* widget) { m_byId.insert(id, widget); }
  QList<int> ids() const { return m_byId.keys(); }

 private:
  QHash<int, QWidget*> m_byId;
};

// Dialog-unit metrics of a font: cx is its average character width, cy its height, both
// in pixels. A place x, y, w, h in dialog units is x*cx/4, y*cy/8, w*cx/4, h*cy/8 pixels.
struct DialogUnits {
  int cx = 0;
  int cy = 0;

  static DialogUnits forFont(const QFont& font);
  int toPixelsX(int x) const;
  int toPixelsY(int y) const;
  QRect toPixels(int x, int y, int w, int h) const;
};

struct BuiltLayout {
  Controls controls;
  std::vector<QWidget*> widgets;  // every control, in table order
  QSize clientSize;               // the window's w, h in pixels
  QFont font;
  DialogUnits units;
};

class LayoutBuilder {
 public:
  using Factory = std::function<QWidget*(QWidget* parent, const ControlSpec& control)>;

  explicit LayoutBuilder(const DialogLayout& layout);

  // The control with `id` is made by `factory` instead of the builder's own choice for its
  // kind (for example a colour edit for a plain edit). The styles of the row are still
  // applied to what the factory returns.
  void setFactory(int id, Factory factory);

  // Creates every control of the table as a child of `parent`, in table order (which is
  // also the tab order), gives `parent` the layout's font and returns the lookup.
  // `parent` is not resized; BuiltLayout::clientSize says how large it should be.
  BuiltLayout build(QWidget* parent) const;

  // The font of the layout as it is actually resolved on this system.
  QFont font() const;

 private:
  QWidget* create(QWidget* parent, const ControlSpec& control) const;

  const DialogLayout& m_layout;
  QHash<int, Factory> m_factories;
};

// The accessible name of a caption: mnemonic marks removed ("&OK" -> "OK", "&&" -> "&").
QString StripMnemonic(const QString& text);

}  // namespace quenmar
