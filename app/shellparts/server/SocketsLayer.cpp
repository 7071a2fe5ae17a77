#include "SocketsLayer.h"

#include <atomic>

namespace quenmar {

namespace {
std::atomic<bool> g_initialized{false};
std::atomic<bool> g_failInitialize{false};
}  // namespace

bool SocketsLayer::Initialize() {
  if (g_failInitialize) return false;
  g_initialized = true;
  return true;
}

bool SocketsLayer::IsInitialized() { return g_initialized; }

void SocketsLayer::SetFailInitialize(bool fail) { g_failInitialize = fail; }

}  // namespace quenmar
