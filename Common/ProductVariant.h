#pragma once
// Which of the two editions of the program this is, told by the application's identifier, and
// the names each edition goes by. (The cloud-storage keys of each edition are not part of
// this program: they are not known.)
#include <string>
#include <string_view>

namespace DBInterface {

// The reverse-domain name the desktop knows the application by.
inline constexpr std::string_view kApplicationIdentifier = "org.example.varnelodb";

// Whether the identifier is the other edition's (it ends with "sorvanedb").
bool isSorvaneDB(std::string_view applicationIdentifier = kApplicationIdentifier);
// "sorvanedb" or "varnelodb".
std::string callbackUrlScheme(bool sorvane);
// "Sorvane DB" or "Varnelo DB".
std::string appDisplayName(bool sorvane);

}  // namespace DBInterface
