#pragma once
// The inputs of a planetary train, shown in place of the teeth table while a planetary
// kind is chosen: the sun, planet (and second planet), ring (and second ring) teeth
// ranges, the planets, the held and driving members, the spacing and one module. Each
// (and, for a simple set, profile shift up to a largest shift)
// has a buddy label, a tooltip, a help topic, and beside it what it accepts or what is
// wrong, in the words quenmar-solve uses for the same option.

#include <QWidget>
#include <array>
#include <vector>

#include "DesignSetup.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;

namespace quenmar::design {

class InputMessage;

class PlanetaryInputs : public QWidget {
  Q_OBJECT
 public:
  explicit PlanetaryInputs(QWidget* parent = nullptr);

  // Shows the planetary fields of `setup`, and the inputs its kind has.
  void Show(const DesignSetup& setup);
  // Reads the fields into `setup`.
  void Take(DesignSetup& setup);
  // The problem of the reading beside its input (problems.planetary), the hints elsewhere.
  void ShowProblem(const std::string& message);

  // The inputs in Tab order.
  std::vector<QWidget*> TabChain() const;

 signals:
  void edited();

 private:
  void ShowRows(const DesignSetup& setup);

  enum Field { Sun, Planet, Planet2, Ring, Ring2, Planets, Held, Input, Spacing, FieldCount };
  std::array<QWidget*, FieldCount> m_inputs{};
  std::array<QWidget*, FieldCount> m_labels{};
  std::array<InputMessage*, FieldCount> m_messages{};
  QCheckBox* m_oneModule = nullptr;
  // Simple sets: profile shift, and the largest shift of a gear beside it.
  QCheckBox* m_profileShift = nullptr;
  QLineEdit* m_maxShift = nullptr;
  InputMessage* m_shiftMessage = nullptr;
};

}  // namespace quenmar::design
