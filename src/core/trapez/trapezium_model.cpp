#include "trapez/trapezium_model.h"

#include "base/errors.h"

#include <cmath>

namespace fringel {

namespace {

using Extended = long double; // the intermediate precision of the model's formulas

constexpr Extended kPi = 3.141592653589793;
constexpr Extended kTwoPi = 6.283185307179586;

// sin(g t) / t with t = kx +/- (c ky), both rounded to float32 first; its limit g at t = 0.
float s(const TrapeziumParameters& p, float kx, float cky, int sign) {
    const auto t =
        static_cast<float>(static_cast<Extended>(kx) + sign * static_cast<Extended>(cky));
    if (t == 0) return p.g;
    return static_cast<float>(std::sin(static_cast<Extended>(p.g) * t) / t);
}

} // namespace

float waveNumber(float period, double order) {
    if (period == 0) throw ArithmeticError("Division by zero: the mesh period is 0");
    return static_cast<float>(kTwoPi / period * order);
}

TrapeziumParameters trapeziumParameters(float period, float diameter, int angleDegrees) {
    const auto theta = static_cast<float>(static_cast<Extended>(angleDegrees) * kPi * (1.0L / 180));
    const Extended t = theta;
    if (period - diameter == 0)
        throw ArithmeticError("Division by zero: the period equals the wire diameter");
    TrapeziumParameters p;
    p.a0 = static_cast<float>(std::cos(t) * period);
    p.g = static_cast<float>((static_cast<Extended>(period) - diameter) * 0.5L);
    p.f = static_cast<float>((1 / std::cos(t) - std::sin(t) * std::tan(t)) *
                                 (static_cast<Extended>(period) * 0.5L) -
                             static_cast<Extended>(diameter) * 0.5L);
    p.c = static_cast<float>(std::sin(t) * diameter / (static_cast<Extended>(period) - diameter));
    p.b0 = period;
    return p;
}

double trapeziumReal(const TrapeziumParameters& p, double i, double j, float kx, float ky) {
    const Extended f = p.f, g = p.g, c = p.c, x = kx, y = ky;
    if (j == 0 && i == 0) return static_cast<double>(2 * g * f);
    if (j == 0) return static_cast<double>(2 * f * std::sin(x * g) / x);
    if (i == 0 && p.c == 0) return static_cast<double>(2 * g * std::sin(f * y) / y);
    if (i == 0) return static_cast<double>(2 * std::sin(c * g * y) * std::sin(f * y) / (c * y * y));
    if (p.c == 0) return static_cast<double>(2 * std::sin(g * x) * std::sin(f * y) / (x * y));
    const auto cky = static_cast<float>(c * y);
    const float plus = s(p, kx, cky, +1);
    const float minus = s(p, kx, cky, -1);
    const auto side = static_cast<float>(std::sin(y * f) / y);
    return static_cast<double>((static_cast<Extended>(plus) + minus) * side);
}

double trapeziumImaginary(const TrapeziumParameters& p, float kx, float ky) {
    const Extended f = p.f, y = ky;
    const auto cky = static_cast<float>(static_cast<Extended>(p.c) * y);
    const float plus = s(p, kx, cky, +1);
    const float minus = s(p, kx, cky, -1);
    const auto side = static_cast<float>(std::cos(y * f) / y);
    return static_cast<double>((static_cast<Extended>(plus) - minus) * side);
}

TrapeziumModel computeTrapeziumModel(const TrapeziumInput& input,
                                     const std::function<void()>& cellDone) {
    TrapeziumModel model;
    model.parameters = trapeziumParameters(input.period, input.diameter, input.angleDegrees);
    if (input.spacing < 1)
        throw ArithmeticError("Division by zero: the order spacing is " +
                              std::to_string(input.spacing));
    const std::int32_t cells = input.imageWidth / input.spacing + 1;
    model.intensities.setLength(cells);
    for (auto& row : model.intensities)
        row.setLength(cells);
    const std::int32_t n = input.imageWidth / 2 / input.spacing;
    model.orders = n;
    model.spacing = input.spacing;
    const TrapeziumParameters& p = model.parameters;
    const Extended origin = 2.0L * p.f * p.g;
    model.originIntensity = static_cast<float>(origin * origin);

    const auto square = [](double v) { return static_cast<float>(static_cast<Extended>(v) * v); };
    // Whole orders at even indexes; the order counters step as float32 values.
    for (float i = 0; i <= static_cast<float>(n); i += 1) {
        for (float j = 0; j <= static_cast<float>(n); j += 1) {
            const float kx = waveNumber(p.b0, i);
            const float ky = waveNumber(p.a0, j);
            model.intensities[static_cast<std::int64_t>(2 * i)][static_cast<std::int64_t>(2 * j)] =
                square(trapeziumReal(p, i, j, kx, ky));
            if (cellDone) cellDone();
        }
    }
    // Half orders at odd indexes.
    for (float i = 0.5f; i <= static_cast<float>(n); i += 1) {
        for (float j = 0.5f; j <= static_cast<float>(n); j += 1) {
            const float kx = waveNumber(p.b0, i);
            const float ky = waveNumber(p.a0, j);
            model.intensities[static_cast<std::int64_t>(2 * i)][static_cast<std::int64_t>(2 * j)] =
                square(trapeziumImaginary(p, kx, ky));
            if (cellDone) cellDone();
        }
    }
    return model;
}

} // namespace fringel
