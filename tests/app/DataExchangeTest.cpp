// Data exchange in both directions through real line edits: what writing shows, what
// reading accepts, where it stops, and that one invalid field gives exactly one message.

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "BindingTable.h"
#include "DataExchange.h"
#include "LayoutBuilder.h"
#include "Presenter.h"
#include "SpinButton.h"

using namespace quenmar;

namespace {

constexpr int kCount = 10, kRatio = 11, kName = 12, kSpin = 13;

constexpr ControlSpec kControls[] = {
    {kCount, ControlKind::Edit, nullptr, 0, 0, 40, 12, kTabStop},
    {kSpin, ControlKind::SpinButton, nullptr, 40, 0, 8, 12, kSpinArrowKeys, kCount},
    {kRatio, ControlKind::Edit, nullptr, 0, 14, 40, 12, kTabStop},
    {kName, ControlKind::Edit, nullptr, 0, 28, 40, 12, kTabStop},
};
constexpr DialogLayout kLayout{900, "", 60, 50, "Arial", 10, kControls};

// A window with three values, exchanged in the order count, ratio, name.
struct Window {
  QWidget widget;
  BuiltLayout built;
  int count = 7;
  double ratio = 2.5;
  QString name = QStringLiteral("gear");

  Window() {
    built = LayoutBuilder(kLayout).build(&widget);
    widget.resize(built.clientSize);
  }
  bool exchange(DataExchange::Direction direction) {
    DataExchange dx(built.controls, direction);
    dx.Integer(kCount, count, 1, 500);
    dx.Real(kRatio, ratio, 0.0, 1000.0);
    dx.Text(kName, name, 8);
    return dx.ok();
  }
  QLineEdit* edit(int id) const { return built.controls.get<QLineEdit>(id); }
};

}  // namespace

class DataExchangeTest : public QObject {
  Q_OBJECT
 private slots:
  void parsing_data();
  void parsing();
  void writingShowsValuesWithoutNotifying();
  void readingStopsAtFirstFailureWithOneMessage_data();
  void readingStopsAtFirstFailureWithOneMessage();
  void userAndSpinChangesAreHeard();
  void focusOutReadsGiveOneMessage();
};

void DataExchangeTest::parsing_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("isInteger");
  QTest::addColumn<int>("integer");
  QTest::addColumn<bool>("isReal");
  QTest::addColumn<double>("real");
  QTest::newRow("plain") << "42" << true << 42 << true << 42.0;
  QTest::newRow("blanks around") << "  42\t " << true << 42 << true << 42.0;
  QTest::newRow("leading plus") << "+7" << true << 7 << true << 7.0;
  QTest::newRow("leading minus") << "-7" << true << -7 << true << -7.0;
  QTest::newRow("real with exponent") << "1.5e2" << false << 0 << true << 150.0;
  QTest::newRow("leading point") << ".25" << false << 0 << true << 0.25;
  QTest::newRow("empty") << "" << false << 0 << false << 0.0;
  QTest::newRow("only blanks") << "   " << false << 0 << false << 0.0;
  QTest::newRow("sign alone") << "-" << false << 0 << false << 0.0;
  QTest::newRow("two signs") << "+-3" << false << 0 << false << 0.0;
  QTest::newRow("inner blank") << "4 2" << false << 0 << false << 0.0;
  QTest::newRow("trailing letter") << "12a" << false << 0 << false << 0.0;
  QTest::newRow("hexadecimal") << "0x1A" << false << 0 << false << 0.0;
  QTest::newRow("infinity") << "inf" << false << 0 << false << 0.0;
  QTest::newRow("not a number") << "nan" << false << 0 << false << 0.0;
  QTest::newRow("too large for int") << "3000000000" << false << 0 << true << 3e9;
  QTest::newRow("most negative int") << "-2147483648" << true << int(-2147483647 - 1) << true << -2147483648.0;
  QTest::newRow("overflowing real") << "1e999" << false << 0 << false << 0.0;
}

void DataExchangeTest::parsing() {
  QFETCH(QString, text);
  QFETCH(bool, isInteger);
  QFETCH(int, integer);
  QFETCH(bool, isReal);
  QFETCH(double, real);
  const auto i = DataExchange::ParseInteger(text);
  QCOMPARE(i.has_value(), isInteger);
  if (isInteger) QCOMPARE(*i, integer);
  const auto d = DataExchange::ParseReal(text);
  QCOMPARE(d.has_value(), isReal);
  if (isReal) QCOMPARE(*d, real);
}

void DataExchangeTest::writingShowsValuesWithoutNotifying() {
  Window w;
  w.ratio = 1.0 / 3.0;
  QSignalSpy changed(w.edit(kCount), &QLineEdit::textChanged);
  QVERIFY(w.exchange(DataExchange::Direction::Write));
  QCOMPARE(w.edit(kCount)->text(), QStringLiteral("7"));
  QCOMPARE(w.edit(kRatio)->text(), QStringLiteral("0.333333333333333"));
  QCOMPARE(w.edit(kName)->text(), QStringLiteral("gear"));
  QCOMPARE(w.edit(kName)->maxLength(), 8);
  QCOMPARE(changed.count(), 0);

  // A text the caller formats itself is shown as given.
  DataExchange dx(w.built.controls, DataExchange::Direction::Write);
  dx.Real(kRatio, w.ratio, QStringLiteral("   0.333"));
  QCOMPARE(w.edit(kRatio)->text(), QStringLiteral("   0.333"));
  QCOMPARE(DataExchange::FormatReal(1e20), QStringLiteral("1e+20"));
  QCOMPARE(DataExchange::FormatReal(0.1), QStringLiteral("0.1"));
}

