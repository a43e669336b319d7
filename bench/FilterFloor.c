/* The floor: filter mode 1 alone, the non-linear and the linear four-pole chain with their
 * feedback, on a sawtooth, in exact double arithmetic with constant coefficients. Each
 * frame's first pole needs the previous frame's last, so this serial dependency bounds
 * any exact voice. Built as C at -O2 (see CMakeLists.txt), as the reference figure is. */
#include "FilterFloor.h"

typedef struct {
    double v, flip;
} OP;

static inline void rk4(OP* s, double x, double c) {
    double d = x + s->flip - s->v;
    double k1 = c * d, k2 = c * (d - k1 / 2), k3 = c * (d - k2 / 2), k4 = c * (d - k3);
    s->v += (k1 + 2 * k2 + 2 * k3 + k4) / 6;
    s->flip = -s->flip;
}

static inline double sat(double v) {
    if (v < -3) {
        return -1;
    }
    if (v > 3) {
        return 1;
    }
    return v * (v * v + 27) / (9 * v * v + 27);
}

double vexoFilterFloor(int frames) {
    OP s[8];
    for (int i = 0; i < 8; i++) {
        s[i].v = 0;
        s[i].flip = 1e-5;
    }
    double y1 = 0, y2 = 0, g = 0.3, G = 3.0, k = 0.8, F = 1.0125, S = 1.0, si = 1.0, out = 0;
    double ph = 0;
    for (int n = 0; n < frames; n++) {
        ph += 0.0025;
        if (ph > 1) {
            ph -= 1;
        }
        double x = 2 * ph - 1;
        double u = x - F * G * y1 * k;
        rk4(&s[0], u, g);
        rk4(&s[1], sat(S * s[0].v) * si, g);
        rk4(&s[2], sat(S * s[1].v) * si, g);
        rk4(&s[3], sat(S * s[2].v) * si, g);
        y1 = s[3].v;
        double u2 = x - G * y2 * k;
        rk4(&s[4], u2, g);
        rk4(&s[5], s[4].v, g);
        rk4(&s[6], s[5].v, g);
        rk4(&s[7], s[6].v, g);
        y2 = s[7].v;
        out += (1 - k * k) * s[6].v + k * k * ((1 - g / 2) * s[3].v + (g / 2) * s[2].v);
    }
    return out;
}
