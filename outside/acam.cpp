#include "outside/acam.h"

#include <mutex>

#include "outside/alc_backend.h"

namespace {

// The library's own process-wide state, as a loaded library keeps it: the installed
// backend and the depth of the open brackets. One mutex serialises every call, so a
// backend never sees two calls at once.
struct LibraryState {
  std::mutex mutex;
  std::shared_ptr<alc::Backend> backend;
  int depth = 0;
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

// The backend for a call inside a bracket; null outside any bracket or without one.
alc::Backend* OpenBackend(const LibraryState& state) { return state.depth > 0 ? state.backend.get() : nullptr; }

}  // namespace

namespace alc {

std::shared_ptr<Backend> InstallBackend(std::shared_ptr<Backend> backend) {
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  if (backend == state.backend) return backend;
  // Installing inside an open bracket is a caller's mistake; keep every backend's
  // Open and Close balanced anyway, so the old one still puts its writes on disk and
  // the coming ALC_UnInitialize calls close the new one as often as it was opened.
  for (int i = 0; i < state.depth && state.backend; ++i) state.backend->Close();
  for (int i = 0; i < state.depth && backend; ++i) backend->Open();
  std::shared_ptr<Backend> previous = std::move(state.backend);
  state.backend = std::move(backend);
  return previous;
}

std::shared_ptr<Backend> InstalledBackend() {
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  return state.backend;
}

int BracketDepth() {
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  return state.depth;
}

}  // namespace alc

extern "C" {

unsigned char ALC_Initialize(void) {
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  ++state.depth;
  if (!state.backend) return 0;
  state.backend->Open();
  return 1;
}

void ALC_UnInitialize(void) {
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  if (state.depth == 0) return;
  if (state.backend) state.backend->Close();
  --state.depth;
}

unsigned char ALC_GetPIDVID(unsigned short* first, unsigned short* second) {
  if (!first || !second) return 0;
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  alc::Backend* backend = OpenBackend(state);
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  if (!backend || !backend->GetPidVid(vendorId, productId)) return 0;
  *first = vendorId;
  *second = productId;
  return 1;
}

unsigned char ALC_ReadFlash(unsigned int address, unsigned int count, unsigned char* dest) {
  if (!dest) return 0;
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  alc::Backend* backend = OpenBackend(state);
  if (!backend) return 0;
  for (unsigned int i = 0; i < count; ++i) {
    // An address past the end of the 32-bit range is no flash address.
    if (address + i < address) return 0;
    std::uint8_t value = 0;
    if (!backend->ReadFlash(address + i, value)) return 0;
    dest[i] = value;
  }
  return 1;
}

unsigned char ALC_WriteFlash(unsigned int address, unsigned int count, const unsigned char* src) {
  if (!src) return 0;
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  alc::Backend* backend = OpenBackend(state);
  if (!backend) return 0;
  for (unsigned int i = 0; i < count; ++i) {
    if (address + i < address) return 0;
    if (!backend->WriteFlash(address + i, src[i])) return 0;
  }
  return 1;
}

unsigned char ALC_SetFlashSize(unsigned int size) {
  LibraryState& state = State();
  std::lock_guard lock(state.mutex);
  alc::Backend* backend = OpenBackend(state);
  return backend && backend->SetFlashSize(size) ? 1 : 0;
}

}  // extern "C"
