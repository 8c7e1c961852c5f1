#pragma once

// libcurl's process-wide state, set up once when the program starts and torn
// down once when it ends: main() keeps one of these for its whole run, before
// any request is made; its end stops and waits for the transfers still running.
class CurlGlobal {
public:
  CurlGlobal();
  ~CurlGlobal();
  CurlGlobal(const CurlGlobal&) = delete;
  CurlGlobal& operator=(const CurlGlobal&) = delete;

  bool initialised() const { return initialised_; }

private:
  bool initialised_;
};
