// The running length of a recording as the status bar shows it.
#pragma once

#include <QString>

#include <cstdint>

// "hh:mm:ss" of a length in milliseconds; hours are not limited to a day.
QString FormatRecordLength(std::uint32_t milliseconds);

// Pictures due in a file that plays at `framesPerSecond` after `elapsedMs` of recording,
// counting the first picture at 0 ms.
long long PicturesDue(long long elapsedMs, int framesPerSecond);

// A millisecond tick count that wraps at 32 bits, for lengths measured by subtraction.
std::uint32_t TickCount();
