// The message queue's internal interface, shared by the queue, the input cooker, the modal
// loops and the dialog manager. Internal to the native platform layer.
#pragma once

#include <windows.h>

#include <functional>

namespace win {

// Takes (or looks at) the next message for the filter, in the queue's order: posted
// messages, WM_QUIT, input, then WM_PAINT. FALSE when nothing waits.
bool PeekQueue(MSG& out, HWND hwnd, UINT low, UINT high, bool remove);
// Lets the front end present the screen and wait for input. FALSE when no input can come.
bool WaitForMore();
// Makes WM_QUIT the next message after nothing more could come (the loops all end).
void EndOnNoInput();
// Puts a message before all others (the characters TranslateMessage makes).
void PostFront(const MSG& msg);
// Forgets every queued message, the quit request and the input; for tests that start over.
void ResetQueue();

// Input (Input.cpp): raw events from the front end become messages at the head of the queue.
bool PeekInput(MSG& out, HWND hwnd, UINT low, UINT high, bool remove);
bool InputPending();
void ClearInput();
// The character a key makes with the current Shift and Ctrl state; -1 for none.
int CharOfKey(UINT vk);

// Runs a modal loop until done() is TRUE. The dialog (if any) gets its keys through the
// dialog manager. Never calls an idle hook. FALSE when the loop ended on WM_QUIT (which it
// posts again for the loops outside).
bool RunModalLoop(HWND dialog, const std::function<bool()>& done);

} // namespace win
