// The capability list and format selection of a V4L2 camera.
#include <gtest/gtest.h>

#include "fake_v4l2_io.h"
#include "platform/graph/v4l2/v4l2_source.h"

using namespace platform;
using namespace platform::v4l2;
using namespace fakev4l2;

namespace {

const std::string kNode = "/dev/video0";

struct Opened {
  std::shared_ptr<FakeV4l2Io> io = std::make_shared<FakeV4l2Io>();
  std::shared_ptr<V4l2Source> source;

  explicit Opened(FakeNode node) {
    io->AddNode(kNode, std::move(node));
    V4l2Source::Options options;
    options.findStillButton = [](const QString&) { return StillButtonOpener(); };
    source = V4l2Source::Open(io, QString::fromStdString(kNode), options);
  }
};

Capability Cap(WireFormat f, int w, int h, bool vi2, double fps) { return {f, w, h, vi2, fps}; }

}  // namespace

TEST(V4l2Formats, EachFormatAndSizeIsListedTwiceInTheDriversOrder) {
  FakeNode node = TypicalCamera();
  // A format we do not take sits between the two we do; it must leave no trace.
  node.formats.insert(node.formats.begin() + 1, FakeFormat{V4L2_PIX_FMT_NV12, {{V4L2_FRMSIZE_TYPE_DISCRETE, 320, 240, {}}}});
  Opened o(node);
  ASSERT_TRUE(o.source);
  EXPECT_EQ(o.source->FriendlyName(), "Fake Camera");
  // The fastest of 1/15 and 1/30 is 30 frames per second.
  const std::vector<Capability> expected{
      Cap(WireFormat::YUY2, 640, 480, false, 30),  Cap(WireFormat::YUY2, 640, 480, true, 30),
      Cap(WireFormat::YUY2, 1280, 720, false, 30), Cap(WireFormat::YUY2, 1280, 720, true, 30),
      Cap(WireFormat::MJPG, 1280, 720, false, 30), Cap(WireFormat::MJPG, 1280, 720, true, 30)};
  EXPECT_EQ(o.source->Capabilities(), expected);
  EXPECT_FALSE(o.source->HasPreviewPin());
  EXPECT_TRUE(o.source->HasStreamConfig());
  EXPECT_FALSE(o.source->HasStillPin());
}

TEST(V4l2Formats, SizeRangesOfferTheCommonSizesThatFitAndUnknownRatesCount30) {
  FakeNode node = TypicalCamera();
  FakeSize range;
  range.type = V4L2_FRMSIZE_TYPE_STEPWISE;
  range.range = {320, 1280, 16, 240, 960, 16};  // 1920×1080 does not fit, 640×480 and 1280×720 do
  node.formats = {FakeFormat{V4L2_PIX_FMT_MJPEG, {range}, {}}};
  Opened o(node);
  ASSERT_TRUE(o.source);
  const std::vector<Capability> expected{
      Cap(WireFormat::MJPG, 640, 480, false, 30), Cap(WireFormat::MJPG, 640, 480, true, 30),
      Cap(WireFormat::MJPG, 1280, 720, false, 30), Cap(WireFormat::MJPG, 1280, 720, true, 30)};
  EXPECT_EQ(o.source->Capabilities(), expected);
}

TEST(V4l2Formats, OnlyStreamingVideoCaptureNodesWithOurFormatsOpen) {
  FakeNode meta = TypicalCamera();
  meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
  EXPECT_FALSE(Opened(meta).source);

  FakeNode greyOnly = TypicalCamera();
  greyOnly.formats = {FakeFormat{V4L2_PIX_FMT_GREY, {{V4L2_FRMSIZE_TYPE_DISCRETE, 640, 480, {}}}}};
  EXPECT_FALSE(Opened(greyOnly).source);

  auto io = std::make_shared<FakeV4l2Io>();
  EXPECT_FALSE(V4l2Source::Open(io, "/dev/video9", {}));  // no such node
  EXPECT_EQ(io->OpenCount(), 0);
}

TEST(V4l2Formats, SetFormatAppliesSizeAndRateAndRefusesWhatTheCameraCannotDo) {
  Opened o(TypicalCamera());
  ASSERT_TRUE(o.source);
  EXPECT_EQ(o.source->CurrentFormat(), Cap(WireFormat::YUY2, 640, 480, false, 30));  // the camera's own

  const Capability mjpg = Cap(WireFormat::MJPG, 1280, 720, true, 30);
  ASSERT_TRUE(o.source->SetFormat(mjpg));
  EXPECT_EQ(o.source->CurrentFormat(), mjpg);
  o.io->With(kNode, [](FakeNode& n) {
    EXPECT_EQ(n.format.pixelformat, V4L2_PIX_FMT_MJPEG);
    EXPECT_EQ(n.format.width, 1280u);
    EXPECT_EQ(n.interval.numerator, 1u);
    EXPECT_EQ(n.interval.denominator, 30u);
  });

  EXPECT_FALSE(o.source->SetFormat(Cap(WireFormat::MJPG, 640, 480, false, 30)));  // not offered
  o.io->With(kNode, [](FakeNode& n) { n.answerWidth = 800; });
  EXPECT_FALSE(o.source->SetFormat(Cap(WireFormat::YUY2, 640, 480, false, 30)));
  EXPECT_EQ(o.source->CurrentFormat(), mjpg);

  o.io->With(kNode, [](FakeNode& n) { n.answerWidth = 0; });
  ASSERT_TRUE(o.source->Start({}));
  EXPECT_FALSE(o.source->SetFormat(Cap(WireFormat::YUY2, 640, 480, false, 30)));
  o.source->Stop();
  EXPECT_TRUE(o.source->SetFormat(Cap(WireFormat::YUY2, 640, 480, false, 30)));
}
