#pragma once

#include <QString>
#include <QtGlobal>

class g_debug;

// The message handler of debug mode: every message becomes a line
// "Debug:", "Warning:", "Critical:" or "Fatal:" + "hh:mm:ss:zzz: message"
// (an information message an empty line) in the debug log window. Lines
// logged on other threads reach the window queued, in order. When there is no
// window yet, the GUI thread opens one; other threads, and messages logged
// while the window itself is being built, go to standard error instead.
// With KORVANE_DEBUG_STDERR set, every line goes to standard error as well.
void debugMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// The longest message a line shows; the rest is cut off and marked.
constexpr int DebugLineMessageLimit = 4096;

// The text the handler shows for one message.
QString debugLine(QtMsgType type, const QString& message);

// Opens the debug log window when there is none; GUI thread only. The window
// is stored in g_debugWindow before it is shown.
g_debug* openDebugWindow();
