// Field and number rules shared by the telemetry line parsers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane::fields {

// Splits at commas; a run of commas is one separator, so empty fields never appear.
std::vector<std::string_view> SplitFields(std::string_view text);

// The number formed by the longest leading part of `field` that is a decimal number (leading
// blanks, optional sign, digits, point, exponent); 0 when there is none. Locale-independent.
double ReadNumber(std::string_view field);
// The leading integer of `field` read the same way (blanks, sign, digits); 0 when none.
long long ReadLeadingInteger(std::string_view field);

// Coordinate field of length L: with L >= 9, degrees from the first L-8 characters plus minutes
// from the last 8 divided by 60; a shorter field gives 0.
double ReadCoordinate(std::string_view field);

// Speed field: 9999 as its leading integer means 0, else the number times `factor`.
double ReadSpeed(std::string_view field, double factor);

// Fixed-point text with `decimals` digits, independent of the C locale.
std::string FormatFixed(double value, int decimals);

}  // namespace korvane::fields
