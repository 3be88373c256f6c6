// Win32-only additions to the platform services: the message pre-translation
// hook shared by the main message loop and ProcessEvents.
#pragma once

#include <windows.h>

namespace velmora {

// Returns true when it has handled the message itself (dialog keys,
// accelerators), so it must not be translated and dispatched.
using MessagePreTranslator = bool (*)(MSG* message);

// Registers the application's hook; null removes it. Set it on the main thread
// before the message loop starts; the hook itself may then run on any thread
// that calls ProcessEvents.
void SetMessagePreTranslator(MessagePreTranslator preTranslator);

// Offers the message to the registered hook; false when there is none or it
// left the message alone.
bool PreTranslateMessage(MSG* message);

// The id of the thread that called InitProgramDirectory (the main thread).
DWORD MainThreadId();

}  // namespace velmora
