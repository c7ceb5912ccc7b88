#include "camera_model.h"

namespace testcam {
namespace {

constexpr std::uint8_t kCsInterface = 0x24;

class Writer {
 public:
  void U8(unsigned v) { m_bytes.push_back(static_cast<std::uint8_t>(v)); }
  void U16(unsigned v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void Bytes(const std::vector<std::uint8_t>& b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
  std::size_t Size() const { return m_bytes.size(); }
  void PatchU16(std::size_t at, unsigned v) {
    m_bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
    m_bytes[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

 private:
  std::vector<std::uint8_t> m_bytes;
};

std::vector<std::uint8_t> Endpoint(std::uint8_t address, std::uint8_t attributes, unsigned maxPacket,
                                   std::uint8_t interval) {
  Writer w;
  w.U8(7);
  w.U8(0x05);
  w.U8(address);
  w.U8(attributes);
  w.U16(maxPacket);
  w.U8(interval);
  return w.Take();
}

void FrameDescriptor(Writer& w, std::uint8_t subtype, std::uint8_t index, const Frame& f) {
  const std::uint32_t frameBytes = static_cast<std::uint32_t>(f.width * f.height * 2);
  const std::uint32_t bitsPerSecond = frameBytes * 8 * (10'000'000 / f.intervals.front());
  w.U8(static_cast<unsigned>(26 + 4 * f.intervals.size()));
  w.U8(kCsInterface);
  w.U8(subtype);
  w.U8(index);
  w.U8(0);  // bmCapabilities
  w.U16(static_cast<unsigned>(f.width));
  w.U16(static_cast<unsigned>(f.height));
  w.U32(bitsPerSecond / 4);
  w.U32(bitsPerSecond);
  w.U32(frameBytes);  // dwMaxVideoFrameBufferSize
  w.U32(f.intervals.front());
  w.U8(static_cast<unsigned>(f.intervals.size()));
  for (std::uint32_t i : f.intervals) w.U32(i);
}

}  // namespace

const std::vector<FormatDesc>& Formats() {
  static const std::vector<FormatDesc> formats = {
      {Format::Yuyv, {{320, 240, {666666, 1000000}}, {160, 120, {666666}}}},
      {Format::Mjpeg, {{320, 240, {666666, 1000000}}}},
  };
  return formats;
}

const std::vector<Control>& Controls() {
  static const std::vector<Control> controls = {
      {kProcessingUnit, pu::kBrightness, 2, true, -64, 64, 1, 0},
      {kProcessingUnit, pu::kContrast, 2, false, 0, 100, 1, 50},
      {kProcessingUnit, pu::kGain, 2, false, 0, 255, 1, 32},
      {kProcessingUnit, pu::kPowerLine, 1, false, 0, 2, 1, 1},
      {kProcessingUnit, pu::kHue, 2, true, -180, 180, 1, 0},
      {kProcessingUnit, pu::kSaturation, 2, false, 0, 200, 1, 100},
      {kProcessingUnit, pu::kSharpness, 2, false, 0, 15, 1, 3},
      {kProcessingUnit, pu::kGamma, 2, false, 72, 500, 1, 100},
      {kProcessingUnit, pu::kWhiteBalance, 2, false, 2800, 6500, 10, 4600},
      {kProcessingUnit, pu::kWhiteBalanceAuto, 1, false, 0, 1, 1, 1},
      // The mode control's resolution is the bitmap of the modes the camera has.
      {kCameraTerminal, ct::kAeMode, 1, false, ct::kAeManual, ct::kAeAperturePriority, ct::kAeManual | ct::kAeAperturePriority,
       ct::kAeAperturePriority},
      {kCameraTerminal, ct::kExposureAbsolute, 4, false, 1, 10000, 1, 156},
  };
  return controls;
}

const Control* FindControl(std::uint8_t entity, std::uint8_t selector) {
  for (const Control& c : Controls()) {
    if (c.entity == entity && c.selector == selector) return &c;
  }
  return nullptr;
}

std::vector<std::uint8_t> DeviceDescriptor() {
  Writer w;
  w.U8(18);
  w.U8(0x01);
  w.U16(0x0200);
  w.U8(0x00);  // the class is the interfaces'
  w.U8(0x00);
  w.U8(0x00);
  w.U8(64);
  w.U16(kVendorId);
  w.U16(kProductId);
  w.U16(0x0100);
  w.U8(1);  // manufacturer
  w.U8(2);  // product
  w.U8(3);  // serial
  w.U8(1);
  return w.Take();
}

std::vector<std::uint8_t> StatusEndpointDescriptor(bool highSpeed) {
  // High speed counts the interval in 2^(n-1) microframes: 8 → 16 ms.
  return Endpoint(kStatusEndpoint, 0x03, 16, highSpeed ? 8 : 16);
}

std::vector<std::uint8_t> VideoEndpointDescriptor(bool highSpeed) {
  return Endpoint(kVideoEndpoint, 0x02, highSpeed ? 512 : 64, 0);
}

std::vector<std::uint8_t> ConfigurationDescriptor(bool highSpeed) {
  Writer w;
  // Configuration.
  w.U8(9);
  w.U8(0x02);
  const std::size_t totalAt = w.Size();
  w.U16(0);
  w.U8(2);  // interfaces
  w.U8(1);  // bConfigurationValue
  w.U8(0);
  w.U8(0x80);
  w.U8(250);  // 500 mA
  // Video control interface.
  w.U8(9);
  w.U8(0x04);
  w.U8(0);
  w.U8(0);
  w.U8(1);  // the status endpoint
  w.U8(0x0E);
  w.U8(0x01);
  w.U8(0x00);
  w.U8(4);  // named: the driver adds the name to the product's
  const std::size_t vcStart = w.Size();
  w.U8(13);  // header
  w.U8(kCsInterface);
  w.U8(0x01);
  w.U16(0x0110);
  const std::size_t vcTotalAt = w.Size();
  w.U16(0);
  w.U32(48'000'000);
  w.U8(1);
  w.U8(1);  // streaming interface 1
  w.U8(16);  // camera terminal
  w.U8(kCsInterface);
  w.U8(0x02);
  w.U8(kCameraTerminal);
  w.U16(0x0201);
  w.U8(0);
  w.U8(0);
  w.U16(0);
  w.U16(0);
  w.U16(0);
  w.U8(1);
  w.U8(0x0A);  // auto-exposure mode, exposure time (absolute)
  w.U8(12);  // processing unit
  w.U8(kCsInterface);
  w.U8(0x05);
  w.U8(kProcessingUnit);
  w.U8(kCameraTerminal);
  w.U16(0);
  w.U8(2);
  // Brightness, contrast, hue, saturation, sharpness, gamma, white balance
  // temperature; gain, power-line frequency, white balance temperature auto.
  w.U8(0x7F);
  w.U8(0x16);
  w.U8(0);
  w.U8(0);
  w.U8(9);  // output terminal
  w.U8(kCsInterface);
  w.U8(0x03);
  w.U8(kOutputTerminal);
  w.U16(0x0101);
  w.U8(0);
  w.U8(kProcessingUnit);
  w.U8(0);
  w.PatchU16(vcTotalAt, static_cast<unsigned>(w.Size() - vcStart));
  // The class-specific interrupt endpoint descriptor is left out: the driver does
  // without it, and the configuration must stay within what gadgetfs answers.
  w.Bytes(StatusEndpointDescriptor(highSpeed));
  // Video streaming interface: one alternate setting with a bulk endpoint.
  w.U8(9);
  w.U8(0x04);
  w.U8(1);
  w.U8(0);
  w.U8(1);
  w.U8(0x0E);
  w.U8(0x02);
  w.U8(0x00);
  w.U8(0);
  const std::size_t vsStart = w.Size();
  const auto& formats = Formats();
  w.U8(13);  // input header, without per-format controls
  w.U8(kCsInterface);
  w.U8(0x01);
  w.U8(static_cast<unsigned>(formats.size()));
  const std::size_t vsTotalAt = w.Size();
  w.U16(0);
  w.U8(kVideoEndpoint);
  w.U8(0);
  w.U8(kOutputTerminal);
  w.U8(0);  // no still images
  w.U8(1);  // a hardware trigger (the button) ...
  w.U8(1);  // ... that the host treats as a button event
  w.U8(0);  // bControlSize
  std::uint8_t formatIndex = 0;
  for (const FormatDesc& f : formats) {
    ++formatIndex;
    if (f.format == Format::Yuyv) {
      w.U8(27);
      w.U8(kCsInterface);
      w.U8(0x04);
      w.U8(formatIndex);
      w.U8(static_cast<unsigned>(f.frames.size()));
      w.Bytes({'Y', 'U', 'Y', '2', 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
      w.U8(16);
      w.U8(1);
      w.U8(0);
      w.U8(0);
      w.U8(0);
      w.U8(0);
    } else {
      w.U8(11);
      w.U8(kCsInterface);
      w.U8(0x06);
      w.U8(formatIndex);
      w.U8(static_cast<unsigned>(f.frames.size()));
      w.U8(0x01);  // fixed-size samples
      w.U8(1);
      w.U8(0);
      w.U8(0);
      w.U8(0);
      w.U8(0);
    }
    std::uint8_t frameIndex = 0;
    for (const Frame& fr : f.frames) FrameDescriptor(w, f.format == Format::Yuyv ? 0x05 : 0x07, ++frameIndex, fr);
  }
  w.PatchU16(vsTotalAt, static_cast<unsigned>(w.Size() - vsStart));
  w.Bytes(VideoEndpointDescriptor(highSpeed));
  w.PatchU16(totalAt, static_cast<unsigned>(w.Size()));
  return w.Take();
}

std::vector<std::uint8_t> StringDescriptor(std::uint8_t index) {
  std::string text;
  switch (index) {
    case 0:
      return {4, 0x03, 0x09, 0x04};
    case 1: text = kManufacturer; break;
    case 2: text = kProduct; break;
    case 3: text = kSerial; break;
    case 4: text = kFunction; break;
    default: return {};
  }
  Writer w;
  w.U8(static_cast<unsigned>(2 + 2 * text.size()));
  w.U8(0x03);
  for (char c : text) w.U16(static_cast<unsigned char>(c));
  return w.Take();
}

}  // namespace testcam
