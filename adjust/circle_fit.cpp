#include "adjust/circle_fit.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "outside/ximage.h"

namespace {

// Centre coordinate of the fit: negative raised to 0, truncated toward zero; nothing
// when it does not fit an int.
std::optional<int> CentreCoordinate(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  if (value < 0.0) return 0;
  if (value >= static_cast<double>(INT_MAX)) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

std::optional<FittedCircle> FitCircle(const std::vector<CirclePoint>& points) {
  if (points.size() < 3) return std::nullopt;
  const double n = static_cast<double>(points.size());
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sxxx = 0, syyy = 0, sxyy = 0, sxxy = 0;
  for (const CirclePoint& p : points) {
    const double x = p.x;
    const double y = p.y;
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
    sxxx += x * x * x;
    syyy += y * y * y;
    sxyy += x * y * y;
    sxxy += x * x * y;
  }
  const double c = n * sxx - sx * sx;
  const double d = n * sxy - sx * sy;
  const double e = n * sxxx + n * sxyy - (sxx + syy) * sx;
  const double g = n * syy - sy * sy;
  const double k = n * sxxy + n * syyy - (sxx + syy) * sy;
  // Points on one line (or a set as degenerate) leave the normal equations singular:
  // no circle passes through them, and dividing would only make infinities.
  const double determinant = c * g - d * d;
  if (determinant == 0.0 || !std::isfinite(determinant)) return std::nullopt;
  const double a = (k * d - e * g) / determinant;
  const double b = (k * c - e * d) / (d * d - g * c);
  const double cc = -(a * sx + b * sy + sxx + syy) / n;
  const double radius = std::sqrt(a * a + b * b - 4.0 * cc) / 2.0;
  if (!std::isfinite(radius)) return std::nullopt;
  const std::optional<int> cx = CentreCoordinate(-a / 2.0);
  const std::optional<int> cy = CentreCoordinate(-b / 2.0);
  if (!cx || !cy) return std::nullopt;
  return FittedCircle{*cx, *cy, radius};
}

std::vector<CirclePoint> FieldEdgePoints(const CxImage& framePicture, int frameWidth, int frameHeight) {
  std::vector<CirclePoint> points;
  const int w = frameWidth;
  const int h = frameHeight;
  if (w <= 0 || h <= 0 || !framePicture.IsValid() || framePicture.GetWidth() != static_cast<std::uint32_t>(w) ||
      framePicture.GetHeight() != static_cast<std::uint32_t>(h))
    return points;
  const int s = h / 20;
  if (s == 0) return points;  // lower than 20 rows: no rows to look at

  CxImage grey(framePicture);
  if (!grey.GrayScale()) return points;
  // Stored row r starts at GetBits(0) + r × GetEffWidth().
  std::uint8_t* bits = grey.GetBits(0);
  const std::size_t stride = grey.GetEffWidth();
  auto level = [bits, stride](int row, int column) -> std::uint8_t& {
    return bits[static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(column)];
  };

  std::uint64_t sum = 0;
  for (int r = 0; r < h; ++r)
    for (int col = 0; col < w; ++col) sum += level(r, col);
  const std::uint64_t mean = sum / (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h));
  for (int r = 0; r < h; ++r)
    for (int col = 0; col < w; ++col) level(r, col) = level(r, col) > mean ? 255 : 0;

  // Left edges, from the first stored row up; right edges from the last one down.
  for (int r = 1; r < h; r += s) {
    for (int col = 1; col <= w - 1; ++col) {
      if (level(r, col) == 255) {
        points.push_back({col, h - r});
        break;
      }
    }
  }
  for (int r = h - 1; r > 1; r -= s) {
    for (int col = w - 1; col >= 2; --col) {
      if (level(r, col) == 255) {
        points.push_back({col, h - r});
        break;
      }
    }
  }
  return points;
}

FieldFit FitToCircle(const CxImage& framePicture, int frameWidth, int frameHeight, int videoWidth, int videoHeight) {
  FieldFit fit;
  const std::vector<CirclePoint> points = FieldEdgePoints(framePicture, frameWidth, frameHeight);
  const std::optional<FittedCircle> circle = FitCircle(points);
  if (!circle) return fit;
  const double rho = circle->radius;
  if (circle->cx > videoWidth || circle->cy > videoHeight || rho > videoHeight / 2) return fit;

  const double f = frameHeight / (2.0 * rho);
  if (f > 4.0 || f < 1.0) {
    fit.result = FieldFit::Result::Recentred;
    return fit;
  }
  // The square of half side ρ kept inside the video: pushed off the left (top) edge
  // first, then off the right (bottom) one.
  auto inside = [rho](int centre, int extent) {
    double v = centre;
    if (v - rho < 0) v = std::trunc(rho);
    if (v + rho > extent) v = std::trunc(extent - rho);
    return static_cast<int>(v);
  };
  fit.result = FieldFit::Result::Framed;
  fit.x = inside(circle->cx, videoWidth);
  fit.y = inside(circle->cy, videoHeight);
  fit.magnification = static_cast<float>(f);
  return fit;
}
