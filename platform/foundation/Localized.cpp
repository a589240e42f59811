#include "platform/foundation/Localized.h"

#include <mutex>

#include "platform/foundation/StringFormat.h"

namespace {
std::mutex providerMutex;
LocalizedStringProvider& provider() {
    static LocalizedStringProvider instance;
    return instance;
}
}  // namespace

void setLocalizedStringProvider(LocalizedStringProvider newProvider) {
    std::lock_guard lock(providerMutex);
    provider() = std::move(newProvider);
}

std::string localizedString(const char* key) {
    std::lock_guard lock(providerMutex);
    return provider() ? provider()(key) : std::string(key);
}

std::string localizedFormat(const char* key, std::initializer_list<std::string> args) {
    return formatText(localizedString(key), args);
}
