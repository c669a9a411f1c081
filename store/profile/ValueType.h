#pragma once

#include <string_view>

// How a profile reads one value (already trimmed of spaces): as a number, a
// date, a time or a true/false word. Plain byte tests, no locale: a file
// reads the same on every machine.
namespace valuetype {

struct Number {
    bool is = false;
    bool decimal = false; // a fraction or an exponent
    bool comma = false;   // the decimal mark is a comma: "3,5"
    double value = 0;
};
// [+-]digits[(.|,)digits][e[+-]digits], or a fraction alone (".5").
Number readNumber(std::string_view text);

// The readings a date allows, each as days since 1970-01-01 when it works.
struct Date {
    bool iso = false;      // YYYY-MM-DD
    bool dayMonth = false; // d/m/y (or with '.' or '-'; a year of 2 or 4 digits)
    bool monthDay = false; // m/d/y
    int isoDay = 0, dayMonthDay = 0, monthDayDay = 0;
    bool any() const { return iso || dayMonth || monthDay; }
};
Date readDate(std::string_view text);

// H:MM or H:MM:SS, on the 24-hour clock.
bool isTime(std::string_view text);
// true, false, yes, no, in any case.
bool isBoolean(std::string_view text);

// Days since 1970-01-01 of a valid date, and back as "YYYY-MM-DD".
int dayNumber(int year, int month, int day);
void dateOfDay(int days, int& year, int& month, int& day);

} // namespace valuetype
