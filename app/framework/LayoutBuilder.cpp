#include "LayoutBuilder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <limits>

#include "Artwork.h"
#include "ColorButton.h"
#include "SpinButton.h"

namespace quenmar {
namespace {

// Typing in a digits-only field lets digits and editing keys through and refuses every
// other character. Text the program writes is not filtered.
class DigitsOnlyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      const QString text = key->text();
      const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
      if (!command && !text.isEmpty() && text.at(0).isPrint() &&
          !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        QApplication::beep();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

QStringList Entries(const char* text) {
  if (!text || !*text) return {};
  return QString::fromUtf8(text).split(u'\n');
}

bool TakesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::GroupBox:
    case ControlKind::Label:
    case ControlKind::SpinButton:
    case ControlKind::ProgressBar:
    case ControlKind::Picture:
      return false;
    default:
      return true;
  }
}

// Static texts were laid out for the metrics of the original face; with the stand-in face a
// text can need a line more than its rectangle holds and would lose its end. Such a text
// gets a slightly smaller size of the same face (down to three quarters), so it is shown
// whole in the place the layout gives.
void FitTextIntoPlace(QLabel* label, const QRect& place) {
  const QString text = label->text();
  if (text.isEmpty() || place.width() <= 0 || place.height() <= 0) return;
  const int margin = 2 * (label->frameWidth() + label->margin());
  const QRect room(0, 0, std::max(1, place.width() - margin), std::numeric_limits<int>::max() / 2);
  auto fits = [&](const QFont& font) {
    return QFontMetrics(font).boundingRect(room, Qt::TextWordWrap | label->alignment(), text).height() <=
           place.height() - margin;
  };
  QFont font = label->font();
  if (fits(font)) return;
  const qreal full = font.pointSizeF();
  if (full <= 0) return;
  for (qreal size = full - 0.25; size >= full * 0.75; size -= 0.25) {
    font.setPointSizeF(size);
    if (fits(font)) {
      label->setFont(font);
      return;
    }
  }
}

Qt::Alignment TextAlignment(std::uint32_t style, Qt::Alignment vertical) {
  if (style & kCentered) return Qt::AlignHCenter | vertical;
  if (style & kRightAligned) return Qt::AlignRight | vertical;
  return Qt::AlignLeft | vertical;
}

}  // namespace

DialogUnits DialogUnits::forFont(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits{(width / 26 + 1) / 2, metrics.height()};
}

int DialogUnits::toPixelsX(int x) const { return static_cast<int>(std::lround(x * cx / 4.0)); }
int DialogUnits::toPixelsY(int y) const { return static_cast<int>(std::lround(y * cy / 8.0)); }

QRect DialogUnits::toPixels(int x, int y, int w, int h) const {
  return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(w), toPixelsY(h));
}

QString StripMnemonic(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) == u'&' && i + 1 < text.size()) ++i;
    else if (text.at(i) == u'&') continue;
    out.append(text.at(i));
  }
  return out;
}

LayoutBuilder::LayoutBuilder(const DialogLayout& layout) : m_layout(layout) {}

void LayoutBuilder::setFactory(int id, Factory factory) { m_factories.insert(id, std::move(factory)); }

QFont LayoutBuilder::font() const {
  // "MS Sans Serif" is not installed on Linux, and fontconfig's pick for it (DejaVu Sans) sets
  // its capitals and digits wider against its average character width than the layouts were
  // drawn for, so single-line texts would wrap out of their rectangles. Liberation Sans keeps
  // the proportions, as it does for Arial.
  static const bool substituted = [] {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    return true;
  }();
  Q_UNUSED(substituted);
  QFont font(QString::fromUtf8(m_layout.fontFamily ? m_layout.fontFamily : ""));
  if (m_layout.fontPointSize > 0) font.setPointSize(m_layout.fontPointSize);
  return font;
}

QWidget* LayoutBuilder::create(QWidget* parent, const ControlSpec& control) const {
  if (control.id != kNoId) {
    const auto factory = m_factories.find(control.id);
    if (factory != m_factories.end()) return (*factory)(parent, control);
  }
  const QString text = QString::fromUtf8(control.text ? control.text : "");
  switch (control.kind) {
    case ControlKind::GroupBox:
      return new QGroupBox(text, parent);
    case ControlKind::Label:
      return new QLabel(parent);
    case ControlKind::Edit:
      return new QLineEdit(parent);
    case ControlKind::MultiLineEdit:
      return new QPlainTextEdit(parent);
    case ControlKind::PushButton:
      return new QPushButton(text, parent);
    case ControlKind::OwnerDrawButton:
      return new CColorButton(text, parent);
    case ControlKind::RadioButton:
      return new QRadioButton(text, parent);
    case ControlKind::CheckBox:
      return new QCheckBox(text, parent);
    case ControlKind::DropDownList:
    case ControlKind::DropDown:
      return new QComboBox(parent);
    case ControlKind::ListBox:
      return new QListWidget(parent);
    case ControlKind::SpinButton:
      return new SpinButton(parent);
    case ControlKind::ProgressBar:
      return new QProgressBar(parent);
    case ControlKind::Picture:
      return new QLabel(parent);
  }
  return new QWidget(parent);
}

