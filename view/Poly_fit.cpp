#include "view/Poly_fit.h"

#include <cmath>

// The master-polynomial method: s holds the coefficients below the leading 1
// of P = product of (x - x[i]); each point adds y[j] / P'(x[j]) times the
// synthetic quotient P / (x - x[j]).
bool fit_polynomial(const double* x, const double* y, int n, double* cof) {
    constexpr int MAX_POINTS = 3;
    if (n < 1 || n > MAX_POINTS) return false;
    double s[MAX_POINTS] = {};
    for (int i = 0; i < n; ++i) cof[i] = 0.0;
    s[n - 1] = -x[0];
    for (int i = 1; i < n; ++i) {
        for (int j = n - 1 - i; j < n - 1; ++j) s[j] -= x[i] * s[j + 1];
        s[n - 1] -= x[i];
    }
    for (int j = 0; j < n; ++j) {
        double phi = n;
        for (int k = n - 1; k >= 1; --k) phi = k * s[k] + x[j] * phi;
        double ff = y[j] / phi;
        double b = 1.0;
        for (int k = n - 1; k >= 0; --k) {
            cof[k] += b * ff;
            b = s[k] + x[j] * b;
        }
    }
    bool distinct = true;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) distinct = distinct && x[i] != x[j];
    bool finite = true;
    for (int i = 0; i < n; ++i) finite = finite && std::isfinite(cof[i]);
    return distinct && finite;
}
