#pragma once

// How often the WebSocket client's timers fire, in milliseconds.
struct WebSocketPeriods {
  int batch = 1000;       // a batch of the pending writes goes out
  int reconnect = 3000;   // a lost channel is reopened
  int keepAlive = 60000;  // an empty message holds the write channel open
};
