#include "ObjectSystem.h"

#include <atomic>

namespace quenmar {

namespace {
thread_local int t_initCount = 0;
std::atomic<bool> g_failInitialize{false};
std::atomic<bool> g_failCreateInstance{false};
}  // namespace

Status ObjectSystem::Initialize() {
  if (g_failInitialize) return kFail;
  ++t_initCount;
  return t_initCount == 1 ? kOk : kFalse;
}

void ObjectSystem::Uninitialize() {
  if (t_initCount > 0) --t_initCount;
}

bool ObjectSystem::IsInitialized() { return t_initCount > 0; }

Status ObjectSystem::CheckCreateInstance() {
  if (t_initCount == 0) return kNotInitialized;
  if (g_failCreateInstance) return kClassNotAvailable;
  return kOk;
}

void ObjectSystem::SetFailInitialize(bool fail) { g_failInitialize = fail; }
void ObjectSystem::SetFailCreateInstance(bool fail) { g_failCreateInstance = fail; }

}  // namespace quenmar
