#pragma once
// Looks up user-visible texts by their English text. The window layer installs a provider
// backed by Qt's translations; without one the English text is the answer.
#include <functional>
#include <initializer_list>
#include <string>

using LocalizedStringProvider = std::function<std::string(const char* key)>;

void setLocalizedStringProvider(LocalizedStringProvider provider);
std::string localizedString(const char* key);
// localizedString of the pattern, then its conversions filled in order.
std::string localizedFormat(const char* key, std::initializer_list<std::string> args);
