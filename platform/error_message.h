// The one message a user can see: a modal error box.
//
// Windows: the error beep (MessageBeep, type 0x10) and a modal box without an
// owner window, one OK button and the error icon (MessageBoxA, type 0x10); the
// calling thread blocks until the user closes it. Elsewhere the beep does
// nothing and "caption: text" goes to standard error as one line.
#pragma once

void ShowErrorMessage(const char* caption, const char* text);
