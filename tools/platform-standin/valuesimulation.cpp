#include "valuesimulation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr int stepsAcrossTheRange = 40;

double numberOr(const std::string& text, double fallback) {
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && std::isfinite(number) ? number : fallback;
}

int integerOf(const Json::Value& variable, const char* key) {
  const Json::Value& member = variable[key];
  return member.isInt() ? member.asInt() : 0;
}

std::string textOf(const Json::Value& variable, const char* key) {
  const Json::Value& member = variable[key];
  return member.isString() ? member.asString() : std::string();
}

// The data-type code a client gives the variable: version 1 devices number
// some types differently.
int typeCodeOf(const Json::Value& variable) {
  const int dataType = integerOf(variable, "data_type");
  if (integerOf(variable, "dev_version") != 1) return dataType;
  switch (dataType) {
    case 1: return 3;
    case 2: return 6;
    case 3: return 7;
    case 6: return 10;
    default: return dataType;
  }
}

}  // namespace

const std::map<std::string, ValueSimulation::Variable>& ValueSimulation::variablesOf(const std::string& snCode) {
  const auto known = variables_.find(snCode);
  if (known != variables_.end()) return known->second;
  std::map<std::string, Variable>& variables = variables_[snCode];
  const Json::Value groups = data_.config(snCode);
  for (const Json::Value& group : groups) {
    if (!group.isObject() || !group["data"].isArray()) continue;
    for (const Json::Value& variable : group["data"]) {
      if (!variable.isObject()) continue;
      const int typeCode = typeCodeOf(variable);
      Variable& described = variables[std::to_string(integerOf(variable, "data_code"))];
      described.isSwitch = typeCode == -1;
      described.isFloat = typeCode == 10;
      described.min = numberOr(textOf(variable, "data_min"), 0);
      described.max = numberOr(textOf(variable, "data_max"), 100);
    }
  }
  return variables;
}

namespace {

// Integers without a decimal point, floats with at most two decimals.
std::string valueText(double value, bool isFloat) {
  if (!isFloat) return std::to_string(std::llround(value));
  std::ostringstream text;
  text.setf(std::ios::fixed);
  text.precision(2);
  text << value;
  std::string written = text.str();
  written.erase(written.find_last_not_of('0') + 1);
  if (written.back() == '.') written.pop_back();
  return written;
}

}  // namespace

ValueSimulation::ValueSimulation(PlatformData& data) : data_(data) {}

std::vector<std::string> ValueSimulation::step() {
  std::vector<std::string> changed;
  for (const std::string& snCode : data_.values().devices()) {
    const std::map<std::string, Variable>& variables = variablesOf(snCode);
    bool deviceChanged = false;
    for (const auto& [dataCode, text] : data_.values().device(snCode)) {
      auto found = variables.find(dataCode);
      if (found == variables.end() || found->second.isSwitch || found->second.max <= found->second.min) continue;
      const Variable& variable = found->second;
      const double range = variable.max - variable.min;
      const double stride = variable.isFloat ? range / stepsAcrossTheRange
                                             : std::max(1.0, std::round(range / stepsAcrossTheRange));
      int& direction = directions_.try_emplace({snCode, dataCode}, 1).first->second;
      const double current = std::clamp(numberOr(text, variable.min), variable.min, variable.max);
      if (current + direction * stride > variable.max || current + direction * stride < variable.min)
        direction = -direction;
      const double next = std::clamp(current + direction * stride, variable.min, variable.max);
      data_.values().set(snCode, dataCode, valueText(next, variable.isFloat));
      deviceChanged = true;
    }
    if (deviceChanged) changed.push_back(snCode);
  }
  return changed;
}
