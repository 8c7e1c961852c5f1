// Tag names shaped as the bridge makes them: "SN.Type.Name", with 100 devices
// of 10 types each and as many names per type as the count needs.
#pragma once

#include "Vorlix.h"

#include <string>
#include <vector>

std::vector<std::string> BenchTagNames(size_t count);

// Creates a tag for every name (the hash index sized for them when asked);
// the handles.
std::vector<DWORD> CreateBenchTags(std::vector<std::string>& names, bool hashed);

void RemoveBenchTags(const std::vector<DWORD>& handles);
