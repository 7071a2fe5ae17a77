#include "DataExchange.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include <charconv>
#include <cmath>

#include "Framework.h"
#include "Presenter.h"
#include "TextFormat.h"

namespace quenmar {
namespace {

bool g_reportingFailure = false;

QByteArray Trimmed(const QString& text) {
  // Only blanks and tabs count as space around a number.
  qsizetype first = 0;
  qsizetype last = text.size();
  auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
  while (first < last && blank(text.at(first))) ++first;
  while (last > first && blank(text.at(last - 1))) --last;
  return text.mid(first, last - first).toLatin1();
}

template <class T>
std::optional<T> ParseNumber(const QString& text, bool (*accept)(const QByteArray&)) {
  const QByteArray bytes = Trimmed(text);
  if (!accept(bytes)) return std::nullopt;
  const char* first = bytes.constData();
  const char* last = first + bytes.size();
  const bool negative = first != last && *first == '-';
  if (first != last && (*first == '+' || *first == '-')) ++first;
  if (first == last || *first == '+' || *first == '-') return std::nullopt;
  T value{};
  std::from_chars_result result;
  if constexpr (std::is_floating_point_v<T>) {
    result = std::from_chars(first, last, value, std::chars_format::general);
  } else {
    // Parse the magnitude wide, so that the most negative integer still fits.
    long long magnitude = 0;
    result = std::from_chars(first, last, magnitude);
    if (result.ec == std::errc()) {
      const long long signedValue = negative ? -magnitude : magnitude;
      if (signedValue < std::numeric_limits<T>::min() || signedValue > std::numeric_limits<T>::max())
        return std::nullopt;
      value = static_cast<T>(signedValue);
      return result.ptr == last ? std::optional<T>(value) : std::nullopt;
    }
  }
  if (result.ec != std::errc() || result.ptr != last) return std::nullopt;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(value)) return std::nullopt;
    if (negative) value = -value;
  }
  return value;
}

bool DigitsOnly(const QByteArray& bytes) {
  // Sign and digits only: no hexadecimal, no exponent, no inner blanks.
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (!(c >= '0' && c <= '9') && !(i == 0 && (c == '+' || c == '-'))) return false;
  }
  return true;
}

bool DecimalNumber(const QByteArray& bytes) {
  // Digits, one point, an exponent; "inf" and "nan" are not numbers here.
  for (char c : bytes) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
      return false;
  }
  return true;
}

}  // namespace

DataExchange::DataExchange(const Controls& controls, Direction direction)
    : m_controls(controls), m_direction(direction) {}

bool DataExchange::IsReportingFailure() { return g_reportingFailure; }

QString DataExchange::FormatReal(double value) {
  return QString::fromStdString(text::General(value, 15));
}

std::optional<int> DataExchange::ParseInteger(const QString& text) {
  return ParseNumber<int>(text, DigitsOnly);
}

std::optional<double> DataExchange::ParseReal(const QString& text) {
  return ParseNumber<double>(text, DecimalNumber);
}

QWidget* DataExchange::prepare(int id) const {
  if (!m_ok) return nullptr;
  return m_controls.widget(id);
}

void DataExchange::writeText(QWidget* control, const QString& text, int maxLength) {
  // The window must not hear its own writes; a text that is already there is left alone,
  // so the caret of a field being typed in stays where it is.
  const QSignalBlocker blocker(control);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    if (maxLength >= 0) {
      // The limit holds for typing; a longer text set by the program is still shown whole.
      const int limit = std::max<int>(maxLength, text.size());
      if (edit->maxLength() != limit) edit->setMaxLength(limit);
    }
    if (edit->text() != text) edit->setText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
    if (combo->isEditable()) {
      if (combo->currentText() != text) combo->setEditText(text);
    } else {
      combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
    }
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    if (label->text() != text) label->setText(text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
    if (plain->toPlainText() != text) plain->setPlainText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    if (button->text() != text) button->setText(text);
  }
}

QString DataExchange::readText(QWidget* control) const {
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
  if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) return plain->toPlainText();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  return {};
}

void DataExchange::fail(QWidget* control, const QString& message) {
  m_ok = false;
  if (g_reportingFailure) return;  // one invalid field, one message
  g_reportingFailure = true;
  Presenter::current().messageBox(MessageBoxRequest{message, AppTitle(), MessageIcon::Exclamation,
                                                    MessageButtons::Ok, control ? control->window() : nullptr});
  if (control) {
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
      combo->lineEdit()->selectAll();
  }
  g_reportingFailure = false;
}

void DataExchange::integerItem(int id, int& value, std::optional<std::pair<int, int>> limits) {
  QWidget* control = prepare(id);
  if (!control) return;
  if (!isReading()) {
    writeText(control, QString::number(value));
    return;
  }
  const std::optional<int> parsed = ParseInteger(readText(control));
  if (!parsed || (limits && (*parsed < limits->first || *parsed > limits->second))) {
    fail(control, limits ? QStringLiteral("Please enter an integer between %1 and %2.")
                               .arg(limits->first)
                               .arg(limits->second)
                         : QStringLiteral("Please enter an integer."));
    return;
  }
  value = *parsed;
}

void DataExchange::realItem(int id, double& value, std::optional<std::pair<double, double>> limits,
                            const QString* shown) {
  QWidget* control = prepare(id);
  if (!control) return;
  if (!isReading()) {
    writeText(control, shown ? *shown : FormatReal(value));
    return;
  }
  const std::optional<double> parsed = ParseReal(readText(control));
  if (!parsed || (limits && (*parsed < limits->first || *parsed > limits->second))) {
    fail(control, limits ? QStringLiteral("Please enter a number between %1 and %2.")
                               .arg(FormatReal(limits->first), FormatReal(limits->second))
                         : QStringLiteral("Please enter a number."));
    return;
  }
  value = *parsed;
}

void DataExchange::Integer(int id, int& value) { integerItem(id, value, std::nullopt); }
void DataExchange::Integer(int id, int& value, int min, int max) {
  integerItem(id, value, std::make_pair(min, max));
}
void DataExchange::Real(int id, double& value) { realItem(id, value, std::nullopt, nullptr); }
void DataExchange::Real(int id, double& value, double min, double max) {
  realItem(id, value, std::make_pair(min, max), nullptr);
}
void DataExchange::Real(int id, double& value, const QString& shown) {
  realItem(id, value, std::nullopt, &shown);
}

void DataExchange::Text(int id, QString& value, int maxLength) {
  QWidget* control = prepare(id);
  if (!control) return;
  if (!isReading()) {
    writeText(control, value, maxLength);
    return;
  }
  const QString text = readText(control);
  if (maxLength >= 0 && text.size() > maxLength) {
    fail(control, QStringLiteral("Please enter no more than %1 characters.").arg(maxLength));
    return;
  }
  value = text;
}

void DataExchange::Check(int id, bool& value) {
  QWidget* control = prepare(id);
  auto* button = qobject_cast<QAbstractButton*>(control);
  if (!button) return;
  if (isReading()) {
    value = button->isChecked();
  } else if (button->isChecked() != value) {
    const QSignalBlocker blocker(button);
    button->setChecked(value);
  }
}

}  // namespace quenmar
