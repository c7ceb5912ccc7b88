// Finding the bright circular field in a camera picture and the pan square that frames
// it. Pure functions of a picture and sizes; the pan window applies what they find.
#pragma once

#include <optional>
#include <vector>

class CxImage;

struct CirclePoint {
  int x = 0;
  int y = 0;
};

struct FittedCircle {
  int cx = 0;  // centre, raised to 0 when negative, truncated toward zero
  int cy = 0;
  double radius = 0.0;
};

// The algebraic least-squares circle through the points (Kåsa's fit), in double
// precision. Nothing for fewer than three points, for points that fix no circle (all on
// one line, or any set whose normal equations are singular) and for a result that is
// not a finite circle whose centre fits an int.
std::optional<FittedCircle> FitCircle(const std::vector<CirclePoint>& points);

// What a double-click on the preview makes of the frame picture.
struct FieldFit {
  enum class Result {
    GaveUp,      // no field found; the pan and magnification stay reset
    Recentred,   // a field too small or too large to fill the view: reset again
    Framed,      // the square is moved and magnified onto the field
  };
  Result result = Result::GaveUp;
  int x = 0;  // Framed: the pan centre, columns and rows from the top-left corner
  int y = 0;
  float magnification = 1.0f;
};

// The field of the frame picture (frameWidth × frameHeight, rows stored bottom row
// first) turned into a pan centre and magnification for a video of videoWidth ×
// videoHeight: the picture in grey levels, every level above the mean bright, the first
// bright column from each side on rows a twentieth of the height apart, a circle fitted
// through those edge points, and the square of side 2ρ around it kept inside the video.
// A picture of another size than the frame's gives up.
FieldFit FitToCircle(const CxImage& framePicture, int frameWidth, int frameHeight, int videoWidth, int videoHeight);

// The edge points FitToCircle fits the circle to (exposed for its tests): (column,
// frameHeight − stored row). Empty when the picture is lower than 20 rows or is not of
// the size given.
std::vector<CirclePoint> FieldEdgePoints(const CxImage& framePicture, int frameWidth, int frameHeight);
