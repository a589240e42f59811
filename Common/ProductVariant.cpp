#include "Common/ProductVariant.h"

namespace DBInterface {

bool isSorvaneDB(std::string_view applicationIdentifier) {
    return applicationIdentifier.ends_with("sorvanedb");
}

std::string callbackUrlScheme(bool sorvane) {
    return sorvane ? "sorvanedb" : "varnelodb";
}

std::string appDisplayName(bool sorvane) {
    return sorvane ? "Sorvane DB" : "Varnelo DB";
}

}  // namespace DBInterface
