#pragma once

#include "recordedframe.h"
#include "recordlog.h"

// Every frame the clients sent on the WebSocket channels.
using FrameLog = RecordLog<RecordedFrame>;
