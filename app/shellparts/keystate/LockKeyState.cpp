#include "LockKeyState.h"

#include <QGuiApplication>

#if defined(QUENMAR_HAVE_X11) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#define QUENMAR_READ_X11_INDICATORS 1
#endif

namespace quenmar {

#ifdef QUENMAR_READ_X11_INDICATORS
namespace {

Display* ApplicationDisplay() {
  if (!qGuiApp) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

// The indicators are looked up by name, since servers number them differently.
bool IndicatorOn(Display* display, const char* name) {
  const Atom atom = XInternAtom(display, name, True);
  if (atom == None) return false;
  Bool on = False;
  if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
  return on;
}

}  // namespace

LockKeys LockKeyState::Read() {
  Display* display = ApplicationDisplay();
  if (!display) return {};
  return {IndicatorOn(display, "Caps Lock"), IndicatorOn(display, "Num Lock"),
          IndicatorOn(display, "Scroll Lock")};
}

bool LockKeyState::IsAvailable() { return ApplicationDisplay() != nullptr; }

#else

LockKeys LockKeyState::Read() { return {}; }
bool LockKeyState::IsAvailable() { return false; }

#endif

}  // namespace quenmar
