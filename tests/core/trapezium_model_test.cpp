#include "base/errors.h"
#include "base/number_text.h"
#include "trapez/trapezium_model.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>

using namespace fringel;

namespace {

// Half the Fourier integral of the trapezium, numerically: the x integral in closed form,
// the y integral by Simpson's rule.
std::complex<double> halfFourierIntegral(const TrapeziumParameters& p, double kx, double ky) {
    const int steps = 20000;
    const double h = 2.0 * p.g / steps;
    std::complex<double> sum = 0;
    for (int k = 0; k <= steps; ++k) {
        const double y = -p.g + k * h;
        const double half = p.f + p.c * y;
        const double inner = ky == 0 ? 2 * half : 2 * std::sin(ky * half) / ky;
        const double weight = (k == 0 || k == steps) ? 1 : (k % 2 ? 4 : 2);
        sum += weight * std::exp(std::complex<double>(0, -kx * y)) * inner;
    }
    return 0.5 * sum * h / 3.0;
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
