#pragma once
// The process-wide record of the server: which program it is, the classes it offers and the
// bookkeeping around them. Quenmar offers no class to other programs, so its class table is
// empty and every per-class step does nothing; the table is still walked, so that a class
// added later (or by a test) takes the same road, failures included.

#include "Status.h"

#include <QString>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quenmar {

// One class the server offers.
struct ServerClass {
  QString classId;
  // Writes (true) or removes (false) the class's registry entries and categories.
  std::function<Status(bool bRegister)> updateRegistry;
  // Makes the class object known to other programs, and withdraws it.
  std::function<Status()> registerClassObject;
  std::function<Status()> revokeClassObject;
};

// Id of the registry script resource that describes the server's AppID entries.
inline constexpr int kServerRegistryScript = 102;

class ServerModule {
 public:
  static ServerModule& Instance();

  // Records the program file (which stands for the instance handle: resources and the type
  // library are looked up through it), the class table and the calling thread.
  void Init(const QString& modulePath, std::vector<ServerClass> classTable);
  // Releases the class objects still held and forgets the table.
  void Term();
  bool IsInitialized() const { return m_bInitialized; }

  const QString& ModulePath() const { return m_strModulePath; }
  std::thread::id ThreadId() const { return m_threadId; }
  long LockCount() const { return m_nLockCount; }

  // Each walks the class table in order and stops at the first failure.
  Status RegisterClassObjects();
  Status RevokeClassObjects();
  // Registry entries of every class, then (when all succeeded and asked for) the type library.
  // Results of the type library step are returned, not acted on.
  Status RegisterServer(bool bRegisterTypeLibrary);
  Status UnregisterServer();

  // Applies the registry script resource through the registrar, with the replacement "Module"
  // (the program file, apostrophes doubled) offered to it.
  Status UpdateRegistryFromResource(int resourceId, bool bRegister);

 private:
  QString m_strModulePath;
  std::vector<ServerClass> m_classTable;
  std::vector<bool> m_bClassObjectRegistered;
  long m_nLockCount = 0;
  std::mutex m_classTableLock;
  std::thread::id m_threadId;
  bool m_bInitialized = false;
};

}  // namespace quenmar
