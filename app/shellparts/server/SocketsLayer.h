#pragma once
// The network sockets layer that start-up initialises. Nothing in Quenmar opens a socket; the
// step is kept so that start-up has the same shape and the same failure message everywhere.
// On Linux the sockets layer needs no preparation, so initialisation succeeds unless a test has
// switched on the failure switch.

namespace quenmar {

// String table entry shown (caption: the application name, exclamation icon, OK) when the
// sockets layer cannot be initialised; start-up then ends.
inline constexpr int IDP_SOCKETS_INIT_FAILED = 104;
inline constexpr char kSocketsInitFailedText[] = "Windows sockets initialization failed.";

class SocketsLayer {
 public:
  // True when the sockets layer is ready for use; the result stays until the process ends.
  static bool Initialize();
  static bool IsInitialized();

  // Failure switch for tests; off in the program.
  static void SetFailInitialize(bool fail);
};

}  // namespace quenmar
