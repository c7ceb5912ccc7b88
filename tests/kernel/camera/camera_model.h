// The USB camera the kernel test emulates: its identity, its formats in the order its
// descriptors list them, and its controls. The gadget serves exactly this, and the
// guest checks expect exactly this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testcam {

constexpr std::uint16_t kVendorId = 0x1209;
constexpr std::uint16_t kProductId = 0x5643;
inline const std::string kSerial = "VT-0042";
inline const std::string kManufacturer = "Vistrel Test Devices";
// Longer than the 31 bytes the UVC driver keeps of a name.
inline const std::string kProduct = "Vistrel Emulated Microscope Camera HD";
inline const std::string kFunction = "Video";

enum class Format { Yuyv, Mjpeg };

struct Frame {
  int width;
  int height;
  std::vector<std::uint32_t> intervals;  // 100 ns units, the first is the default
};

struct FormatDesc {
  Format format;
  std::vector<Frame> frames;
};

// YUYV and MJPEG, sizes deliberately not in size order, so the driver's order shows.
// gadgetfs answers at most 256 bytes of the configuration descriptor, which leaves
// room for three frame descriptors.
const std::vector<FormatDesc>& Formats();

// The payload size the camera agrees to on its bulk endpoint.
constexpr std::uint32_t kMaxPayload = 16384;

// Entities of the video control interface.
constexpr std::uint8_t kCameraTerminal = 1;
constexpr std::uint8_t kProcessingUnit = 2;
constexpr std::uint8_t kOutputTerminal = 3;

struct Control {
  std::uint8_t entity;
  std::uint8_t selector;
  std::uint8_t size;  // bytes
  bool isSigned;
  std::int32_t min, max, res, def;
};

// The processing-unit and camera-terminal controls the camera has.
const std::vector<Control>& Controls();

// UVC selectors used by the checks.
namespace pu {
constexpr std::uint8_t kBrightness = 0x02, kContrast = 0x03, kGain = 0x04, kPowerLine = 0x05, kHue = 0x06,
                       kSaturation = 0x07, kSharpness = 0x08, kGamma = 0x09, kWhiteBalance = 0x0A,
                       kWhiteBalanceAuto = 0x0B;
}
namespace ct {
constexpr std::uint8_t kAeMode = 0x02, kExposureAbsolute = 0x04;
// Auto-exposure mode bits.
constexpr std::uint8_t kAeManual = 0x01, kAeAperturePriority = 0x08;
}  // namespace ct

const Control* FindControl(std::uint8_t entity, std::uint8_t selector);

// Descriptors as the device answers them.
std::vector<std::uint8_t> DeviceDescriptor();
// The configuration with all its interface, class and endpoint descriptors, for a
// high-speed (512-byte bulk packets) or full-speed link.
std::vector<std::uint8_t> ConfigurationDescriptor(bool highSpeed);
// String descriptor `index` (0: the language list); empty for an unknown index.
std::vector<std::uint8_t> StringDescriptor(std::uint8_t index);

// Endpoint addresses.
constexpr std::uint8_t kStatusEndpoint = 0x85;
constexpr std::uint8_t kVideoEndpoint = 0x81;
std::vector<std::uint8_t> StatusEndpointDescriptor(bool highSpeed);
std::vector<std::uint8_t> VideoEndpointDescriptor(bool highSpeed);

}  // namespace testcam
