// The media-graph interfaces the capture code is written against.
//
// A small model of a capture graph: filters with pins, a filter graph that holds
// them by name, a capture graph builder that renders streams by pin category,
// stream configuration with capability records, media control, sample grabbers
// and the camera's property interfaces. Implementations live in this folder.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "com.h"

// ---------------------------------------------------------------------------
// Media types and format blocks.

struct AM_MEDIA_TYPE {
  GUID majortype{};
  GUID subtype{};
  bool bFixedSizeSamples = true;
  bool bTemporalCompression = false;
  std::uint32_t lSampleSize = 0;
  GUID formattype{};
  std::vector<std::uint8_t> pbFormat;  // the format block; cbFormat is its size
};

// Byte sizes of the format blocks and of one stream capability record.
constexpr int kVideoInfoHeaderSize = 88;    // VIDEOINFOHEADER: 48 bytes, then BITMAPINFOHEADER
constexpr int kVideoInfoHeader2Size = 112;  // VIDEOINFOHEADER2: 72 bytes, then BITMAPINFOHEADER
constexpr int kStreamConfigCapsSize = 128;  // VIDEO_STREAM_CONFIG_CAPS

// ---------------------------------------------------------------------------
// Filters and pins.

class IBaseFilter;
class IGraphBuilder;

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

struct PIN_INFO {
  std::shared_ptr<IBaseFilter> pFilter;  // the filter that owns the pin
  PIN_DIRECTION dir = PINDIR_INPUT;
  QString achName;
};

class IPin : public virtual IUnknown {
 public:
  // The pin this one is connected to; VFW_E_NOT_CONNECTED when it is free.
  virtual HRESULT ConnectedTo(std::shared_ptr<IPin>& pin) = 0;
  virtual HRESULT QueryPinInfo(PIN_INFO& info) = 0;
  virtual HRESULT QueryDirection(PIN_DIRECTION& dir) = 0;
  // Media type of the connection; VFW_E_NOT_CONNECTED when free.
  virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE& mt) = 0;
  // Category of a source's output pin (PIN_CATEGORY_CAPTURE, _PREVIEW, _STILL); all zero otherwise.
  virtual GUID Category() const = 0;
};

struct FILTER_INFO {
  QString achName;
  IGraphBuilder* pGraph = nullptr;  // not owned; null while the filter is in no graph
};

class IBaseFilter : public virtual IUnknown {
 public:
  virtual HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>& pins) = 0;
  virtual HRESULT QueryFilterInfo(FILTER_INFO& info) = 0;
};

// The filter graph. The object also answers IMediaControl.
class IGraphBuilder : public virtual IUnknown {
 public:
  // Adds a filter under a name; VFW_E_DUPLICATE_NAME when the name is taken.
  virtual HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter, const QString& name) = 0;
  // Removes a filter, breaking its connections first.
  virtual HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) = 0;
  // Breaks the connection of one pin (the peer keeps its side until it is disconnected too).
  virtual HRESULT Disconnect(const std::shared_ptr<IPin>& pin) = 0;
  // The filters in the order they were added.
  virtual HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>& filters) = 0;
  virtual HRESULT FindFilterByName(const QString& name, std::shared_ptr<IBaseFilter>& filter) = 0;
};

class IMediaControl : public virtual IUnknown {
 public:
  virtual HRESULT Run() = 0;
  // Returns after every streaming thread of the graph has delivered its last sample.
  virtual HRESULT Stop() = 0;
};

// ---------------------------------------------------------------------------
// Stream configuration and the capture graph builder.

class IAMStreamConfig : public virtual IUnknown {
 public:
  virtual HRESULT SetFormat(const AM_MEDIA_TYPE& mt) = 0;
  virtual HRESULT GetFormat(AM_MEDIA_TYPE& mt) = 0;
  // count capabilities, each described by a record of `size` bytes.
  virtual HRESULT GetNumberOfCapabilities(int& count, int& size) = 0;
  // Capability `index`: its media type, and its record written to caps (`size` bytes).
  virtual HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE& mt, std::uint8_t* caps) = 0;
};

class ICaptureGraphBuilder2 : public virtual IUnknown {
 public:
  virtual HRESULT SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) = 0;
  virtual HRESULT GetFiltergraph(std::shared_ptr<IGraphBuilder>& graph) = 0;
  // The stream configuration of the filter's output pin of that category and major type.
  virtual HRESULT FindInterface(const GUID* category, const GUID* type, const std::shared_ptr<IBaseFilter>& filter,
                                std::shared_ptr<IAMStreamConfig>& config) = 0;
  // Connects source (its pin of that category and major type) → intermediate → sink.
  // S_OK, VFW_S_NOPREVIEWPIN when a splitter stands in for a missing preview pin, or a failure.
  virtual HRESULT RenderStream(const GUID* category, const GUID* type, const std::shared_ptr<IBaseFilter>& source,
                               const std::shared_ptr<IBaseFilter>& intermediate,
                               const std::shared_ptr<IBaseFilter>& sink) = 0;
};

// ---------------------------------------------------------------------------
// Sample grabbers.

class IMediaSample : public virtual IUnknown {
 public:
  virtual HRESULT GetPointer(std::uint8_t** buffer) = 0;
  virtual long GetActualDataLength() = 0;
};

// Callback of the standard sample grabber. The implementer decides about lifetime;
// the main window's implementation does not count references.
class ISampleGrabberCB {
 public:
  virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;
  virtual unsigned long AddRef() = 0;
  virtual unsigned long Release() = 0;
  virtual HRESULT SampleCB(double sampleTime, IMediaSample* sample) = 0;
  virtual HRESULT BufferCB(double sampleTime, std::uint8_t* buffer, long length) = 0;

