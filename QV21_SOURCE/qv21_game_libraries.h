// The seven game script libraries, registered by the boot before any pack is
// loaded; scripts make their functions global with loadUserLibrary(name).
#pragma once
#include <string>
#include <vector>

namespace qv21 {

// The script modules the boot preloads into the script cache, in order: every
// script task runs them before its own script.
const std::vector<std::string>& preloadedModules();

// Library names in registration order.
const std::vector<std::string>& gameLibraryNames();
// Registers the seven libraries with the script state manager, in order.
void registerGameLibraries();

}  // namespace qv21
