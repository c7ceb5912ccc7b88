// Command ids of the menu items and toolbar buttons; every command goes through the
// main window's dispatcher by these ids.
#pragma once

namespace cmd {

constexpr int IDM_ABOUTBOX = 16;  // About in the window's context menu
constexpr int ID_PROPERTY = 32780;
constexpr int ID_SNAP = 32781;
constexpr int ID_RECORD = 32782;
constexpr int ID_FILEPATH = 32784;
constexpr int ID_PLAY = 32786;
constexpr int ID_VMIRROR = 32789;
constexpr int ID_HMIRROR = 32790;
constexpr int ID_ZOOMIN = 32791;
constexpr int ID_ZOOMOUT = 32792;
constexpr int ID_MOVE = 32795;
constexpr int ID_VERSION = 32800;
constexpr int ID_EXIT = 32804;
constexpr int ID_SAVEPARAM = 32810;
constexpr int ID_RESTORE = 32811;
constexpr int ID_REZOOM = 32818;
constexpr int ID_REMIRROR = 32821;
constexpr int ID_CHINESE = 32824;
constexpr int ID_ENGLISH = 32825;
constexpr int ID_JAPANESE = 32826;
constexpr int ID_50HZ = 32835;
constexpr int ID_60HZ = 32836;
constexpr int ID_640X480 = 32841;

// Resolution items: YUV (or the flat list) 40018 + k, MJPG 40056 + k; the commands
// act on the first eight of each.
constexpr int ID_YUV_FIRST = 40018;
constexpr int ID_MJPG_FIRST = 40056;
constexpr int kResolutionCommands = 8;

constexpr bool IsYuvResolution(int id) { return id >= ID_YUV_FIRST && id < ID_YUV_FIRST + kResolutionCommands; }
constexpr bool IsMjpgResolution(int id) { return id >= ID_MJPG_FIRST && id < ID_MJPG_FIRST + kResolutionCommands; }

}  // namespace cmd
