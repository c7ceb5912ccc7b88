#include "media/record_length.h"

#include <chrono>

QString FormatRecordLength(std::uint32_t milliseconds) {
  const std::uint32_t s = milliseconds / 1000;
  const std::uint32_t hours = s / 3600;
  const std::uint32_t minutes = (s - hours * 3600) / 60;
  const std::uint32_t seconds = s - (hours * 60 + minutes) * 60;
  return QStringLiteral("%1:%2:%3")
      .arg(hours, 2, 10, QLatin1Char('0'))
      .arg(minutes, 2, 10, QLatin1Char('0'))
      .arg(seconds, 2, 10, QLatin1Char('0'));
}

long long PicturesDue(long long elapsedMs, int framesPerSecond) {
  if (elapsedMs < 0 || framesPerSecond <= 0) return 0;
  return elapsedMs * framesPerSecond / 1000 + 1;
}

std::uint32_t TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
