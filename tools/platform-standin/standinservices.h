#pragma once

#include "channelrouter.h"
#include "platformrouter.h"
#include "replyscripts.h"
#include "requestlog.h"
#include "websockethub.h"

// What every connection of the stand-in is served from: the HTTP endpoints'
// router, scripts and request log, and the WebSocket channels' router and
// hub. All of them outlive the server thread.
struct StandinServices {
  const PlatformRouter& router;
  const ReplyScripts& scripts;
  RequestLog& requests;
  ChannelRouter& channels;
  WebSocketHub& webSockets;
};
