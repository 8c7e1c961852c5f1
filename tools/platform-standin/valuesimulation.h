#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platformdata.h"

// Keeps the demo's values moving: each step walks every numeric value of a
// configured variable a little between the variable's data_min and data_max,
// turning back at either end. Switches (data-type code -1) keep their value,
// so what a client wrote to them stays. Used on the server thread only.
class ValueSimulation {
public:
  explicit ValueSimulation(PlatformData& data);

  // One step over every device with values; returns the devices it changed.
  std::vector<std::string> step();

private:
  PlatformData& data_;
  // +1 or -1 per (serial number, data code): where each value walks next.
  std::map<std::pair<std::string, std::string>, int> directions_;
};
