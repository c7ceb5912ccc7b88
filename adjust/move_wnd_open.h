// Opening the pan and zoom window over the capture session: what the main window's Move
// command and the camera's return call.
#pragma once

#include <functional>
#include <memory>

#include "adjust/move_wnd.h"

class CaptureSession;
class QWidget;
class UserFiles;

// The session's pictures as the pan window reads them: each pointer (with the frame
// size) taken under the frame lock, nothing else done there.
MoveWndPictures MoveWndPicturesOf(const CaptureSession& session);

// Opens the pan window anew. Unless the camera runs (a frame picture and a capture
// source exist) nothing happens and the result is false. Otherwise the window held in
// `window` is destroyed, a new one is made over the session's view and overlay
// settings with `owner` (the main window) as its owner, takes its state from them, is
// shown and laid out beside the owner; true. buildOverlay rebuilds the live view's
// overlay; texts outlive the window.
bool OpenMoveWnd(std::unique_ptr<CMoveWnd>& window, CaptureSession& session, const UserFiles& texts, QWidget* owner,
                 std::function<void()> buildOverlay);
