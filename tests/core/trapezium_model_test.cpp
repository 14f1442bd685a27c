#include "base/errors.h"
#include "base/number_text.h"
#include "trapez/trapezium_model.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>

using namespace fringel;

namespace {

// Half the Fourier integral of the trapezium, 1/2 of the double integral of
// exp(-i (kx y + ky x)) over { |y| <= g, |x| <= f + c y }, by composite Simpson quadrature in
// both directions: y over [-g, g], and x over each row's own span [-(f + c y), f + c y].
std::complex<double> halfFourierIntegral(const TrapeziumParameters& p, double kx, double ky) {
    const int steps = 600; // even; phases change by < 0.03 rad per step for the orders used
    const auto weight = [](int k) { return (k == 0 || k == steps) ? 1.0 : (k % 2 ? 4.0 : 2.0); };
    const double hy = 2.0 * p.g / steps;
    std::complex<double> sum = 0;
    for (int a = 0; a <= steps; ++a) {
        const double y = -p.g + a * hy;
        const double half = p.f + p.c * y;
        const double hx = 2.0 * half / steps;
        std::complex<double> row = 0;
        for (int b = 0; b <= steps; ++b) {
            const double x = -half + b * hx;
            row += weight(b) * std::exp(std::complex<double>(0, -(kx * y + ky * x)));
        }
        sum += weight(a) * row * hx / 3.0;
    }
    return 0.5 * sum * hy / 3.0;
}

} // namespace

TEST(TrapeziumModel, DefaultsGiveTheKnownParametersAndGrid) {
    int cells = 0;
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{}, [&] { ++cells; });
    EXPECT_EQ(formatGeneral(m.parameters.f), "53,9040260314941");
    EXPECT_EQ(m.parameters.g, 59.0f);
    EXPECT_EQ(m.parameters.b0, 169.0f);
    EXPECT_NEAR(m.parameters.a0, 158.808, 1e-3);
    EXPECT_NEAR(m.parameters.c, 0.147822, 1e-6);
    ASSERT_EQ(m.intensities.length(), 31);
    EXPECT_EQ(m.intensities[0].length(), 31);
    EXPECT_EQ(m.orders, 15);
    EXPECT_EQ(cells, 16 * 16 + 15 * 15);
    EXPECT_EQ(formatC6(m.originIntensity), "4.04582e+07");
    EXPECT_EQ(m.originIntensity, m.intensities[0][0]);
    // Mixed cells are 0; the first index is vertical (period b0), the second horizontal (a0).
    EXPECT_EQ(m.intensities[2][3], 0.0f);
    EXPECT_EQ(m.intensities[7][30], 0.0f);
    EXPECT_NE(m.intensities[2][4], m.intensities[4][2]);
    EXPECT_GT(m.intensities[3][5], 0.0f);
}

TEST(TrapeziumModel, FormulasAreTheRealAndImaginaryPartsOfTheFourierIntegral) {
    const TrapeziumParameters p = trapeziumParameters(169, 51, 20);
    struct Order {
        double i, j;
    };
    for (const Order o : {Order{0, 0}, Order{3, 0}, Order{0, 2}, Order{2, 5}, Order{7, 1}}) {
        const auto kx = static_cast<float>(6.283185307179586 / p.b0 * o.i);
        const auto ky = static_cast<float>(6.283185307179586 / p.a0 * o.j);
        const auto integral = halfFourierIntegral(p, kx, ky);
        EXPECT_NEAR(trapeziumReal(p, o.i, o.j, kx, ky), integral.real(), 1e-4 * std::abs(p.f * p.g))
            << o.i << "," << o.j;
    }
    for (const Order o : {Order{0.5, 0.5}, Order{1.5, 2.5}, Order{4.5, 0.5}}) {
        const auto kx = static_cast<float>(6.283185307179586 / p.b0 * o.i);
        const auto ky = static_cast<float>(6.283185307179586 / p.a0 * o.j);
        EXPECT_NEAR(trapeziumImaginary(p, kx, ky), halfFourierIntegral(p, kx, ky).imag(),
                    1e-4 * std::abs(p.f * p.g))
            << o.i << "," << o.j;
    }
}

TEST(TrapeziumModel, AngleZeroHasNoSlopeAndNoHalfOrders) {
    TrapeziumInput input;
    input.angleDegrees = 0;
    const TrapeziumModel m = computeTrapeziumModel(input);
    EXPECT_EQ(m.parameters.c, 0.0f);
    EXPECT_EQ(m.parameters.a0, m.parameters.b0);
    EXPECT_EQ(m.parameters.f, m.parameters.g);
    for (int p = 1; p < 31; p += 2)
        for (int q = 1; q < 31; q += 2)
            EXPECT_EQ(m.intensities[p][q], 0.0f) << p << "," << q;
    EXPECT_GT(m.intensities[2][2], 0.0f);
}

TEST(TrapeziumModel, ASpacingThatDoesNotDivideTheWidthLeavesTheLastCellsZero) {
    TrapeziumInput input;
    input.spacing = 7;
    const TrapeziumModel m = computeTrapeziumModel(input);
    ASSERT_EQ(m.intensities.length(), 86);
    EXPECT_EQ(m.orders, 42);
    for (int k = 0; k < 86; ++k) {
        EXPECT_EQ(m.intensities[85][k], 0.0f);
        EXPECT_EQ(m.intensities[k][85], 0.0f);
    }
    EXPECT_GT(m.intensities[84][84], 0.0f);
}

TEST(TrapeziumModel, ImpossibleInputsAreArithmeticErrors) {
    TrapeziumInput equal;
    equal.diameter = 169;
    EXPECT_THROW(computeTrapeziumModel(equal), ArithmeticError);
    TrapeziumInput zeroPeriod;
    zeroPeriod.period = 0;
    EXPECT_THROW(computeTrapeziumModel(zeroPeriod), ArithmeticError);
    TrapeziumInput zeroSpacing;
    zeroSpacing.spacing = 0;
    EXPECT_THROW(computeTrapeziumModel(zeroSpacing), ArithmeticError);
}

// The grid against the numerical integral: whole orders hold Re^2, half orders Im^2.
// Tolerance: Simpson's error with 600 steps is far below 1e-9 of the zero order here; the model
// rounds kx, ky and its factors to float32 (relative 6e-8) and the squares to float32, which
// moves a cell by up to about 2e-8 of the zero-order intensity (the largest difference seen is
// 1.6e-8, at the zero order itself). 1e-7 of it leaves room and still catches a wrong sign,
// factor, period or swapped axis, which shift cells by whole percent.
TEST(TrapeziumModel, GridHoldsTheSquaredPartsOfTheNumericalFourierIntegral) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    const TrapeziumParameters& p = m.parameters;
    const double tolerance = 1e-7 * m.originIntensity;
    struct Cell {
        int p, q;
    };
    for (const Cell c : {Cell{0, 0}, Cell{2, 0}, Cell{0, 4}, Cell{4, 6}, Cell{10, 2}, Cell{1, 1},
                         Cell{3, 5}, Cell{9, 1}}) {
        const double kx = waveNumber(p.b0, c.p / 2.0);
        const double ky = waveNumber(p.a0, c.q / 2.0);
        const std::complex<double> integral = halfFourierIntegral(p, kx, ky);
        const double part = c.p % 2 ? integral.imag() : integral.real();
        EXPECT_NEAR(m.intensities[c.p][c.q], part * part, tolerance) << c.p << "," << c.q;
    }
}
