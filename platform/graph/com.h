// Result codes, identifiers and interface queries of the media graph.
//
// The capture code speaks the vocabulary of a COM media graph (HRESULT answers,
// GUID-named pin categories and media types). Interfaces are plain abstract C++
// classes; objects are owned through std::shared_ptr and "release" is a reset.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <typeinfo>

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_PROP_ID_UNSUPPORTED = static_cast<HRESULT>(0x80070490u);
// The device went away (unplugged) while it was being used.
constexpr HRESULT E_DEVICE_GONE = static_cast<HRESULT>(0x8007048Fu);

constexpr HRESULT VFW_S_NOPREVIEWPIN = 0x0004027E;
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = static_cast<HRESULT>(0x80040204u);
constexpr HRESULT VFW_E_NOT_STOPPED = static_cast<HRESULT>(0x80040224u);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = static_cast<HRESULT>(0x8004025Fu);
constexpr HRESULT VFW_E_DUPLICATE_NAME = static_cast<HRESULT>(0x8004028Eu);
constexpr HRESULT VFW_E_CANNOT_CONNECT = static_cast<HRESULT>(0x80040217u);
constexpr HRESULT VFW_E_NO_INTERFACE = static_cast<HRESULT>(0x80040215u);

inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

// Pin categories.
inline constexpr GUID PIN_CATEGORY_CAPTURE{0xFB6C4281, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr GUID PIN_CATEGORY_PREVIEW{0xFB6C4282, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr GUID PIN_CATEGORY_STILL{0xFB6C428A, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};

// Major types, subtypes and format types.
inline constexpr GUID MEDIATYPE_Video{0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID MEDIATYPE_Interleaved{0x73766169, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID MEDIASUBTYPE_YUY2{0x32595559, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID MEDIASUBTYPE_MJPG{0x47504A4D, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID MEDIASUBTYPE_RGB24{0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID FORMAT_VideoInfo{0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
inline constexpr GUID FORMAT_VideoInfo2{0xF72A76A0, 0xEB0A, 0x11D0, {0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};

// Property set of the video processing amplifier (power-line frequency is property 13).
inline constexpr GUID PROPSETID_VIDCAP_VIDEOPROCAMP{0xC6E13360, 0x30AC, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
constexpr std::uint32_t KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY = 13;

// Category of video capture devices, and the device class of capture device interfaces.
inline constexpr GUID CLSID_VideoInputDeviceCategory{0x860BB310, 0x5D01, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
inline constexpr GUID KSCATEGORY_CAPTURE{0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// The frame grabber filter and its callback interface.
inline constexpr GUID CLSID_KtSampleGrabber{0x190382EF, 0x239C, 0x4227, {0xA3, 0xB5, 0x5E, 0x1B, 0xC8, 0x24, 0xB4, 0xF4}};
inline constexpr GUID IID_IFrameGrabberCallback{0x731CF3EA, 0x4270, 0x4F29, {0xA6, 0x32, 0x18, 0x8A, 0x61, 0xE3, 0x9D, 0xAE}};
inline constexpr GUID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID IID_ISampleGrabberCB{0x0579154A, 0x2B53, 0x4994, {0xB0, 0xD0, 0xE7, 0x73, 0x14, 0x8E, 0xFF, 0x85}};
inline constexpr GUID IID_IAMStreamConfig{0xC6E13340, 0x30AC, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};

// Common base of every graph object. An object may implement an interface in C++
// and still not offer it for a given device (a camera without exposure control has
// no IAMCameraControl); OffersInterface says which ones it really answers for.
class IUnknown {
 public:
  virtual ~IUnknown() = default;
  virtual bool OffersInterface(const std::type_info& iface) const {
    (void)iface;
    return true;
  }
};

// QueryInterface: the interface T of object p, or null when p does not offer it.
template <class T, class U>
std::shared_ptr<T> QueryInterface(const std::shared_ptr<U>& p) {
  if (!p) return nullptr;
  auto t = std::dynamic_pointer_cast<T>(p);
  if (!t) return nullptr;
  const IUnknown* unknown = dynamic_cast<const IUnknown*>(p.get());
  if (unknown && !unknown->OffersInterface(typeid(T))) return nullptr;
  return t;
}
