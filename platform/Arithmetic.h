#pragma once

namespace quorvane {

// The platform's rounding rules, shared by printing, the kit and the menus.

// Rounds to the nearest integer, halves to the even neighbour.
int roundEven(double value);
// MulDiv: a × b ÷ d with a 64-bit product, rounded to the nearest integer (halves away from
// zero); -1 when d is 0.
int mulDiv(int a, int b, int d);

} // namespace quorvane