void DataExchangeTest::readingStopsAtFirstFailureWithOneMessage_data() {
  QTest::addColumn<QString>("count");
  QTest::addColumn<QString>("ratio");
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("failingId");
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("countAfter");
  QTest::addColumn<double>("ratioAfter");
  QTest::newRow("all valid") << " 12 " << "-0" << "spur" << 0 << "" << 12 << 0.0;
  QTest::newRow("limits inclusive") << "500" << "1000" << "12345678" << 0 << "" << 500 << 1000.0;
  QTest::newRow("integer below range") << "0" << "3" << "x" << kCount
                                       << "Please enter an integer between 1 and 500." << 7 << 2.5;
  QTest::newRow("integer not a number") << "abc" << "3" << "x" << kCount
                                        << "Please enter an integer between 1 and 500." << 7 << 2.5;
  QTest::newRow("real above range") << "9" << "1000.5" << "x" << kRatio
                                    << "Please enter a number between 0 and 1000." << 9 << 2.5;
  QTest::newRow("real not a number") << "9" << "1,5" << "x" << kRatio
                                     << "Please enter a number between 0 and 1000." << 9 << 2.5;
  QTest::newRow("text too long") << "9" << "4" << "123456789" << kName
                                 << "Please enter no more than 8 characters." << 9 << 4.0;
}

void DataExchangeTest::readingStopsAtFirstFailureWithOneMessage() {
  QFETCH(QString, count);
  QFETCH(QString, ratio);
  QFETCH(QString, name);
  QFETCH(int, failingId);
  QFETCH(QString, message);
  QFETCH(int, countAfter);
  QFETCH(double, ratioAfter);

  ScriptedPresenter presenter;
  Window w;
  w.widget.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w.widget));
  w.edit(kCount)->setText(count);
  w.edit(kRatio)->setText(ratio);
  w.edit(kName)->setMaxLength(100);
  w.edit(kName)->setText(name);

  const bool ok = w.exchange(DataExchange::Direction::Read);
  QCOMPARE(ok, failingId == 0);
  QCOMPARE(w.count, countAfter);
  QCOMPARE(w.ratio, ratioAfter);
  QCOMPARE(w.name, failingId == 0 ? name : QStringLiteral("gear"));
  if (failingId == 0) {
    QVERIFY(presenter.shown().isEmpty());
    return;
  }
  QCOMPARE(presenter.messages().size(), 1);
  QCOMPARE(presenter.messages().first().text, message);
  QCOMPARE(presenter.messages().first().caption, QStringLiteral("Quenmar"));
  QCOMPARE(QApplication::focusWidget(), w.edit(failingId));
  QCOMPARE(w.edit(failingId)->selectedText(), w.edit(failingId)->text());
}

void DataExchangeTest::userAndSpinChangesAreHeard() {
  Window w;
  auto* spin = w.built.controls.get<SpinButton>(kSpin);
  spin->setRange(1, 9);
  w.exchange(DataExchange::Direction::Write);
  w.widget.show();
  QVERIFY(QTest::qWaitForWindowActive(&w.widget));
  QSignalSpy changed(w.edit(kCount), &QLineEdit::textChanged);

  w.edit(kCount)->setFocus();
  QTest::keyClick(w.edit(kCount), Qt::Key_Up);  // the spin button hears the arrow key
  QCOMPARE(w.edit(kCount)->text(), QStringLiteral("8"));
  QTest::keyClick(w.edit(kCount), Qt::Key_End);
  QTest::keyClick(w.edit(kCount), Qt::Key_Backspace);
  QTest::keyClicks(w.edit(kCount), "3");
  QCOMPARE(w.edit(kCount)->text(), QStringLiteral("3"));
  QCOMPARE(changed.count(), 3);
  w.exchange(DataExchange::Direction::Write);  // back to 7, unheard
  QCOMPARE(changed.count(), 3);
}

// A message box takes the focus away; focus-out handlers that read the window again must
// not raise a second message, let alone a loop of them.
class FocusMovingPresenter : public Presenter {
 public:
  QWidget* moveTo = nullptr;
  int boxes = 0;
  int execDialog(QDialog&) override { return 2; }
  int messageBox(const MessageBoxRequest&) override {
    ++boxes;
    if (boxes > 5) return 1;  // a loop; the assertions below will tell
    if (moveTo) moveTo->setFocus();
    return 1;
  }
};

void DataExchangeTest::focusOutReadsGiveOneMessage() {
  FocusMovingPresenter presenter;
  Presenter::install(&presenter);
  Window w;
  BindingTable table;
  int reads = 0;
  for (int id : {kCount, kRatio, kName})
    table.on(id, Notification::KillFocus, [&] {
      ++reads;
      w.exchange(DataExchange::Direction::Read);
    });
  table.attach(w.built.controls);
  w.widget.show();
  QVERIFY(QTest::qWaitForWindowActive(&w.widget));
  w.exchange(DataExchange::Direction::Write);
  w.edit(kCount)->setFocus();
  w.edit(kCount)->setText(QStringLiteral("0"));  // below the limit
  presenter.moveTo = w.edit(kName);
  w.edit(kRatio)->setFocus();  // count loses the focus: read, fail, one message
  Presenter::install(nullptr);
  QCOMPARE(presenter.boxes, 1);
  QVERIFY(reads >= 2);  // the other fields' handlers ran too, silently
  QCOMPARE(QApplication::focusWidget(), w.edit(kCount));
  QVERIFY(!DataExchange::IsReportingFailure());
}

QTEST_MAIN(DataExchangeTest)
#include "DataExchangeTest.moc"
