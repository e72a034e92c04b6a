#pragma once

// velmorin-cli's one way to read a number: the Gamma dialog's decimal rule
// (ScanDecimal), over the whole text, within a range.

#include <string>

// One plain decimal number within [low, high]: no space, hexadecimal,
// infinity or NaN.
bool ParseDecimal(const std::string& text, double low, double high, double* value);
// A whole number within [low, high]: digits, perhaps after a minus.
bool ParseInt(const std::string& text, int low, int high, int* value);
