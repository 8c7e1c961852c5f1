#pragma once

// The platform's two WebSocket channels.
enum class WebSocketChannel {
  Read,  // /ZirOrurodaz/getDataWebsocket: read requests in, pushed values out
  Write  // /ZirOrurodaz/websocketTest: write batches and keep-alives in
};
