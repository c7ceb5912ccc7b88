// The capture graph and its state.
#pragma once

#include <QString>

#include <memory>

#include "platform/graph/interfaces.h"

struct CaptureGraphState {
  static constexpr int kMaxDeviceName = 119;  // characters kept of the camera's name

  std::shared_ptr<IMoniker> m_pMoniker;
  std::shared_ptr<ICaptureGraphBuilder2> m_pCaptureBuilder;
  std::shared_ptr<IGraphBuilder> m_pGraph;
  std::shared_ptr<IBaseFilter> m_pSourceFilter;
  std::shared_ptr<IBaseFilter> m_pGrabberFilter;
  std::shared_ptr<IBaseFilter> m_pNullRenderer;
  std::shared_ptr<IBaseFilter> m_pStillGrabber;
  std::shared_ptr<IBaseFilter> m_pNullRenderer2;
  std::shared_ptr<IAMStreamConfig> m_pStreamConfig;
  QString m_szDeviceName;
  bool m_bGraphConnected = false;
  bool m_bPreviewing = false;
  bool m_bPreviewWanted = true;
  int m_nFormatIndex = 0;
  bool m_bFormatMjpg = false;
  int m_nYuvFormatCount = 0;
};
