// Import texts put together at random from the pieces dates are made of (numbers of any width,
// month names and day periods of several languages, separators, signs, zones, characters beyond
// ASCII), some of them again with other digits so that texts of one shape follow one another:
// each is read as ICU's patterns read it, in locales of other names and calendars and in zones
// of odd offsets.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "tests/Common/ReadAsByPatterns.h"
#include "tests/support/FixedLocale.h"

using namespace DBInterface;

namespace {

const std::vector<std::string> kWords = {
    "Jan",  "January", "Mar",  "März",   "Mai",   "May", "Aug", "aug.",   "août", "janv.",
    "Sept", "sep.",    "Okt.", "mrt",    "thg",   "AM",  "PM",  "am",     "pm",   "a",
    "p",    "A.M.",    "p.m.", "nachm.", "vorm.", "CH",  "SA",  "AUGUST", "M",    "e-o"};
const std::vector<std::string> kSeparators = {"-", "/", ":",  " ", "  ",       "\t", ".", ",",
                                              "E", "+", "-0", "x", "\xc2\xa0", "٣",  "２"};
const std::vector<std::string> kZones = {"Z",      "+02",    "-02:00", "+0545", "-0330",
                                         "+2400",  "+1260",  "UTC",    "GMT+2", "+2",
                                         "-00:00", "+14:00", "-12"};

std::string digits(std::mt19937& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
    return text;
}

// A number up to `most`, padded with zeros to `width`.
std::string number(std::mt19937& random, int most, int width) {
    const std::string text = std::to_string(random() % static_cast<unsigned>(most + 1));
    const size_t zeros = static_cast<size_t>(width) > text.size() ? width - text.size() : 0;
    return std::string(zeros, '0') + text;
}

template <typename T>
const T& any(std::mt19937& random, const std::vector<T>& list) {
    return list[random() % list.size()];
}

std::string randomText(std::mt19937& random) {
    std::string text;
    switch (random() % 4) {
        case 0:  // pieces in no order
            for (int i = 1 + static_cast<int>(random() % 8); i > 0; --i) {
                const unsigned kind = random() % 3;
                text += kind == 0   ? digits(random, 1 + static_cast<int>(random() % 5))
                        : kind == 1 ? any(random, kSeparators)
                                    : any(random, kWords);
            }
            return text;
        case 1: {  // a day in one of the forms, its fields of any width and value
            const std::string year = random() % 3
                                         ? std::to_string(1890 + random() % 150)
                                         : digits(random, 1 + static_cast<int>(random() % 5));
            const std::string month = random() % 4
                                          ? number(random, 12, static_cast<int>(random() % 3))
                                          : any(random, kWords);
            const std::string day =
                number(random, random() % 4 ? 31 : 99, static_cast<int>(random() % 3));
            const unsigned form = random() % 3;
            text = form == 0   ? year + "-" + month + "-" + day
                   : form == 1 ? month + "/" + day + "/" + year
                               : day + "-" + month + "-" + year;
            break;
        }
        default:  // ISO, with a zone or not
            text = std::to_string(1890 + random() % 150) + "-" + number(random, 12, 2) + "-" +
                   number(random, 31, 2);
            break;
    }
    if (random() % 2) {
        text += random() % 5 ? " " : "  ";
        text += number(random, random() % 4 ? 23 : 99, static_cast<int>(random() % 3)) + ":" +
                number(random, 59, 1 + static_cast<int>(random() % 2));
        if (random() % 2) text += ":" + number(random, 59, 2);
        if (random() % 2) text += " " + any(random, kWords);
    }
    if (random() % 3 == 0) text += " " + any(random, kZones);
    if (random() % 10 == 0) text += any(random, kSeparators);
    return text;
}

}  // namespace

TEST(RandomDateTexts, ReadAsICUReadsThem) {
    for (const char* locale : {"en_US", "de_DE", "vi_VN", "th_TH", "en_US@calendar=buddhist"}) {
        std::mt19937 random(17);
        for (const char* zone :
             {"Europe/Berlin", "America/St_Johns", "Africa/Monrovia", "Asia/Kathmandu"}) {
            FixedLocale fixed(locale, zone);
            std::string base;
            for (int i = 0; i < 400; ++i) {
                // Every fourth text is new; the others take its shape with other digits.
                if (i % 4 == 0) base = randomText(random);
                std::string text = base;
                for (char& c : text) {
                    if (i % 4 != 0 && c >= '0' && c <= '9') {
                        c = static_cast<char>('0' + random() % 10);
                    }
                }
                ASSERT_TRUE(readAsByPatterns(text)) << locale << " " << zone;
            }
        }
    }
}
