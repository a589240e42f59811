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

std::string dropboxAppKey(bool sorvane) {
    return sorvane ? "s4rv7n2qk9d1m6x" : "v3rn8l5ok2b7t0q";
}

std::string dropboxAppSecret(bool sorvane) {
    return sorvane ? "h8c2w5r1z9e4u7n" : "j6y0p3g8a5f2s9l";
}

std::string dropboxUrlScheme(bool sorvane) {
    return "db-" + dropboxAppKey(sorvane);
}

}  // namespace DBInterface
