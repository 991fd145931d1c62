#include "core/model/number_chars.h"

#include "core/model/decimal_rounding.h"

#include <QByteArray>
#include <QString>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kestrova {

namespace {

// The general form's limits for 15 significant digits: plain decimals from
// 1e-4 up to (not including) 1e15, the exponent form outside.
constexpr int kDigits = 15;
constexpr int kLowestPlainExponent = -4;

char* CopyText(const QByteArray& text, char* out) {
    std::memcpy(out, text.constData(), size_t(text.size()));
    return out + text.size();
}

// The plain decimal form of 0.d1d2...dn * 10^(exponent + 1): the digits of
// the shortest form and its decimal exponent.
char* PlainDecimal(const char* digits, int count, int exponent, char* out) {
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i) *out++ = '0';
        std::memcpy(out, digits, size_t(count));
        return out + count;
    }
    const int whole = exponent + 1;
    for (int i = 0; i < whole; ++i) *out++ = i < count ? digits[i] : '0';
    if (count > whole) {
        *out++ = '.';
        std::memcpy(out, digits + whole, size_t(count - whole));
        out += count - whole;
    }
    return out;
}

}  // namespace

char* ShortestChars(double x, char* out) {
    if (x == 0) {
        *out = '0';
        return out + 1;
    }
    // When the shortest text that reads back as x has at most 15 significant
    // digits, it is also x correctly rounded to 15 digits: neighbouring
    // 15-digit decimals lie further apart than neighbouring doubles, so the
    // nearest of them is that text and no half-way case can arise. Only
    // then, and in the plain range, is the text built here; every other value
    // goes through QString::number itself.
    char sci[32];
    const auto [end, ec] = std::to_chars(sci, sci + sizeof sci, x, std::chars_format::scientific);
    if (std::isfinite(x) && ec == std::errc()) {
        // [-]d[.ddd]e(+|-)dd
        const char* p = sci;
        const bool negative = *p == '-';
        if (negative) ++p;
        char digits[24];
        int count = 0;
        for (; p < end && *p != 'e'; ++p)
            if (*p != '.' && count < int(sizeof digits)) digits[count++] = *p;
        int exponent = 0;
        if (p < end && p + 1 < end) {
            const char* e = p + 1;
            if (*e == '+') ++e;
            std::from_chars(e, end, exponent);
        }
        if (count <= kDigits && exponent >= kLowestPlainExponent && exponent < kDigits) {
            if (negative) *out++ = '-';
            return PlainDecimal(digits, count, exponent, out);
        }
    }
    return CopyText(QString::number(x, 'g', kDigits).toLatin1(), out);
}

char* RoundedChars(int digits, double x, char* out) { return ShortestChars(RoundDecimals(digits, x), out); }

char* WholeChars(int64_t value, char* out) { return std::to_chars(out, out + kNumberCharsMax, value).ptr; }

char* KmPlusChars(bool withHundredths, double position, char* out) {
    const bool negative = position < 0;
    const double value = std::fabs(position);
    // Halves go to the even neighbour; hundredths are whole steps of 0.01.
    const double steps = WholeSteps(withHundredths ? 2 : 0, value);
    const double rounded = withHundredths ? steps * DecimalStep(2) : steps;
    if (!std::isfinite(rounded) || rounded > 2.14e9) {
        static const char kOut[] = "Out of range";
        std::memcpy(out, kOut, sizeof kOut - 1);
        return out + sizeof kOut - 1;
    }
    // Whole hundredths, so that a carry (999.999 -> 1+000,00) can never leave
    // 100 hundredths or 1000 metres behind.
    const int64_t hundredths = withHundredths ? int64_t(steps) : int64_t(rounded) * 100;
    const int64_t km = hundredths / 100000;
    const int metres = int((hundredths / 100) % 1000);
    const int cents = int(hundredths % 100);
    if (negative) *out++ = '-';
    out = WholeChars(km, out);
    *out++ = '+';
    *out++ = char('0' + metres / 100);
    *out++ = char('0' + metres / 10 % 10);
    *out++ = char('0' + metres % 10);
    if (withHundredths) {
        *out++ = ',';
        *out++ = char('0' + cents / 10);
        *out++ = char('0' + cents % 10);
    }
    return out;
}

}  // namespace kestrova
