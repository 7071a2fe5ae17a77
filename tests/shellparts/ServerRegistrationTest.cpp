// Start-up of the server and the registration switches, against a temporary classes root.
#include "server/ClassesRoot.h"
#include "server/ObjectSystem.h"
#include "server/Registrar.h"
#include "server/ServerRegistration.h"
#include "server/SocketsLayer.h"
#include "server/TypeLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace quenmar;

Q_DECLARE_METATYPE(quenmar::RegistrationSwitch)

namespace {

const QString kAppIdKey = QStringLiteral("AppID\\") + QString::fromLatin1(kQuenmarAppId);
const QString kExeKey = QStringLiteral("AppID\\Quenmar.EXE");

}  // namespace

class ServerRegistrationTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(m_dir.isValid());
    m_rootPath = m_dir.filePath(QStringLiteral("root-%1.ini").arg(++m_nCase));
    qputenv("QUENMAR_CLASSES_ROOT", m_rootPath.toLocal8Bit());
    ObjectSystem::SetFailInitialize(false);
    ObjectSystem::SetFailCreateInstance(false);
  }

  void cleanup() {
    ObjectSystem::SetFailInitialize(false);
    ObjectSystem::SetFailCreateInstance(false);
    QVERIFY2(!ObjectSystem::IsInitialized(), "every test leaves the object system stopped");
  }

  void findOneOf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");  // -1: none
    QTest::newRow("empty text") << "" << -1;
    QTest::newRow("no character of the set") << "quenmar" << -1;
    QTest::newRow("first character") << "-x" << 1;
    QTest::newRow("slash in the middle") << "a/b-c" << 2;
    QTest::newRow("last character") << "abc-" << 4;
  }
  void findOneOf() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::string narrow = text.toStdString();
    const auto found = FindOneOf(narrow, "-/");
    QCOMPARE(found ? static_cast<int>(*found) : -1, expected);
  }

  void registrationSwitch_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<RegistrationSwitch>("expected");
    const auto none = RegistrationSwitch::None;
    const auto reg = RegistrationSwitch::Register;
    const auto unreg = RegistrationSwitch::Unregister;
    QTest::newRow("no arguments") << "/usr/bin/quenmar" << none;
    QTest::newRow("dash RegServer") << "/usr/bin/quenmar -RegServer" << reg;
    QTest::newRow("slash RegServer") << "/usr/bin/quenmar /RegServer" << reg;
    QTest::newRow("small letters") << "/usr/bin/quenmar -regserver" << reg;
    QTest::newRow("capitals") << "/usr/bin/quenmar /REGSERVER" << reg;
    QTest::newRow("dash UnregServer") << "/usr/bin/quenmar -UnregServer" << unreg;
    QTest::newRow("mixed case UnregServer") << "/usr/bin/quenmar /uNrEgSeRvEr" << unreg;
    QTest::newRow("trailing blank") << "/usr/bin/quenmar -RegServer " << none;
    QTest::newRow("followed by a word") << "/usr/bin/quenmar -RegServer now" << none;
    QTest::newRow("followed by a file name") << "/usr/bin/quenmar /UnregServer doc.txt" << none;
    QTest::newRow("register then unregister") << "/usr/bin/quenmar /RegServer /UnregServer" << unreg;
    QTest::newRow("unregister then register") << "/usr/bin/quenmar /UnregServer /RegServer" << reg;
    QTest::newRow("dash inside the program path") << "/opt/gear-tools/quenmar -RegServer" << reg;
    QTest::newRow("dash inside the path, no switch") << "/opt/gear-tools/quenmar" << none;
    QTest::newRow("double dash") << "/usr/bin/quenmar --RegServer" << reg;
    QTest::newRow("without a switch character") << "/usr/bin/quenmar RegServer" << none;
    QTest::newRow("other switch") << "/usr/bin/quenmar -Embedding" << none;
    // A "/" inside a path separates folders; it never starts a switch.
    QTest::newRow("document path ending in RegServer") << "/usr/bin/quenmar /tmp/docs/RegServer" << none;
    QTest::newRow("document path ending in UnregServer") << "/usr/bin/quenmar docs/unregserver" << none;
    QTest::newRow("dash inside a word") << "/usr/bin/quenmar notes-RegServer" << none;
    QTest::newRow("path, then the switch") << "/usr/bin/quenmar /tmp/docs/RegServer /UnregServer" << unreg;
    QTest::newRow("doubled slash inside a path") << "/usr/bin/quenmar /tmp//RegServer" << none;
  }
  void registrationSwitch() {
    QFETCH(QString, commandLine);
    QFETCH(RegistrationSwitch, expected);
    QCOMPARE(FindRegistrationSwitch(commandLine.toStdString()), expected);
  }

  void wholeCommandLineJoinsWithSingleBlanks() {
    QCOMPARE(WholeCommandLine({QStringLiteral("/usr/bin/quenmar"), QStringLiteral("/RegServer")}),
             std::string("/usr/bin/quenmar /RegServer"));
  }

  void normalStartAndShutdown() {
    std::int32_t bServerInited = false;
    QVERIFY(InitServer("/usr/bin/quenmar", bServerInited, {QStringLiteral("/usr/bin/quenmar"), {}}));
    QVERIFY(bServerInited);
    QVERIFY(ObjectSystem::IsInitialized());
    QVERIFY(ServerModule::Instance().IsInitialized());
    QCOMPARE(ServerModule::Instance().ModulePath(), QStringLiteral("/usr/bin/quenmar"));

    ShutdownServer(bServerInited);
    QVERIFY(!bServerInited);
    QVERIFY(!ObjectSystem::IsInitialized());
    QVERIFY(!ServerModule::Instance().IsInitialized());
    QVERIFY2(!QFile::exists(m_rootPath), "a normal start leaves the registry alone");

    ShutdownServer(bServerInited);  // a second exit has nothing left to stop
    QVERIFY(!ObjectSystem::IsInitialized());
  }

  void registerThenUnregister() {
    std::int32_t bServerInited = false;
    QVERIFY(!InitServer("/usr/bin/quenmar /RegServer", bServerInited));
    QVERIFY(!bServerInited);
    QVERIFY(!ServerModule::Instance().IsInitialized());
    {
      ClassesRoot root(m_rootPath);
      QCOMPARE(root.Value(kAppIdKey).toString(), QStringLiteral("Quenmar"));
      QCOMPARE(root.Value(kExeKey, QStringLiteral("AppID")).toString(), QString::fromLatin1(kQuenmarAppId));
      // The registry matches names without regard to letter case.
      QCOMPARE(root.Value(QStringLiteral("appid\\quenmar.exe"), QStringLiteral("appid")).toString(),
               QString::fromLatin1(kQuenmarAppId));
      root.SetValue(QStringLiteral("AppID\\OtherProgram.EXE"), QStringLiteral("AppID"), QStringLiteral("{other}"));
      QCOMPARE(root.Flush(), kOk);
    }

    QVERIFY(!InitServer("/usr/bin/quenmar -unregserver", bServerInited));
    QVERIFY(!bServerInited);
    ClassesRoot root(m_rootPath);
    QVERIFY(!root.KeyExists(kAppIdKey));
    QVERIFY(!root.KeyExists(kExeKey));
    QVERIFY(root.KeyExists(QStringLiteral("AppID")));
    QVERIFY2(root.KeyExists(QStringLiteral("AppID\\OtherProgram.EXE")), "only the server's own entries go");
  }

  void registeringTwiceKeepsOneSetOfEntries() {
    std::int32_t bServerInited = false;
    InitServer("quenmar -RegServer", bServerInited);
    InitServer("quenmar -RegServer", bServerInited);
    ClassesRoot root(m_rootPath);
    QCOMPARE(root.SubKeys(QStringLiteral("AppID")).size(), 2);
  }

  void failuresEndStartUpSilently_data() {
    QTest::addColumn<bool>("failInitialize");
    QTest::addColumn<bool>("failRegistrar");
    QTest::addColumn<QString>("commandLine");
    QTest::newRow("object system does not start") << true << false << "quenmar";
    QTest::newRow("object system does not start, RegServer") << true << false << "quenmar -RegServer";
    QTest::newRow("registrar cannot be created") << false << true << "quenmar -RegServer";
  }
  void failuresEndStartUpSilently() {
    QFETCH(bool, failInitialize);
    QFETCH(bool, failRegistrar);
    QFETCH(QString, commandLine);
    ObjectSystem::SetFailInitialize(failInitialize);
    ObjectSystem::SetFailCreateInstance(failRegistrar);
    std::int32_t bServerInited = true;
    QVERIFY(!InitServer(commandLine.toStdString(), bServerInited));
    QVERIFY(!bServerInited);
    QVERIFY(!QFile::exists(m_rootPath));
  }

  void classObjectsAreRegisteredAndRevoked() {
    int registered = 0;
    int revoked = 0;
    ServerClass offered{QStringLiteral("{class}"), nullptr, [&] { ++registered; return kOk; },
                        [&] { ++revoked; return kOk; }};
    std::int32_t bServerInited = false;
    QVERIFY(InitServer("quenmar", bServerInited, {QStringLiteral("/usr/bin/quenmar"), {offered}}));
    QCOMPARE(registered, 1);
    ShutdownServer(bServerInited);
    QCOMPARE(revoked, 1);

    ServerClass refused{QStringLiteral("{refused}"), nullptr, [] { return kFail; }, nullptr};
    QVERIFY(!InitServer("quenmar", bServerInited, {QStringLiteral("/usr/bin/quenmar"), {offered, refused}}));
    QVERIFY(!bServerInited);
    QCOMPARE(revoked, 2);  // the one that was registered is withdrawn again
  }

  void moduleReplacementKeepsApostrophes() {
    ClassesRoot root(m_rootPath);
    Registrar registrar(root);
    const QString path = QStringLiteral("/home/o'neil/bin/quenmar");
    registrar.AddReplacement(QStringLiteral("Module"), QString(path).replace(QLatin1Char('\''), QStringLiteral("''")));
    QCOMPARE(registrar.ApplyScript(QStringLiteral("HKCR { Test { val Path = s '%Module%' } }"), true), kOk);
    QCOMPARE(ClassesRoot(m_rootPath).Value(QStringLiteral("Test"), QStringLiteral("Path")).toString(), path);
  }

  void badScriptLeavesRegistryAlone_data() {
    QTest::addColumn<QString>("script");
    QTest::newRow("unclosed block") << "HKCR { AppID { 'x' = s 'y' }";
    QTest::newRow("unknown replacement") << "HKCR { AppID { 'x' = s '%Nothing%' } }";
    QTest::newRow("other registry root") << "HKLM { Software { } }";
    QTest::newRow("unclosed quote") << "HKCR { 'x = s 'y' }";
    QTest::newRow("number that is not one") << "HKCR { x { val n = d 'abc' } }";
  }
  void badScriptLeavesRegistryAlone() {
    QFETCH(QString, script);
    ClassesRoot root(m_rootPath);
    Registrar registrar(root);
    QVERIFY(Failed(registrar.ApplyScript(script, true)));
    QVERIFY(!QFile::exists(m_rootPath));
  }

  void getDirLen_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("bare name") << "quenmar" << 0;
    QTest::newRow("slash") << "/usr/bin/quenmar" << 9;
    QTest::newRow("backslash after slash") << "a/b\\c" << 4;
    QTest::newRow("drive only") << "C:" << 2;
    QTest::newRow("ends in a separator") << "/usr/bin/" << 9;
  }
  void getDirLen() {
    QFETCH(QString, path);
    QFETCH(int, expected);
    QCOMPARE(GetDirLen(path), expected);
  }

  void typeLibraryLookup_data() {
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no extension") << "/usr/bin/quenmar" << "/usr/bin/quenmar.tlb";
    QTest::newRow("extension replaced") << "/opt/quenmar.exe" << "/opt/quenmar.tlb";
    QTest::newRow("dot in a folder only") << "/opt/v1.01/quenmar" << "/opt/v1.01/quenmar.tlb";
  }
  void typeLibraryLookup() {
    QFETCH(QString, module);
    QFETCH(QString, expected);
    QCOMPARE(TypeLibraryFileBeside(module), expected);
  }

  void typeLibraryIsNeverLoaded() {
    const QString module = m_dir.filePath(QStringLiteral("quenmar"));
    QCOMPARE(RegisterTypeLibrary(module), kCannotLoadLibrary);
    QCOMPARE(UnregisterTypeLibrary(module), kCannotLoadLibrary);
    QFile tlb(module + QStringLiteral(".tlb"));
    QVERIFY(tlb.open(QIODevice::WriteOnly));
    tlb.close();
    QCOMPARE(RegisterTypeLibrary(module), kUnsupportedFormat);
    QCOMPARE(UnregisterTypeLibrary(module), kUnsupportedFormat);
  }

  void socketsLayer() {
    QVERIFY(SocketsLayer::Initialize());
    QVERIFY(SocketsLayer::IsInitialized());
    SocketsLayer::SetFailInitialize(true);
    QVERIFY(!SocketsLayer::Initialize());
    SocketsLayer::SetFailInitialize(false);
    QCOMPARE(QString::fromLatin1(kSocketsInitFailedText), QStringLiteral("Windows sockets initialization failed."));
    QCOMPARE(IDP_SOCKETS_INIT_FAILED, 104);
  }

  void defaultClassesRootPath() {
    QCOMPARE(ClassesRoot::DefaultPath(), m_rootPath);
    qunsetenv("QUENMAR_CLASSES_ROOT");
    QVERIFY(ClassesRoot::DefaultPath().endsWith(QStringLiteral("/Quenmar/classes-root.ini")));
  }

 private:
  QTemporaryDir m_dir;
  QString m_rootPath;
  int m_nCase = 0;
};

int RunServerRegistrationTest(int argc, char** argv) {
  ServerRegistrationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ServerRegistrationTest.moc"
