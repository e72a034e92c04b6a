#pragma once

// How velmorin-cli words a file's refusal, and the one rule beyond the
// parser's that every command applies to a frame.

#include <cstdint>
#include <string>

// A parser's refusal: "refused: offset N: TEXT".
std::string RefusalMessage(int64_t offset, const char* text);

// Why a frame (its bytes from its start) cannot be drawn or exported
// faithfully: its scale or translate is infinite or not a number; "" if fine.
std::string NonFiniteFrameText(const unsigned char* frame);
