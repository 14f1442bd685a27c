// The trapezium model of a woven mesh's diffraction image.
//
// One opening of the mesh, seen at an inclination angle, is a trapezium; the image is the
// square of the real part of its Fourier integral at the mesh's diffraction orders and the
// square of the imaginary part at the half orders between them. Only one quadrant is computed;
// the drawing mirrors it.
#pragma once

#include "base/dynamic_array.h"

#include <cstdint>
#include <functional>

namespace fringel {

// What the user enters: mesh period b0, wire diameter 2r, inclination angle in whole degrees,
// the distance in pixels between neighbouring orders, and the image width.
struct TrapeziumInput {
    float period = 169;  // b0
    float diameter = 51; // 2r
    int angleDegrees = 20;
    std::int32_t spacing = 20;
    std::int32_t imageWidth = 600;
};

// The trapezium { |y| <= g, |x| <= f + c y } and the projected period.
struct TrapeziumParameters {
    float f = 0;  // half-width at the middle height
    float g = 0;  // half-height
    float b0 = 0; // mesh period as entered
    float a0 = 0; // projected period, b0 cos(angle)
    float c = 0;  // slope of the slanted sides
};

// intensities[p][q]: p vertical, q horizontal, both counting half orders.
using IntensityGrid = DynamicArray<DynamicArray<float>>;

struct TrapeziumModel {
    TrapeziumParameters parameters;
    float originIntensity = 0; // (2 f g)^2, the zero order
    std::int32_t orders = 0;   // n, the highest whole order computed
    std::int32_t spacing = 0;  // pixels between neighbouring orders in the picture
    IntensityGrid intensities; // N x N, N = width / spacing + 1
};

// The trapezium of the inputs. Raises ArithmeticError when b0 = 2r (no slope defined).
TrapeziumParameters trapeziumParameters(float period, float diameter, int angleDegrees);

// The wave number 2 pi / period x order, rounded to float32. Raises ArithmeticError for a
// period of 0.
float waveNumber(float period, double order);

// The real part R of half the Fourier integral at wave numbers (kx, ky) of orders (i, j).
double trapeziumReal(const TrapeziumParameters& p, double i, double j, float kx, float ky);
// The imaginary part Q at a half order (kx, ky never 0).
double trapeziumImaginary(const TrapeziumParameters& p, float kx, float ky);

// The whole model: parameters, the zero-order intensity and every non-zero cell of the grid.
// `cellDone` runs after every computed cell (the window lets events run there). Raises
// ArithmeticError for b0 = 2r, b0 = 0 and a spacing below 1.
TrapeziumModel computeTrapeziumModel(const TrapeziumInput& input,
                                     const std::function<void()>& cellDone = {});

} // namespace fringel
