#include "ServerModule.h"

#include "ClassesRoot.h"
#include "Registrar.h"
#include "TypeLibrary.h"

#include <climits>
#include <memory>

namespace quenmar {

ServerModule& ServerModule::Instance() {
  static ServerModule module;
  return module;
}

void ServerModule::Init(const QString& modulePath, std::vector<ServerClass> classTable) {
  std::lock_guard lock(m_classTableLock);
  m_strModulePath = modulePath;
  m_classTable = std::move(classTable);
  m_bClassObjectRegistered.assign(m_classTable.size(), false);
  m_nLockCount = 0;
  m_threadId = std::this_thread::get_id();
  m_bInitialized = true;
}

void ServerModule::Term() {
  std::lock_guard lock(m_classTableLock);
  for (std::size_t i = 0; i < m_classTable.size(); ++i)
    if (m_bClassObjectRegistered[i] && m_classTable[i].revokeClassObject)
      m_classTable[i].revokeClassObject();
  m_classTable.clear();
  m_bClassObjectRegistered.clear();
  m_bInitialized = false;
}

Status ServerModule::RegisterClassObjects() {
  std::lock_guard lock(m_classTableLock);
  for (std::size_t i = 0; i < m_classTable.size(); ++i) {
    if (!m_classTable[i].registerClassObject) continue;
    const Status status = m_classTable[i].registerClassObject();
    if (Failed(status)) return status;
    m_bClassObjectRegistered[i] = true;
  }
  return kOk;
}

Status ServerModule::RevokeClassObjects() {
  std::lock_guard lock(m_classTableLock);
  for (std::size_t i = 0; i < m_classTable.size(); ++i) {
    if (!m_bClassObjectRegistered[i]) continue;
    const Status status = m_classTable[i].revokeClassObject ? m_classTable[i].revokeClassObject() : kOk;
    if (Failed(status)) return status;
    m_bClassObjectRegistered[i] = false;
  }
  return kOk;
}

Status ServerModule::RegisterServer(bool bRegisterTypeLibrary) {
  {
    std::lock_guard lock(m_classTableLock);
    for (const ServerClass& serverClass : m_classTable) {
      if (!serverClass.updateRegistry) continue;
      const Status status = serverClass.updateRegistry(true);
      if (Failed(status)) return status;
    }
  }
  return bRegisterTypeLibrary ? RegisterTypeLibrary(m_strModulePath) : kOk;
}

Status ServerModule::UnregisterServer() {
  {
    std::lock_guard lock(m_classTableLock);
    for (const ServerClass& serverClass : m_classTable)
      if (serverClass.updateRegistry) serverClass.updateRegistry(false);
  }
  return UnregisterTypeLibrary(m_strModulePath);
}

Status ServerModule::UpdateRegistryFromResource(int resourceId, bool bRegister) {
  ClassesRoot classesRoot;
  std::unique_ptr<Registrar> registrar;
  if (const Status status = CreateRegistrar(classesRoot, registrar); Failed(status)) return status;

  // The path must fit the buffer the object system hands to the registrar.
  if (m_strModulePath.toLocal8Bit().size() >= PATH_MAX) return kOutOfMemory;

  QString quoted = m_strModulePath;
  quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
  registrar->AddReplacement(QStringLiteral("Module"), quoted);
  return registrar->ApplyResource(resourceId, bRegister);
}

}  // namespace quenmar
