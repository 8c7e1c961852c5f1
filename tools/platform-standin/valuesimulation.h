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
  struct Variable {
    bool isSwitch = false;
    bool isFloat = false;
    double min = 0;
    double max = 100;
  };
  // The device's configured variables by data code in decimal, read from its
  // configuration the first time: the tables are loaded before values move,
  // and reading every configuration at every step would make a step over
  // tens of thousands of devices last longer than its period.
  const std::map<std::string, Variable>& variablesOf(const std::string& snCode);

  PlatformData& data_;
  std::map<std::string, std::map<std::string, Variable>> variables_;
  // +1 or -1 per (serial number, data code): where each value walks next.
  std::map<std::pair<std::string, std::string>, int> directions_;
};
