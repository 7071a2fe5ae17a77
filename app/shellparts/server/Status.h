#pragma once
// Status codes of the server layer. They keep the object system's conventions (negative means
// failure, zero success) so that the start-up code reads the same way it always has; the
// registration steps return them and InitServer decides what to do with them.

#include <cstdint>

namespace quenmar {

using Status = std::int32_t;

inline constexpr Status kOk = 0;
inline constexpr Status kFalse = 1;  // success, but nothing was done
inline constexpr Status kFail = static_cast<Status>(0x80004005u);
inline constexpr Status kOutOfMemory = static_cast<Status>(0x8007000Eu);
inline constexpr Status kAccessDenied = static_cast<Status>(0x80070005u);
inline constexpr Status kNotInitialized = static_cast<Status>(0x800401F0u);
inline constexpr Status kClassNotAvailable = static_cast<Status>(0x80040111u);
inline constexpr Status kResourceNotFound = static_cast<Status>(0x80070716u);
inline constexpr Status kScriptSyntax = static_cast<Status>(0x80020009u);
inline constexpr Status kCannotLoadLibrary = static_cast<Status>(0x80029C4Au);
inline constexpr Status kUnsupportedFormat = static_cast<Status>(0x80028019u);

constexpr bool Succeeded(Status s) { return s >= 0; }
constexpr bool Failed(Status s) { return s < 0; }

}  // namespace quenmar
