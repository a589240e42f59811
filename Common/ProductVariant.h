#pragma once
// Which of the two editions of the program this is, told by the application's identifier, the
// names each edition goes by and its keys at the cloud-storage service.
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
// The edition's app key and app secret at the cloud-storage service (15 lower-case letters and
// digits each), and its URL scheme: "db-" followed by the app key.
std::string dropboxAppKey(bool sorvane);
std::string dropboxAppSecret(bool sorvane);
std::string dropboxUrlScheme(bool sorvane);

}  // namespace DBInterface
