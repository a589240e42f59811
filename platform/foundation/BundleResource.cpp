#include "platform/foundation/BundleResource.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

std::optional<std::string> bundleTextResource(const std::string& name, const std::string& type) {
    const char* overridden = std::getenv("VARNELO_RESOURCES");
    std::string folder = overridden && *overridden ? overridden : VARNELO_RESOURCE_DIR;
    std::ifstream file(folder + "/" + name + "." + type, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return text.str();
}
