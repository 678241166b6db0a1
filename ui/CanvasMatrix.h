// A 4 x 4 matrix of doubles, row by row (element (i, i) at index 5i); its
// upper-left 3 x 3 block is what the host's world transforms take.
#pragma once

#include <array>

#include "host/ae_effect.h"

namespace Ombrix::Levels {

struct CanvasMatrix {
    std::array<double, 16> m{};

    // All zeros, or the identity when `identity` is true.
    explicit CanvasMatrix(bool identity = false) {
        if (identity) setDiagonal(1.0, 1.0, 1.0);
    }

    // Diagonal (a, b, c, 1); every other element 0.
    void setDiagonal(double a, double b, double c) {
        m.fill(0.0);
        m[0] = a;
        m[5] = b;
        m[10] = c;
        m[15] = 1.0;
    }

    double at(int row, int column) const { return m[static_cast<size_t>(row * 4 + column)]; }

    // The upper-left 3 x 3 block, row by row.
    PF_FloatMatrix toHostMatrix() const {
        PF_FloatMatrix out{};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) out.mat[r][c] = at(r, c);
        }
        return out;
    }
};

}  // namespace Ombrix::Levels
