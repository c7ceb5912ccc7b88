// The camera's parameters as the program last read them from the camera or wrote them
// to it; the camera's flash keeps a copy of them.
#pragma once

// Camera parameters last read from or written to the camera.
struct CameraParams {
  int m_nBrightness = 0;
  int m_nContrast = 0;
  int m_nSaturation = 0;
  int m_nHue = 0;
  int m_nGamma = 0;
  int m_nSharpness = 0;
  int m_nWhiteBalance = 0;
  int m_nExposure = 0;
  int m_nGain = 0;
  bool m_bWhiteBalanceAuto = false;
  bool m_bExposureAuto = false;
  bool m_bGainAuto = false;
  int m_nPowerLineFreq = 0;  // 1 = 50 Hz, 2 = 60 Hz; anything else counts as 60 Hz
};
