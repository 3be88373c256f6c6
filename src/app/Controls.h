// One-line wrappers around the control messages the window and the job send.
// They work from any thread: a message sent to a control of another thread
// is served by that thread and the call waits for the answer; once the
// control is destroyed the call fails at once and yields 0.
#pragma once

#include <windows.h>

#include <algorithm>

#include "text/Primitives.h"
#include "text/Text.h"

namespace velmora {

inline LRESULT SendTo(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(control, message, wParam, lParam);
}

// The text of an edit box, a label or a drop-down box's edit field.
// WM_GETTEXTLENGTH may report more than WM_GETTEXT copies (double-byte
// texts), and the text may grow between the two calls: the copied count is
// what counts. The buffer holds one byte more than reported, so a text that
// fills it has grown and is read again with a larger one.
inline Text ControlText(HWND control) {
    int capacity = int(SendTo(control, WM_GETTEXTLENGTH)) + 2;
    for (int attempt = 0; attempt < 4; ++attempt) {
        Text buffer = BlankText(capacity);
        int copied = int(SendTo(control, WM_GETTEXT, WPARAM(capacity), LPARAM(buffer.MutableData())));
        if (copied <= 0) return Text();
        if (copied < capacity - 1) return Text::Result(buffer.Data(), copied);
        capacity = std::max(capacity * 2, int(SendTo(control, WM_GETTEXTLENGTH)) + 2);
    }
    return Text();
}

// Replaces the text; an absent text clears it.
inline void SetControlText(HWND control, const Text& text) {
    SendTo(control, WM_SETTEXT, 0, LPARAM(text.Data()));
}

// CB_GETCURSEL: the selected list item, -1 (CB_ERR) when none is selected,
// also while the user types into the edit field of an editable box.
inline int ComboSelection(HWND box) { return int(SendTo(box, CB_GETCURSEL)); }

// CB_SETCURSEL: shows the item in the edit field; sends no CBN_SELCHANGE.
inline void SelectComboItem(HWND box, int index) { SendTo(box, CB_SETCURSEL, WPARAM(index)); }

// CB_ADDSTRING: appends in an unsorted box (CBS_SORT would sort instead).
inline void AddComboItem(HWND box, const Text& item) { SendTo(box, CB_ADDSTRING, 0, LPARAM(item.Data())); }

// The text of list item index (CB_GETLBTEXT). At CBN_SELCHANGE the edit
// field may still show the previous item, so the handlers read the picked
// item this way instead of reading the edit field.
inline Text ComboItemText(HWND box, int index) {
    int length = int(SendTo(box, CB_GETLBTEXTLEN, WPARAM(index)));
    if (length <= 0) return Text();
    Text buffer = BlankText(length + 1);
    int copied = int(SendTo(box, CB_GETLBTEXT, WPARAM(index), LPARAM(buffer.MutableData())));
    return copied > 0 ? Text::UpToZero(buffer.Data()) : Text();
}

}  // namespace velmora
