// Windows, their message queues and timers: what a thread needs to own a
// hidden window, run a message loop and be called back by a timer. Each
// thread that creates a window, sets a timer or asks for a message has a
// queue of its own; a window belongs to the thread that created it and gets
// the messages posted to it on that thread, in the order they were posted.
//
// Windows here are never shown or drawn (there is no desktop): a window is a
// message target. No message is sent synchronously: CreateWindowExA and
// DestroyWindow send none. A timer's WM_TIMER comes when the queue has no
// posted message left, at most one per timer at a time, and a timer with a
// callback is called by DispatchMessageA, as on the target platform.
#pragma once

#include "platform/module.h"
#include "platform/wintypes.h"

#include <cstdint>

struct HWND__;
typedef HWND__* HWND;
struct HMENU__;
typedef HMENU__* HMENU;
struct HICON__;
typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
typedef HMODULE HINSTANCE;

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t UINT_PTR;
typedef WORD ATOM;

typedef LRESULT(CALLBACK* WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
typedef void(CALLBACK* TIMERPROC)(HWND window, UINT message, UINT_PTR timerId, DWORD time);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct POINT {
  LONG x;
  LONG y;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

// The parent that makes a message-only window.
#define HWND_MESSAGE (reinterpret_cast<HWND>(static_cast<intptr_t>(-3)))

constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);
constexpr int SW_HIDE = 0;
// Timers run at least this many milliseconds apart.
constexpr UINT USER_TIMER_MINIMUM = 10;

constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;

// A class name is unique in the process (case-insensitive ASCII); 0 with
// ERROR_CLASS_ALREADY_EXISTS for a second registration of one.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
// A window of a registered class, owned by the calling thread; NULL with
// ERROR_CANNOT_FIND_WND_CLASS for an unknown class.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
// Ends the window and its timers.
BOOL DestroyWindow(HWND window);
// Whether the window was visible before: never, here.
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A timer of the calling thread (window NULL: a new identifier is returned) or
// of one of its windows (under `timerId`; a second call with the same pair
// re-arms it). Periods below USER_TIMER_MINIMUM are raised to it.
UINT_PTR SetTimer(HWND window, UINT_PTR timerId, UINT elapse, TIMERPROC callback);
BOOL KillTimer(HWND window, UINT_PTR timerId);

// Waits for the next message of the calling thread's queue (filters are not
// supported: window and range must be 0); FALSE for WM_QUIT.
BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* message);
// Calls the timer's callback for a WM_TIMER that has one, otherwise the
// window's procedure; 0 for a message to no window.
LRESULT DispatchMessageA(const MSG* message);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// FALSE with ERROR_INVALID_THREAD_ID for a thread that has no queue yet.
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
