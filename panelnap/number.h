// Decimal conversion for profile values and command-line numbers.
#ifndef PANELNAP_NUMBER_H
#define PANELNAP_NUMBER_H

// Reads like atoi (leading whitespace, sign, the leading digits; 0 when there
// are none) but gives INT_MAX or INT_MIN on overflow instead of undefined
// behaviour.
int to_int_saturating(const char* text);

#endif
