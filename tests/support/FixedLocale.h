#pragma once
// Fixes the user's locale and time zone for the life of the object, then puts them back.
#include <string>

#include "platform/foundation/UserLocale.h"

class FixedLocale {
  public:
    FixedLocale(const std::string& locale, const std::string& zone)
        : locale_(userLocaleIdentifier()), zone_(userTimeZoneIdentifier()) {
        setUserLocaleIdentifier(locale);
        setUserTimeZoneIdentifier(zone);
    }
    ~FixedLocale() {
        setUserLocaleIdentifier(locale_);
        setUserTimeZoneIdentifier(zone_);
    }
    FixedLocale(const FixedLocale&) = delete;
    FixedLocale& operator=(const FixedLocale&) = delete;

  private:
    std::string locale_;
    std::string zone_;
};
