#include "numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "shell/shell.h"

bool ParseDecimal(const std::string& text, double low, double high, double* value) {
    double v = 0;
    const char* end = ScanDecimal(text.c_str(), &v);
    if (end == text.c_str() || *end || !std::isfinite(v) || v < low || v > high) return false;
    *value = v;
    return true;
}

bool ParseInt(const std::string& text, int low, int high, int* value) {
    const auto sign = text.begin() + (text.rfind('-', 0) == 0 ? 1 : 0);
    const bool digits = sign != text.end() &&
                        std::all_of(sign, text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    double v = 0;
    if (!digits || !ParseDecimal(text, low, high, &v)) return false;
    *value = int(v);
    return true;
}
