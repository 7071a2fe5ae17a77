#pragma once
// Moves a window's values between its members and its controls, in one routine for both
// directions (the window's DoDataExchange calls one item per value, in reading order):
//
//   void DoDataExchange(DataExchange& dx) {
//     dx.Real(1060, m_dTargetReduction, 0.0, 1000.0);
//     dx.Integer(1154, m_nMaxSolutions, 0, 500);
//     dx.Text(1243, m_strOutputPath, 50);
//   }
//
// Writing puts every value into its control (integers in plain decimal, reals with "%.15g",
// texts as they are; a text limit becomes the field's typing limit) without the window
// hearing the change. Reading parses each control in turn (blanks around a number and a
// leading sign allowed), checks the limits (inclusive), and stops at the first failure:
// one message box names the value expected and its limits, the focus goes to that field
// with its text selected, and ok() turns false. Values read before it keep what was read;
// the failing one and all later ones keep their previous values.

#include <QString>

#include <optional>

#include "LayoutBuilder.h"

namespace quenmar {

class DataExchange {
 public:
  enum class Direction { Write, Read };

  DataExchange(const Controls& controls, Direction direction);

  bool isReading() const { return m_direction == Direction::Read; }
  // False once a read has failed; every later item is then skipped.
  bool ok() const { return m_ok; }

  void Integer(int id, int& value);
  void Integer(int id, int& value, int min, int max);
  void Real(int id, double& value);
  void Real(int id, double& value, double min, double max);
  // Writes `shown` instead of the "%.15g" text of the value (for reals the program formats
  // itself); reading parses the field as usual.
  void Real(int id, double& value, const QString& shown);
  // maxLength < 0: no limit.
  void Text(int id, QString& value, int maxLength = -1);
  // Check boxes and radio buttons.
  void Check(int id, bool& value);
  // Binds a control object to its member (both directions), like attaching a class to an
  // existing control: `member` becomes the control with `id` when it is a T.
  template <class T>
  void Control(int id, T*& member) {
    member = m_controls.template get<T>(id);
  }

  // True while a failed read is telling the user (the message box is up, or the focus is
  // being moved back to the field). Focus-out handlers that read the window may check it;
  // reads during that time report failure without a second message.
  static bool IsReportingFailure();

  // Formats a real as writing does ("%.15g").
  static QString FormatReal(double value);
  // Parses as reading does; nullopt when the text is not a number of that kind.
  static std::optional<int> ParseInteger(const QString& text);
  static std::optional<double> ParseReal(const QString& text);

 private:
  QWidget* prepare(int id) const;
  void writeText(QWidget* control, const QString& text, int maxLength = -1);
  QString readText(QWidget* control) const;
  void fail(QWidget* control, const QString& message);
  void integerItem(int id, int& value, std::optional<std::pair<int, int>> limits);
  void realItem(int id, double& value, std::optional<std::pair<double, double>> limits,
                const QString* shown);

  const Controls& m_controls;
  Direction m_direction;
  bool m_ok = true;
};

}  // namespace quenmar
