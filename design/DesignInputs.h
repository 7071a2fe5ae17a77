#pragma once
// The inputs of a design search: configuration or free stages, the teeth ranges, target,
// tolerance, best, cap, distinct, hunting tooth, coaxial, owned gears, the modules, and
// with Geometry ticked the rest of the gears' geometry (pressure angle, centre distances,
// profile shift, shafts, clearance, largest diameter, fits). Each input is checked as it is typed and says beside it, in room kept for it,
// what it accepts or what is wrong; each has a tooltip and a topic in the help page.
// Enter in any input outside the teeth table asks for a search.

#include <QWidget>
#include <array>
#include <vector>

#include "DesignSetup.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quenmar::design {

class InputMessage;
class PlanetaryInputs;

class DesignInputs : public QWidget {
  Q_OBJECT
 public:
  explicit DesignInputs(QWidget* parent = nullptr);

  DesignSetup Setup() const { return m_setup; }
  void SetSetup(const DesignSetup& setup);
  // The setup read into a query, with the problems shown beside the inputs.
  const SetupReading& Reading() const { return m_reading; }
  void SetOwnedGears(const QString& text);

  // The first and last input in the Tab order, for the window's chain.
  QWidget* FirstInput() const;
  QWidget* LastInput() const;

  // The help page's topic of an input (its "helpTopic" property), found from any widget
  // inside it; empty when none.
  static QString HelpTopic(const QWidget* widget);

 signals:
  void changed();                 // any input; Reading() is up to date
  // What the drawing shows changed (Reading().drawing); not sent while a module is wrong,
  // so the drawing keeps the last good one.
  void drawingChanged();
  void searchRequested();
  void readGearsFileRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  void ShowSetup();  // writes m_setup into the controls
  void TakeControls();  // reads the controls into m_setup
  void ShowTeethRows();
  void ShowGeometryRows();
  void Check();

  DesignSetup m_setup;
  SetupReading m_reading;
  bool m_writing = false;

  QComboBox* m_configuration = nullptr;
  QLabel* m_stagesLabel = nullptr;
  QSpinBox* m_stages = nullptr;
  QTableWidget* m_teeth = nullptr;
  QLineEdit* m_target = nullptr;
  QLineEdit* m_tolerance = nullptr;
  QComboBox* m_toleranceUnit = nullptr;
  QSpinBox* m_best = nullptr;
  QSpinBox* m_maxTrains = nullptr;
  QComboBox* m_distinct = nullptr;
  QCheckBox* m_hunting = nullptr;
  QCheckBox* m_coaxial = nullptr;
  QLineEdit* m_owned = nullptr;
  QPushButton* m_readGears = nullptr;
  QLineEdit* m_module = nullptr;
  QCheckBox* m_geometry = nullptr;
  QLineEdit* m_pressureAngle = nullptr;
  QLineEdit* m_centreDistance = nullptr;
  QLineEdit* m_profileShift = nullptr;
  QLineEdit* m_shaft = nullptr;
  QLineEdit* m_clearance = nullptr;
  QLineEdit* m_maxDiameter = nullptr;
  QCheckBox* m_fits = nullptr;
  std::vector<QWidget*> m_geometryRows;  // shown while Geometry is ticked
  std::vector<QWidget*> m_compoundRows;  // shown while no planetary kind is chosen
  std::vector<QWidget*> m_clearanceRow;  // shown with Geometry, or for a planetary kind
  PlanetaryInputs* m_planetary = nullptr;

  enum Message { TeethMessage, TargetMessage, ToleranceMessage, OwnedMessage, ModuleMessage,
                 AngleMessage, CentreMessage, ShiftMessage, ShaftMessage, ClearanceMessage,
                 DiameterMessage, SetupMessage, MessageCount };
  std::array<InputMessage*, MessageCount> m_messages{};
};

}  // namespace quenmar::design
