#pragma once
// The object system the server runs on, reduced to what the application needs on Linux: start
// and stop on the start-up thread, and the creation of in-process components (the registrar).
// Nothing here talks to another process. Both steps succeed unless a test has switched on one
// of the failure switches, which is how the start-up's failure paths are exercised.

#include "Status.h"

namespace quenmar {

class ObjectSystem {
 public:
  // Starts the object system for the calling thread. Calls nest: every successful Initialize
  // needs one Uninitialize on the same thread.
  static Status Initialize();
  static void Uninitialize();
  static bool IsInitialized();  // on the calling thread

  // Whether an in-process component may be created now: the object system must be running on
  // this thread.
  static Status CheckCreateInstance();

  // Failure switches for tests; both off in the program.
  static void SetFailInitialize(bool fail);
  static void SetFailCreateInstance(bool fail);
};

}  // namespace quenmar
