// The seven game script libraries, registered by the boot before any pack is
// loaded; scripts make their functions global with loadUserLibrary(name).
#pragma once
#include <string>
#include <vector>

namespace qv21 {

// Library names in registration order.
const std::vector<std::string>& gameLibraryNames();
// Registers the seven libraries with the script state manager, in order.
void registerGameLibraries();

}  // namespace qv21
