// A generated platform for the platform-side benchmarks: a data file of the
// stand-in with many boxes of five variables each (float, 32-bit unsigned and
// signed, 16-bit unsigned and signed), all online, all writable, under the
// demo user's credentials.
#pragma once

#include <QString>

#include <string>

class GeneratedPlatform {
 public:
  static constexpr int VariablesPerDevice = 5;
  // The data-type code of each variable, by data code 1 to 5.
  static constexpr int TypeCodes[VariablesPerDevice] = {10, 5, 7, 0, 6};

  // Boxes named `serialPrefix` and a six-digit number from 0.
  GeneratedPlatform(int devices, QString serialPrefix) : devices_(devices), serialPrefix_(std::move(serialPrefix)) {}

  QString serial(int device) const;
  // The stand-in's data file, as one JSON text.
  std::string dataFile() const;

 private:
  const int devices_;
  const QString serialPrefix_;
};
