// The window's drop target: files and folders dropped anywhere on the window
// arrive as one text of their full paths.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <functional>

#include "text/Text.h"

namespace velmora {

using DropReceiver = std::function<void(const Text& paths)>;

// A new OLE drop target (one reference, owned by the caller) that accepts
// file drops as copies and hands their paths to receive.
IDropTarget* NewFileDropTarget(DropReceiver receive);

// Registers a new file drop target on the window (OLE must be initialised on
// this thread). False when the window could not be registered.
bool RegisterFileDrop(HWND window, DropReceiver receive);
void RevokeFileDrop(HWND window);

// The paths in a dropped file list: one path alone as it is, several each
// followed by "\r\n", in the order the system lists them.
Text DroppedPaths(HDROP drop);

}  // namespace velmora
