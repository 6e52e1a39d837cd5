#pragma once

// Coefficients cof[0..n-1] of the polynomial of degree n-1 through the n
// points (x[i], y[i]): y = sum of cof[d] * x^d; n is 1 to 3. False when no
// such polynomial exists (two equal x) or a coefficient is not finite; cof
// then holds whatever the computation gave.
bool fit_polynomial(const double* x, const double* y, int n, double* cof);
