#include "mp4parse/text_fields.h"

#include <charconv>
#include <cmath>

#include "mp4parse/telemetry_types.h"

namespace korvane::fields {

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t comma = text.find(',', at);
    const size_t end = comma == std::string_view::npos ? text.size() : comma;
    if (end > at) out.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the blanks at the start of `s`.
size_t Blanks(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return i;
}

}  // namespace

double ReadNumber(std::string_view field) {
  size_t i = Blanks(field);
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  const size_t mantissa = i;
  size_t digits = 0;
  while (i < field.size() && IsDigit(field[i])) ++i, ++digits;
  if (i < field.size() && field[i] == '.') {
    ++i;
    while (i < field.size() && IsDigit(field[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  size_t end = i;
  bool negativeExponent = false;
  if (i < field.size() && (field[i] == 'e' || field[i] == 'E')) {
    size_t j = i + 1;
    const bool minus = j < field.size() && field[j] == '-';
    if (j < field.size() && (field[j] == '+' || field[j] == '-')) ++j;
    if (j < field.size() && IsDigit(field[j])) {
      negativeExponent = minus;
      while (j < field.size() && IsDigit(field[j])) ++j;
      end = j;
    }
  }
  double value = 0.0;
  const std::from_chars_result r =
      std::from_chars(field.data() + mantissa, field.data() + end, value, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: saturate like strtod does.
    value = negativeExponent ? 0.0 : HUGE_VAL;
  } else if (r.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

long long ReadLeadingInteger(std::string_view field) {
  size_t i = Blanks(field);
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  long long value = 0;
  bool any = false;
  while (i < field.size() && IsDigit(field[i])) {
    any = true;
    if (value < 1000000000000000LL) value = value * 10 + (field[i] - '0');  // saturates, no overflow
    ++i;
  }
  if (!any) return 0;
  return negative ? -value : value;
}

double ReadCoordinate(std::string_view field) {
  if (field.size() < 9) return 0.0;
  const size_t split = field.size() - 8;
  return ReadNumber(field.substr(0, split)) + ReadNumber(field.substr(split)) / MinutesPerDegree;
}

double ReadSpeed(std::string_view field, double factor) {
  if (ReadLeadingInteger(field) == SpeedZeroMarker) return 0.0;
  return ReadNumber(field) * factor;
}

std::string FormatFixed(double value, int decimals) {
  char buf[400];
  const std::to_chars_result r =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return "0";
  return std::string(buf, r.ptr);
}

}  // namespace korvane::fields
