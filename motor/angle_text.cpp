#include "motor/angle_text.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace stepdial {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Where the longest number at `text.begin()` ends, and its decimal magnitude (the
// power of ten of its leading digit), which tells overflow from underflow when the
// conversion is out of range.
struct NumberExtent {
    std::size_t length = 0;
    long long magnitude = 0;
    bool allZero = true;
};

NumberExtent ScanNumber(std::string_view text) {
    NumberExtent n;
    std::size_t i = 0;
    std::size_t intDigits = 0, fracDigits = 0;
    long long leadingIntDigits = 0;   // significant integer digits
    long long leadingFracZeros = 0;   // zeros after the point before the first significant digit
    while (i < text.size() && IsDigit(text[i])) {
        if (text[i] != '0' || !n.allZero) {
            ++leadingIntDigits;
            n.allZero = false;
        }
        ++i, ++intDigits;
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        while (j < text.size() && IsDigit(text[j])) {
            if (n.allZero) {
                if (text[j] == '0') ++leadingFracZeros;
                else n.allZero = false;
            }
            ++j, ++fracDigits;
        }
        if (intDigits + fracDigits > 0) i = j;
    }
    if (intDigits + fracDigits == 0) return {};
    n.length = i;
    n.magnitude = leadingIntDigits > 0 ? leadingIntDigits - 1 : -(leadingFracZeros + 1);

    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
        long long exponent = 0;
        const std::size_t digitsAt = j;
        while (j < text.size() && IsDigit(text[j])) {
            // Past a million the exponent is out of any double's reach either way.
            if (exponent < 1'000'000) exponent = exponent * 10 + (text[j] - '0');
            ++j;
        }
        if (j > digitsAt) {
            n.length = j;
            n.magnitude += negative ? -exponent : exponent;
        }
    }
    return n;
}

}  // namespace

double ParseAngleText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::string_view rest = text.substr(i);

    const NumberExtent n = ScanNumber(rest);
    if (n.length == 0) return 0.0;

    double value = 0.0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + n.length, value);
    if (error == std::errc::result_out_of_range) {
        value = (!n.allZero && n.magnitude > 0) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::string FormatAngleText(double degrees) {
    // Fixed notation, shortest that round-trips: the plain shortest form switches to an
    // exponent at 300000 ("3e+05"). The largest double needs 309 digits and a sign.
    char text[330];
    const auto result = std::to_chars(text, text + sizeof text, degrees, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

namespace {

int DecimalsOf(const std::string& text) {
    const auto point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

}  // namespace

std::string FormatShaftAngle(double degrees, double stepAngle) {
    const int decimals = std::min(DecimalsOf(FormatAngleText(stepAngle)), kReadoutDecimals);
    std::string shortest = FormatAngleText(degrees);
    if (DecimalsOf(shortest) <= decimals) return shortest;

    char text[330];
    const auto result = std::to_chars(text, text + sizeof text, degrees, std::chars_format::fixed, decimals);
    std::string rounded(text, result.ptr);
    if (decimals > 0) {
        rounded.erase(rounded.find_last_not_of('0') + 1);
        if (rounded.back() == '.') rounded.pop_back();
    }
    // A small negative angle rounds to zero, which has no sign.
    return rounded == "-0" ? "0" : rounded;
}

}  // namespace stepdial
