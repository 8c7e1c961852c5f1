#pragma once

#include "recordedrequest.h"
#include "recordlog.h"

// Every HTTP request the stand-in received, WebSocket upgrades included.
using RequestLog = RecordLog<RecordedRequest>;
