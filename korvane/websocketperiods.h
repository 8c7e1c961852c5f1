#pragma once

// How often the WebSocket client's timers fire, in milliseconds.
struct WebSocketPeriods {
  int batch = 1000;       // a batch of the pending writes goes out
  int reconnect = 3000;   // a lost channel is reopened
  int keepAlive = 60000;  // an empty message holds the write channel open
  int liveness = 5000;    // a ping checks that the platform is alive
  int pongWait = 3000;    // a ping's pong is awaited before the connection counts as lost
  // After a token error, the login is tried again after a wait that starts
  // here and doubles with every failed login or repeated token error...
  int reloginFirst = 1000;
  // ...up to this.
  int reloginLongest = 60000;
};
