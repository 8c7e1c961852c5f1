#include "support/RegistryFolder.h"

// The tests of this flavour run in the build folder's own Wine prefix, whose
// registry is the build's and no user's: there is no store to point elsewhere.
RegistryFolder::RegistryFolder() = default;

RegistryFolder::~RegistryFolder() = default;
