#pragma once
// Window layouts as plain tables in dialog units. One builder (LayoutBuilder) turns a table
// into Qt widgets, converting dialog units with the layout font's metrics
// (x * cx / 4, y * cy / 8, cx = average character width, cy = character height) and naming
// every widget that has an id by that id (objectName = the id in decimal).
//
// Texts: labels, buttons, group boxes and edits show `text` as it stands ('&' marks a
// mnemonic unless kNoPrefix is set); drop-down lists and list boxes take `text` as their
// initial entries, one per line ('\n' between entries). Pictures show the image named by
// `resource` (see ResourceIds.h) at its own size, placed at x, y.

#include <cstdint>
#include <span>

namespace quenmar {

enum class ControlKind {
  GroupBox,
  Label,           // static text
  Edit,            // single-line edit
  MultiLineEdit,   // read-only multi-line text (dialog bodies)
  PushButton,
  OwnerDrawButton, // drawn by CColorButton
  RadioButton,
  CheckBox,
  DropDownList,    // combo box without an edit part
  DropDown,        // combo box with an edit part
  ListBox,
  SpinButton,      // up-down control attached to the field named by `buddy`
  ProgressBar,
  Picture,         // icon or bitmap
};

// Style bits; the ones that do not apply to a kind are ignored.
enum Style : std::uint32_t {
  kHidden = 1u << 0,
  kDisabled = 1u << 1,
  kReadOnly = 1u << 2,
  kCentered = 1u << 3,      // text centred (edits, labels)
  kRightAligned = 1u << 4,
  kDigitsOnly = 1u << 5,
  kTabStop = 1u << 6,
  kBorder = 1u << 7,
  kVScroll = 1u << 8,
  kAutoHScroll = 1u << 9,
  kNotify = 1u << 10,       // list reports double-clicks
  kSorted = 1u << 11,
  kDefault = 1u << 12,      // default push button
  kGroupStart = 1u << 13,   // first radio button of a group
  kSpinLeft = 1u << 14,     // spin button sits at its field's left (otherwise right)
  kSpinWrap = 1u << 15,     // spin wraps around at its limits
  kSpinArrowKeys = 1u << 16,
  kNoPrefix = 1u << 17,     // labels: '&' is shown as it is, not taken as a mnemonic
};

// A control without an id of its own uses kNoId.
constexpr int kNoId = -1;

struct ControlSpec {
  int id;
  ControlKind kind;
  const char* text;  // caption or initial text; nullptr for none
  int x, y, w, h;    // dialog units
  std::uint32_t style;
  int buddy = kNoId; // spin buttons: id of the field they drive; labels: id of the control
                     // they name (screen readers announce that control with the label)
  int resource = 0;  // pictures: id of the image shown
};

struct DialogLayout {
  int id;                 // layout id (101 for the form)
  const char* caption;    // window caption ("" for the form)
  int w, h;               // dialog units
  const char* fontFamily; // e.g. "Arial"
  int fontPointSize;
  std::span<const ControlSpec> controls;
  // A sizing border: the user may make the window larger than its layout (never smaller);
  // the controls keep their places and the window shows more background.
  bool resizable = false;
};

}  // namespace quenmar