 protected:
  ~ISampleGrabberCB() = default;
};

class ISampleGrabber : public virtual IUnknown {
 public:
  virtual HRESULT SetOneShot(bool oneShot) = 0;
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE& mt) = 0;
  virtual HRESULT SetBufferSamples(bool bufferThem) = 0;
  // whichMethod 0 calls SampleCB, 1 calls BufferCB; a null callback stops the calls.
  virtual HRESULT SetCallback(ISampleGrabberCB* callback, long whichMethod) = 0;
};

// The frame callback of the frame grabber filter: 24-bit BGR rows, bottom row first.
class CBCLS {
 public:
  virtual int FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) = 0;

 protected:
  ~CBCLS() = default;
};

// Interface {731CF3EA-…} of the frame grabber filter.
class IFrameGrabberCallback : public virtual IUnknown {
 public:
  // The callback is not owned; null stops the calls.
  virtual HRESULT SetCallback(CBCLS* callback) = 0;
  // Asked from inside FrameCB: when the camera captured the frame being delivered, in
  // nanoseconds on the monotonic clock (CLOCK_MONOTONIC, the epoch of
  // std::chrono::steady_clock), so that steady_clock::now() minus it is the frame's age.
  // A V4L2 camera's time is its driver's buffer timestamp (the dequeue time when the
  // driver's timestamps are not monotonic); the virtual camera's is the time it made
  // the frame. Asked elsewhere: the last delivered frame's, 0 before the first.
  virtual std::int64_t FrameCaptureTimeNs() const = 0;
};

// ---------------------------------------------------------------------------
// Camera properties.

enum VideoProcAmpProperty {
  VideoProcAmp_Brightness = 0,
  VideoProcAmp_Contrast = 1,
  VideoProcAmp_Hue = 2,
  VideoProcAmp_Saturation = 3,
  VideoProcAmp_Sharpness = 4,
  VideoProcAmp_Gamma = 5,
  VideoProcAmp_ColorEnable = 6,
  VideoProcAmp_WhiteBalance = 7,
  VideoProcAmp_BacklightCompensation = 8,
  VideoProcAmp_Gain = 9,
};
enum VideoProcAmpFlags { VideoProcAmp_Flags_Auto = 1, VideoProcAmp_Flags_Manual = 2 };

enum CameraControlProperty {
  CameraControl_Pan = 0,
  CameraControl_Tilt = 1,
  CameraControl_Roll = 2,
  CameraControl_Zoom = 3,
  CameraControl_Exposure = 4,
  CameraControl_Iris = 5,
  CameraControl_Focus = 6,
};
enum CameraControlFlags { CameraControl_Flags_Auto = 1, CameraControl_Flags_Manual = 2 };

class IAMVideoProcAmp : public virtual IUnknown {
 public:
  virtual HRESULT GetRange(long property, long* min, long* max, long* steppingDelta, long* defaultValue,
                           long* capsFlags) = 0;
  virtual HRESULT Set(long property, long value, long flags) = 0;
  virtual HRESULT Get(long property, long* value, long* flags) = 0;
};

class IAMCameraControl : public virtual IUnknown {
 public:
  virtual HRESULT GetRange(long property, long* min, long* max, long* steppingDelta, long* defaultValue,
                           long* capsFlags) = 0;
  virtual HRESULT Set(long property, long value, long flags) = 0;
  virtual HRESULT Get(long property, long* value, long* flags) = 0;
};

// KSPROPERTY_VIDEOPROCAMP_S: 40 bytes, every field 32 bits.
struct KSPROPERTY_VIDEOPROCAMP_S {
  GUID Set;
  std::uint32_t Id;
  std::uint32_t Flags;
  std::int32_t Value;
  std::uint32_t ValueFlags;
  std::uint32_t Capabilities;
  std::uint32_t Reserved;
};
static_assert(sizeof(KSPROPERTY_VIDEOPROCAMP_S) == 40);

class IKsPropertySet : public virtual IUnknown {
 public:
  virtual HRESULT Set(const GUID& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
                      const void* propertyData, std::uint32_t dataLength) = 0;
  virtual HRESULT Get(const GUID& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
                      void* propertyData, std::uint32_t dataLength, std::uint32_t* bytesReturned) = 0;
};

// ---------------------------------------------------------------------------
// Capture device enumeration.

class IPropertyBag : public virtual IUnknown {
 public:
  // "FriendlyName" and the like; E_FAIL when the property is missing.
  virtual HRESULT Read(const QString& name, QString& value) = 0;
};

class IMoniker : public virtual IUnknown {
 public:
  virtual HRESULT BindToStorage(std::shared_ptr<IPropertyBag>& bag) = 0;
  // Opens the device and makes its capture filter.
  virtual HRESULT BindToObject(std::shared_ptr<IBaseFilter>& filter) = 0;
  // True when both name the same device.
  virtual bool IsEqual(const IMoniker& other) const = 0;
};

class IEnumMoniker : public virtual IUnknown {
 public:
  virtual HRESULT Reset() = 0;
  // The next moniker: S_OK, or S_FALSE at the end.
  virtual HRESULT Next(std::shared_ptr<IMoniker>& moniker) = 0;
};

class ICreateDevEnum : public virtual IUnknown {
 public:
  // S_OK with an enumerator, S_FALSE (and no enumerator) when the category is empty.
  virtual HRESULT CreateClassEnumerator(const GUID& category, std::shared_ptr<IEnumMoniker>& enumerator) = 0;
};
