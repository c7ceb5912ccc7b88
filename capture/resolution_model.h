// The resolutions a camera offers, as data: the window turns them into its Resolution
// menu. In service mode they are grouped by format (YUV and MJPG); otherwise they form
// one flat list, numbered in the family of the stored format.
#pragma once

#include <optional>
#include <vector>

enum class FormatFamily { Yuv, Mjpg };

struct ResolutionEntry {
  FormatFamily family = FormatFamily::Yuv;
  int index = 0;  // position in its family's list
  int width = 0;
  int height = 0;
  friend bool operator==(const ResolutionEntry&, const ResolutionEntry&) = default;
};

struct ResolutionMark {
  FormatFamily family = FormatFamily::Yuv;
  int index = 0;
  friend bool operator==(const ResolutionMark&, const ResolutionMark&) = default;
};

struct ResolutionModel {
  bool grouped = false;                  // service mode: a YUV list and an MJPG list
  std::vector<ResolutionEntry> entries;  // in list order, family by family
  std::optional<ResolutionMark> marked;  // the entry marked as running, if any
};