BuiltLayout LayoutBuilder::build(QWidget* parent) const {
  BuiltLayout built;
  built.font = font();
  parent->setFont(built.font);
  built.units = DialogUnits::forFont(built.font);
  built.clientSize = QSize(built.units.toPixelsX(m_layout.w), built.units.toPixelsY(m_layout.h));

  const auto& controlSpecs = m_layout.controls;
  std::vector<QWidget*> widgets;
  widgets.reserve(controlSpecs.size());
  QButtonGroup* radioGroup = nullptr;
  bool previousWasRadio = false;

  for (const ControlSpec& control : controlSpecs) {
    QWidget* w = create(parent, control);
    widgets.push_back(w);
    const QString text = QString::fromUtf8(control.text ? control.text : "");
    const std::uint32_t style = control.style;
    QRect place = built.units.toPixels(control.x, control.y, control.w, control.h);

    if (auto* label = qobject_cast<QLabel*>(w); label && control.kind == ControlKind::Label) {
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(TextAlignment(style, Qt::AlignTop));
      label->setText(text);
      if (style & kBorder) label->setFrameStyle(QFrame::Box | QFrame::Plain);
    } else if (auto* picture = qobject_cast<QLabel*>(w); picture && control.kind == ControlKind::Picture) {
      const QPixmap pixmap = ResourcePixmap(control.resource);
      picture->setPixmap(pixmap);
      place.setSize(pixmap.isNull() ? QSize(0, 0) : pixmap.deviceIndependentSize().toSize());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      edit->setText(text);
      edit->setReadOnly(style & kReadOnly);
      edit->setAlignment(TextAlignment(style, Qt::AlignVCenter));
      if (style & kDigitsOnly) edit->installEventFilter(new DigitsOnlyFilter(edit));
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
      plain->setPlainText(text);
      plain->setReadOnly(true);
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      combo->setEditable(control.kind == ControlKind::DropDown);
      QStringList entries = Entries(control.text);
      if (style & kSorted) {
        std::stable_sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
          return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        combo->setProperty("quenmarSorted", true);
      }
      combo->addItems(entries);
      combo->setCurrentIndex(-1);
      // The table gives the height of the open list; the closed box is one line high.
      const int fieldHeight = std::min(combo->sizeHint().height(), std::max(place.height(), 1));
      const int itemHeight = std::max(1, QFontMetrics(built.font).height());
      combo->setMaxVisibleItems(std::max(1, (place.height() - fieldHeight) / itemHeight));
      place.setHeight(fieldHeight);
    }
    if (auto* list = qobject_cast<QListWidget*>(w)) {
      list->addItems(Entries(control.text));
      if (style & kSorted) list->setSortingEnabled(true);
      list->setProperty("quenmarNotify", bool(style & kNotify));
      list->setUniformItemSizes(true);
    }
    if (auto* bar = qobject_cast<QProgressBar*>(w)) {
      bar->setTextVisible(false);
      bar->setRange(0, 100);
      bar->setValue(0);
    }
    if (auto* spin = qobject_cast<SpinButton*>(w)) {
      spin->setWrapping(style & kSpinWrap);
      spin->setArrowKeys(style & kSpinArrowKeys);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
    if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(text);
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      if (style & kDefault) button->setDefault(true);
    }
    if (auto* radio = qobject_cast<QRadioButton*>(w)) {
      if ((style & kGroupStart) || !previousWasRadio || !radioGroup) {
        radioGroup = new QButtonGroup(parent);
        radioGroup->setExclusive(true);
      }
      radio->setAutoExclusive(false);
      radioGroup->addButton(radio);
    }
    previousWasRadio = control.kind == ControlKind::RadioButton;

    if (control.id != kNoId) {
      w->setObjectName(QString::number(control.id));
      built.controls.insert(control.id, w);
    }
    if (!TakesFocus(control.kind)) w->setFocusPolicy(Qt::NoFocus);
    else w->setFocusPolicy((style & kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);

    const QString name = StripMnemonic(text);
    if (!name.isEmpty() && control.kind != ControlKind::DropDownList && control.kind != ControlKind::DropDown &&
        control.kind != ControlKind::ListBox)
      w->setAccessibleName(name);

    w->setGeometry(place);
    if (auto* label = qobject_cast<QLabel*>(w); label && control.kind == ControlKind::Label)
      FitTextIntoPlace(label, place);
    w->setEnabled(!(style & kDisabled));
    w->setVisible(!(style & kHidden));
  }

  // Second pass: what refers to other rows.
  QWidget* previousFocusable = nullptr;
  for (size_t i = 0; i < controlSpecs.size(); ++i) {
    const ControlSpec& control = controlSpecs[i];
    QWidget* w = widgets[i];
    if (auto* spin = qobject_cast<SpinButton*>(w); spin && control.buddy != kNoId)
      spin->setBuddy(built.controls.get<QLineEdit>(control.buddy));
    if (control.kind == ControlKind::Label && control.buddy != kNoId) {
      static_cast<QLabel*>(w)->setBuddy(built.controls.widget(control.buddy));
    } else if (control.kind == ControlKind::Label && !(control.style & kNoPrefix) && control.text &&
               QByteArray(control.text).contains('&')) {
      // A mnemonic on a label moves the focus to the next control that takes it.
      auto* label = static_cast<QLabel*>(w);
      for (size_t j = i + 1; j < controlSpecs.size(); ++j) {
        if (TakesFocus(controlSpecs[j].kind)) {
          label->setBuddy(widgets[j]);
          break;
        }
      }
    }
    if (TakesFocus(control.kind)) {
      if (previousFocusable) QWidget::setTabOrder(previousFocusable, w);
      previousFocusable = w;
    }
  }
  built.widgets = std::move(widgets);
  return built;
}

}  // namespace quenmar
