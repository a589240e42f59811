#pragma once
// Text resources shipped with the program ("functions.txt" and the like), looked up in
// $VARNELO_RESOURCES when set, else in the resources folder the program was built with.
#include <optional>
#include <string>

std::optional<std::string> bundleTextResource(const std::string& name, const std::string& type);
