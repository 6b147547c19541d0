#include "geom/spectral_decomposition.h"

#include <cmath>
#include <utility>

namespace {

constexpr int kMaxSweeps = 20;
constexpr double kSqrtHalf = 0.7071067811865475244;
constexpr float kSqrtHalfF = static_cast<float>(kSqrtHalf);

// Fixed turns: an axis onto z, and the permutations of the axes.
constexpr Quaternion kXToZ = {0, kSqrtHalfF, 0, kSqrtHalfF};
constexpr Quaternion kYToZ = {kSqrtHalfF, 0, 0, kSqrtHalfF};
constexpr Quaternion kPPMM = {0.5f, 0.5f, -0.5f, -0.5f};
constexpr Quaternion kPPPP = {0.5f, 0.5f, 0.5f, 0.5f};
constexpr Quaternion kMPMM = {-0.5f, 0.5f, -0.5f, -0.5f};
constexpr Quaternion kPPPM = {0.5f, 0.5f, 0.5f, -0.5f};
constexpr Quaternion kHalfTurnX = {1, 0, 0, 0};

// (x, y, z) -> (z, x, y) or, forward, (y, z, x).
void CycleAxes(float k[3], bool forward) {
    if (forward) {
        const float first = k[0];
        k[0] = k[1];
        k[1] = k[2];
        k[2] = first;
    } else {
        const float last = k[2];
        k[2] = k[1];
        k[1] = k[0];
        k[0] = last;
    }
}

// Two equal factors, on the axis pair other than `odd` (0, 1 or 2): turn the
// odd axis onto z, pick the axis permutation whose turn brings u*p closest to
// the identity, then twist freely about z.
void AdjustWithTwoEqual(const Quaternion& u, int odd, float k[3], Quaternion* p) {
    Quaternion toZ = kIdentityQuaternion;
    Quaternion q = u;
    if (odd == 0) {
        toZ = kXToZ;
        QuaternionMultiply(q, toZ, &q);
        std::swap(k[0], k[2]);
    } else if (odd == 1) {
        toZ = kYToZ;
        QuaternionMultiply(q, toZ, &q);
        std::swap(k[1], k[2]);
    }
    QuaternionConjugate(q, &q);

    double magnitude[3] = {
        static_cast<double>(q.z) * q.z + static_cast<double>(q.w) * q.w - 0.5,
        static_cast<double>(q.x) * q.z - static_cast<double>(q.y) * q.w,
        static_cast<double>(q.y) * q.z + static_cast<double>(q.x) * q.w,
    };
    bool negative[3];
    for (int i = 0; i < 3; ++i) {
        negative[i] = magnitude[i] < 0.0;
        if (negative[i]) magnitude[i] = -magnitude[i];
    }
    int winner;
    if (magnitude[0] > magnitude[1]) {
        winner = magnitude[0] > magnitude[2] ? 0 : 2;
    } else {
        winner = magnitude[1] > magnitude[2] ? 1 : 2;
    }
    Quaternion permute;
    switch (winner) {
        case 0:
            permute = negative[0] ? kHalfTurnX : kIdentityQuaternion;
            break;
        case 1:
            permute = negative[1] ? kPPMM : kPPPP;
            CycleAxes(k, false);
            break;
        default:
            permute = negative[2] ? kMPMM : kPPPM;
            CycleAxes(k, true);
            break;
    }
    Quaternion qp;
    QuaternionMultiply(q, permute, &qp);
    const double t = std::sqrt(magnitude[winner] + 0.5);
    const Quaternion twist = {0.0f, 0.0f, static_cast<float>(-qp.z / t), static_cast<float>(qp.w / t)};
    Quaternion turned;
    QuaternionMultiply(permute, twist, &turned);
    QuaternionConjugate(turned, &turned);
    QuaternionMultiply(toZ, turned, p);
}

// Three distinct factors: only the 24 axis permutations (with sign changes
// that keep a rotation) are free. The best is a quaternion of one entry +-1,
// two entries +-sqrt(1/2), or four entries +-1/2, matched to the largest
// components of u.
void AdjustWithDistinct(const Quaternion& u, float k[3], Quaternion* p) {
    float a[4] = {u.x, u.y, u.z, u.w};
    bool negative[4];
    bool parity = false;
    for (int i = 0; i < 4; ++i) {
        negative[i] = a[i] < 0.0f;
        if (negative[i]) a[i] = -a[i];
        parity ^= negative[i];
    }
    // hi and lo: the indices of the two largest magnitudes, hi the larger.
    int lo = a[0] > a[1] ? 0 : 1;
    int hi = a[2] > a[3] ? 2 : 3;
    if (a[lo] > a[hi]) {
        if (a[lo ^ 1] > a[hi]) {
            hi = lo;
            lo ^= 1;
        } else {
            std::swap(hi, lo);
        }
    } else if (a[hi ^ 1] > a[lo]) {
        lo = hi ^ 1;
    }
    const double all = static_cast<double>(a[0] + a[1] + a[2] + a[3]) * 0.5;
    const double two = static_cast<double>(a[hi] + a[lo]) * kSqrtHalf;
    const double big = a[hi];
    auto signedBy = [&](int i, float value) { return negative[i] ? -value : value; };

    enum { kBig, kTwo, kAll } choice = kBig;
    if (all > two) {
        if (all > big) choice = kAll;
    } else if (two > big) {
        choice = kTwo;
    }
    float r[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (choice == kAll) {
        for (int i = 0; i < 4; ++i) r[i] = signedBy(i, 0.5f);
        CycleAxes(k, parity);
    } else if (choice == kTwo) {
        r[hi] = signedBy(hi, kSqrtHalfF);
        r[lo] = signedBy(lo, kSqrtHalfF);
        if (lo > hi) std::swap(hi, lo);
        if (hi == 3) {
            // A quarter turn about axis lo swaps the other two axes.
            static constexpr int kNext[3] = {1, 2, 0};
            hi = kNext[lo];
            lo = 3 - hi - lo;
        }
        std::swap(k[hi], k[lo]);
    } else {
        r[hi] = signedBy(hi, 1.0f);
    }
    *p = {-r[0], -r[1], -r[2], r[3]};
}

}  // namespace

void SpectralDecompose(const Matrix4& s, Matrix4* u, Vector4* k) {
    Matrix4 axes = kIdentityMatrix;
    // Diagonal, and off-diagonal entries indexed by the index they omit.
    double d[3] = {At(s, 0, 0), At(s, 1, 1), At(s, 2, 2)};
    double o[3] = {At(s, 1, 2), At(s, 2, 0), At(s, 0, 1)};
    for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
        const float offSum = static_cast<float>(std::fabs(o[0]) + std::fabs(o[1]) + std::fabs(o[2]));
        if (offSum == 0.0f) break;
        for (int i = 2; i >= 0; --i) {
            const int p = (i + 1) % 3;
            const int q = (p + 1) % 3;
            const double offMagnitude = std::fabs(o[i]);
            if (!(offMagnitude > 0.0)) continue;
            // Rotation angle that zeroes o[i] (t = tan), in its stable form.
            const double h = d[q] - d[p];
            double t;
            if (std::fabs(h) + 100.0 * offMagnitude == std::fabs(h)) {
                t = o[i] / h;
            } else {
                const double theta = 0.5 * h / o[i];
                t = 1.0 / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                if (theta < 0.0) t = -t;
            }
            const double c = 1.0 / std::sqrt(t * t + 1.0);
            const double sine = t * c;
            const double tau = sine / (c + 1.0);
            const double shift = t * o[i];
            o[i] = 0.0;
            d[p] -= shift;
            d[q] += shift;
            const double oldQ = o[q];
            o[q] -= sine * (o[p] + tau * o[q]);
            o[p] += sine * (oldQ - tau * o[p]);
            for (int j = 2; j >= 0; --j) {
                const double a = At(axes, j, p);
                const double b = At(axes, j, q);
                At(axes, j, p) = static_cast<float>(a - sine * (b + tau * a));
                At(axes, j, q) = static_cast<float>(b + sine * (a - tau * b));
            }
        }
    }
    *u = axes;
    *k = {static_cast<float>(d[0]), static_cast<float>(d[1]), static_cast<float>(d[2]), 1.0f};
}

void AdjustSpectralAxes(const Quaternion& u, Vector4* k, Quaternion* p) {
    float factors[3] = {k->x, k->y, k->z};
    // Exact comparisons: only truly equal factors leave a free turn.
    if (factors[0] == factors[1] && factors[0] == factors[2]) {
        QuaternionConjugate(u, p);
        return;
    }
    if (factors[0] == factors[1]) {
        AdjustWithTwoEqual(u, 2, factors, p);
    } else if (factors[0] == factors[2]) {
        AdjustWithTwoEqual(u, 1, factors, p);
    } else if (factors[1] == factors[2]) {
        AdjustWithTwoEqual(u, 0, factors, p);
    } else {
        AdjustWithDistinct(u, factors, p);
    }
    k->x = factors[0];
    k->y = factors[1];
    k->z = factors[2];
}
