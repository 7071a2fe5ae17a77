// The lock-key indicators. Without an X server (the offscreen platform of the test run) there is
// no keyboard state to read and every key counts as off. Under an X server
// (QT_QPA_PLATFORM=xcb) the test also reads the real state: Caps Lock off, or on when
// QUENMAR_TOGGLE_CAPS is set and it was switched on before the run, for example
//   xvfb-run -a -s -noreset sh -c
//     'xdotool key Caps_Lock; QUENMAR_TOGGLE_CAPS=1 QT_QPA_PLATFORM=xcb ./shellparts_tests'
// (-noreset: otherwise the server forgets the lock state when xdotool disconnects).
#include "keystate/LockKeyState.h"

#include <QGuiApplication>
#include <QtTest>

using namespace quenmar;

class LockKeyStateTest : public QObject {
  Q_OBJECT

 private slots:
  void blankWithoutAnXServer() {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) QSKIP("runs on the offscreen platform");
    QVERIFY(!LockKeyState::IsAvailable());
    QCOMPARE(LockKeyState::Read(), LockKeys{});
  }

  void readsTheXServer() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server");
    QVERIFY(LockKeyState::IsAvailable());
    const LockKeys keys = LockKeyState::Read();
    if (qEnvironmentVariableIsSet("QUENMAR_TOGGLE_CAPS")) QVERIFY(keys.capsLock);
    else QVERIFY(!keys.capsLock);
  }
};

int RunLockKeyStateTest(int argc, char** argv) {
  LockKeyStateTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "LockKeyStateTest.moc"
