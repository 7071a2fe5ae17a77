// The quenmar program run as a process: the registration switches end it at once, with exit
// status 0, without waiting for anyone (a disclaimer or message shown on the offscreen platform
// would wait forever), and leave the AppID entries in the classes root; anything else starts
// the program, which then stays up.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "server/ClassesRoot.h"
#include "server/ServerRegistration.h"

using quenmar::ClassesRoot;

namespace {

enum class Outcome { Registered, Unregistered, RunsOn };

const QString kAppIdKey = QStringLiteral("AppID\\") + QString::fromLatin1(quenmar::kQuenmarAppId);
const QString kExeKey = QStringLiteral("AppID\\Quenmar.EXE");

}  // namespace

class ShellProcessTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;

  QString RootPath() const { return m_dir.filePath(QStringLiteral("classes-root.ini")); }
  QString ConfigPath() const { return m_dir.filePath(QStringLiteral("config")); }

  // Runs the program; the process is left running (and returned) when it has not ended within
  // the wait.
  std::unique_ptr<QProcess> Run(const QString& program, const QStringList& arguments, int waitMs) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigPath());
    env.insert(QStringLiteral("QUENMAR_CLASSES_ROOT"), RootPath());
    process->setProcessEnvironment(env);
    process->setProgram(program);
    process->setArguments(arguments);
    process->start();
    process->waitForStarted();
    process->waitForFinished(waitMs);
    return process;
  }

 private slots:
  void switches_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("registeredBefore");
    QTest::addColumn<bool>("throughDashedFolder");
    QTest::addColumn<int>("outcome");
    const auto row = [](const char* name, QStringList args, bool before, bool dashed, Outcome outcome) {
      QTest::newRow(name) << args << before << dashed << int(outcome);
    };
    row("-RegServer", {"-RegServer"}, false, false, Outcome::Registered);
    row("/REGSERVER", {"/REGSERVER"}, false, false, Outcome::Registered);
    row("/rEgSeRvEr", {"/rEgSeRvEr"}, false, false, Outcome::Registered);
    row("/UnregServer", {"/UnregServer"}, true, false, Outcome::Unregistered);
    row("-unregserver", {"-unregserver"}, true, false, Outcome::Unregistered);
    row("both switches: the last one counts", {"/RegServer", "/UnregServer"}, true, false, Outcome::Unregistered);
    row("unregister then register", {"/UnregServer", "/RegServer"}, false, false, Outcome::Registered);
    row("a dash inside the program path", {"/RegServer"}, false, true, Outcome::Registered);
    row("trailing blank", {"/RegServer "}, false, false, Outcome::RunsOn);
    row("a word after the switch", {"-RegServer", "now"}, false, false, Outcome::RunsOn);
    row("embedding", {"-Embedding"}, false, false, Outcome::RunsOn);
    // A document whose path ends in a switch's name is opened; %DIR% is a folder of the test.
    row("document named RegServer", {"%DIR%/docs/RegServer"}, false, false, Outcome::RunsOn);
    row("document named UnregServer", {"%DIR%/docs/UnregServer"}, true, false, Outcome::RunsOn);
    // Qt takes its own options out of the arguments; the switch is still not last on the line.
    row("a Qt option after RegServer", {"/RegServer", "-reverse"}, false, false, Outcome::RunsOn);
    row("a Qt option after UnregServer", {"-UnregServer", "-reverse"}, true, false, Outcome::RunsOn);
    row("a Qt option before the switch", {"-reverse", "/RegServer"}, false, false, Outcome::Registered);
  }
  void switches() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, registeredBefore);
    for (QString& argument : arguments) {
      if (!argument.startsWith(QStringLiteral("%DIR%"))) continue;
      argument.replace(QStringLiteral("%DIR%"), m_dir.path());
      QVERIFY(QDir().mkpath(QFileInfo(argument).path()));
      QFile document(argument);
      QVERIFY(document.open(QIODevice::WriteOnly));
    }
    QFETCH(bool, throughDashedFolder);
    QFETCH(int, outcome);
    QFile::remove(RootPath());
    QDir(ConfigPath()).removeRecursively();

    QString program = QStringLiteral(QUENMAR_EXE);
    if (throughDashedFolder) {
      const QString folder = m_dir.filePath(QStringLiteral("gear-trains/bin"));
      QVERIFY(QDir().mkpath(folder));
      program = folder + QStringLiteral("/quenmar");
      QFile::remove(program);
      QVERIFY(QFile::link(QStringLiteral(QUENMAR_EXE), program));
    }
    if (registeredBefore) {
      auto registering = Run(program, {QStringLiteral("-RegServer")}, 20000);
      QCOMPARE(registering->state(), QProcess::NotRunning);
      QVERIFY(ClassesRoot(RootPath()).KeyExists(kAppIdKey));
    }

    const int waitMs = Outcome(outcome) == Outcome::RunsOn ? 1500 : 20000;
    auto process = Run(program, arguments, waitMs);
    if (Outcome(outcome) == Outcome::RunsOn) {
      QCOMPARE(process->state(), QProcess::Running);
      process->kill();
      process->waitForFinished();
      QCOMPARE(ClassesRoot(RootPath()).KeyExists(kAppIdKey), registeredBefore);
      return;
    }
    QCOMPARE(process->state(), QProcess::NotRunning);
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
    // A registration run ends before the settings are set up, so it leaves none behind.
    QVERIFY(!QDir(ConfigPath()).exists());

    const ClassesRoot root(RootPath());
    QVERIFY(root.KeyExists(QStringLiteral("AppID")));
    if (Outcome(outcome) == Outcome::Registered) {
      QCOMPARE(root.Value(kAppIdKey).toString(), QStringLiteral("Quenmar"));
      QCOMPARE(root.Value(kExeKey, QStringLiteral("AppID")).toString(), QString::fromLatin1(quenmar::kQuenmarAppId));
    } else {
      QVERIFY(!root.KeyExists(kAppIdKey));
      QVERIFY(!root.KeyExists(kExeKey));
    }
  }
};

QTEST_GUILESS_MAIN(ShellProcessTest)
#include "ShellProcessTest.moc"
