// A snapshot per picture as the program writes it (the file named after the time, the
// picture's JPEG at quality 90 through the picture object), beside TurboJPEG's own encode of the same rows (BGR,
// bottom-up, quality 90, 4:2:0) with the same file write, in the same run, at
// 640×480, 1280×720 and 1920×1080. The "ratio" counter is ours over TurboJPEG's
// (target: at most 1.2).
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QString>

#include <chrono>
#include <cstdint>
#include <string>

#include "media/snapshot.h"
#include "outside/ximage.h"

namespace {

// A bright disc with fine detail on a dark surround, about what the camera shows, so
// the JPEG is about as large as a real snapshot's.
CxImage MakeShown(int width, int height) {
  CxImage picture(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24);
  const int cx = width / 2, cy = height / 2, r2 = (height / 2) * (height / 2);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.GetBits(static_cast<std::uint32_t>(y));
    for (int x = 0; x < width; ++x, row += 3) {
      const bool inside = (x - cx) * (x - cx) + (y - cy) * (y - cy) < r2;
      const int texture = (x * 7 + y * 13) % 32;
      row[0] = static_cast<std::uint8_t>(inside ? 150 + texture : 0);
      row[1] = static_cast<std::uint8_t>(inside ? 140 + ((x / 4 + y / 4) % 2) * 24 : 0);
      row[2] = static_cast<std::uint8_t>(inside ? 200 - texture : 0);
    }
  }
  return picture;
}

// TurboJPEG's encode with its handle kept, and the file written the plain way.
class Reference {
 public:
  Reference() : m_handle(tjInitCompress()) {}
  ~Reference() {
    if (m_handle) tjDestroy(m_handle);
  }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  bool Save(const CxImage& picture, const std::string& path) {
    if (!m_handle) return false;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const bool encoded =
        tjCompress2(m_handle, picture.GetBits(), static_cast<int>(picture.GetWidth()),
                    static_cast<int>(picture.GetEffWidth()), static_cast<int>(picture.GetHeight()), TJPF_BGR, &jpeg,
                    &size, TJSAMP_420, 90, TJFLAG_BOTTOMUP) == 0;
    bool written = false;
    if (encoded) {
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd >= 0) {
        written = ::write(fd, jpeg, size) == static_cast<ssize_t>(size);
        written = ::close(fd) == 0 && written;
      }
    }
    tjFree(jpeg);
    return written;
  }

 private:
  tjhandle m_handle;
};

using Clock = std::chrono::steady_clock;

void Snapshot(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const CxImage shown = MakeShown(width, height);
  const std::string base = "/tmp/vistrel_snapshot_bench_" + std::to_string(::getpid()) + "_" + std::to_string(width);
  const QString folder = QString::fromStdString(base + "_ours/");
  ::mkdir(folder.toLocal8Bit().constData(), 0700);
  QDateTime time(QDate(2016, 3, 14), QTime(9, 5, 7, 0));
  const std::string referencePath = base + "_tj.jpg";
  Reference reference;
  Clock::duration ours{}, theirs{};
  long i = 0;
  for (auto _ : state) {
    bool ok = true;
    // Alternating order, so that the machine's load and the caches treat both alike.
    for (int pass = 0; pass < 2; ++pass) {
      const auto start = Clock::now();
      if ((pass == 0) == (i % 2 == 0)) {
        const std::optional<QString> file = SaveSnapshot(shown, folder, time);
        ours += Clock::now() - start;
        ok = ok && file.has_value();
        if (file) ::unlink(file->toLocal8Bit().constData());
      } else {
        ok = ok && reference.Save(shown, referencePath);
        theirs += Clock::now() - start;
        // Both write a new file each time: neither pays for truncating an old one.
        ::unlink(referencePath.c_str());
      }
    }
    if (!ok) {
      state.SkipWithError("a snapshot failed");
      break;
    }
    ++i;
  }
  if (i > 0) {
    const double oursMs = std::chrono::duration<double, std::milli>(ours).count() / static_cast<double>(i);
    const double theirsMs = std::chrono::duration<double, std::milli>(theirs).count() / static_cast<double>(i);
    state.counters["ours_ms"] = oursMs;
    state.counters["turbojpeg_ms"] = theirsMs;
    state.counters["ratio"] = oursMs / theirsMs;
  }
  ::rmdir(folder.toLocal8Bit().constData());
  ::unlink(referencePath.c_str());
}

BENCHMARK(Snapshot)->Args({640, 480})->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
