#include "restore/ar_model.h"

#include <cmath>

float dotProduct(const float* a, const float* b, int32_t n) {
    float lane[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int32_t i = 0;
    for (; i + 8 <= n; i += 8)
        for (int j = 0; j < 8; ++j) lane[j] += a[i + j] * b[i + j];
    float tail = 0.0f;
    for (; i < n; ++i) tail += a[i] * b[i];
    return ((lane[0] + lane[4]) + (lane[1] + lane[5])) + ((lane[2] + lane[6]) + (lane[3] + lane[7])) + tail;
}

void autocorrelation(const float* x, int32_t n, int32_t maxLag, double* r) {
    for (int32_t k = 0; k <= maxLag; ++k)
        r[k] = k < n ? static_cast<double>(dotProduct(x + k, x, n - k)) : 0.0;
}

double levinsonDurbin(const double* r, int32_t p, double* a, double* work) {
    for (int32_t k = 0; k < p; ++k) a[k] = 0.0;
    if (!(r[0] > 0.0) || !std::isfinite(r[0])) return -1.0;
    // A floor of -60 dB white noise keeps the recursion well conditioned.
    double error = r[0] * (1.0 + 1e-6);
    double* current = work;
    double* previous = work + p + 1;
    for (int32_t i = 0; i < p; ++i) {
        double acc = r[i + 1];
        for (int32_t j = 0; j < i; ++j) acc -= current[j] * r[i - j];
        const double reflection = acc / error;
        if (!(std::fabs(reflection) < 1.0)) break;
        for (int32_t j = 0; j < i; ++j) previous[j] = current[j];
        current[i] = reflection;
        for (int32_t j = 0; j < i; ++j) current[j] = previous[j] - reflection * previous[i - 1 - j];
        error *= 1.0 - reflection * reflection;
        for (int32_t j = 0; j <= i; ++j) a[j] = current[j];
    }
    return error;
}

void forwardError(const float* x, int32_t from, int32_t to, const float* a, int32_t p, float* e) {
    for (int32_t n = from; n < to; ++n) e[n] = x[n];
    for (int32_t k = 1; k <= p; ++k) {
        const float c = a[k - 1];
        const float* shifted = x - k;
        for (int32_t n = from; n < to; ++n) e[n] -= c * shifted[n];
    }
}

void backwardError(const float* x, int32_t from, int32_t to, const float* a, int32_t p, float* b) {
    matchedFilter(x, from, to, a, p, b);  // the same anti-causal filter
}

void matchedFilter(const float* e, int32_t from, int32_t to, const float* a, int32_t p, float* d) {
    for (int32_t n = from; n < to; ++n) d[n] = e[n];
    for (int32_t k = 1; k <= p; ++k) {
        const float c = a[k - 1];
        const float* shifted = e + k;
        for (int32_t n = from; n < to; ++n) d[n] -= c * shifted[n];
    }
}

float errorFilterGain(const float* a, int32_t p) {
    float g = 1.0f;
    for (int32_t k = 0; k < p; ++k) g += a[k] * a[k];
    return g;
}
