#pragma once

// Coefficients cof[0..n-1] of the polynomial of degree n-1 through the n
// points (x[i], y[i]): y = sum of cof[d] * x^d. Equal x values give
// non-finite coefficients. n is at most 3 here.
void fit_polynomial(const double* x, const double* y, int n, double* cof);
