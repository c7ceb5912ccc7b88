// Every window text of the program: its language-file section, key and built-in
// Chinese default, in one table. A translator edits the language file; the defaults
// here are what a fresh Chinese file is filled with, and what any file gets for a key
// it lacks. English and Japanese start from their shipped files (texts/languages/),
// which hold every key of this table. "　" in some defaults is U+3000.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// One lookup: section, key and default text (UTF-8).
struct UiTextKey {
  const char* section;
  const char* key;
  const char8_t* defaultText;
};

enum class Txt {
  Main_MainCaption,
  Main_FILEPATH,
  Main_EXIT,
  Main_OPEN,
  Main_PLAY,
  Main_STOP,
  Main_SNAP,
  Main_RECORD,
  Main_HMIRROR,
  Main_VMIRROR,
  Main_REMIRROR,
  Main_ZOOMIN,
  Main_ZOOMOUT,
  Main_REZOOM,
  Main_RESOLUTION,
  Main_FREQUENCY,
  Main_PERPROTY,
  Main_AUTOEXPOSURE,
  Main_MANUALEXPOSURE,
  Main_FOLDERTIPS,
  Main_FOLDER,
  Main_SAVEPARAM,
  Main_RESTORE,
  Main_MOVE,
  Main_VERSION,
  Main_STARTTIME,
  Main_STOREINFO,
  Main_RESTOREINFO,
  Main_TIMELEN,
  Menu_FILE,
  Menu_SETTING,
  Menu_CONTROL,
  Menu_ZOOM,
  Menu_MIRROR,
  Menu_ABOUT,
  Menu_CHINESE,
  Menu_ENGLISH,
  Menu_JAPANESE,
  Menu_LAN,
  Pro_MainCaption,
  Pro_BRIGHT,
  Pro_CONTRAST,
  Pro_HUE,
  Pro_SAT,
  Pro_SHARP,
  Pro_GAMMA,
  Pro_WB,
  Pro_EXPOSURE,
  Pro_AUTO,
  Pro_GAIN,
  Pro_DEFAULT,
  Pro_APPLY,
  Pro_OK,
  Pro_CANCEL,
  Mask_MASKFRAME,
  Mask_MASKENABLE,
  Mask_MASKZOOMIN,
  Mask_MASKZOOMOUT,
  Mask_CROSSFRAME,
  Mask_CROSSENABLE,
  Mask_CROSSZOOMIN,
  Mask_CROSSZOOMOUT,
  Move_MainCaption,
  Move_MOVEFRAME,
  Move_UPDOWN,
  Move_LEFTRIGHT,
  Move_MASKRESET,
  Move_ZOOMFRAME,
  Move_FACTOR,
  Move_ZOOMIN,
  Move_ZOOMOUT,
  Move_FACTORRESET,
  About_MainCaption,
  About_SOFTNAME,
  About_CPYRIGHT,
  About_LAN,
  Msg_NOSUPPORT,
  Msg_NOSUPPORT_CONFIG,
  Msg_NOHARDWARE,
  Msg_SETSOURCEERR,
  Msg_NOCREATEGRABBER,
  Msg_NOFINDINTERFACE,
  Msg_NOCREATERENDER,
  Msg_NORENDER,
  Msg_NOSOURCE,
  Msg_NOCREATESOURCE,
  Msg_NOOPENSOURCE,
  Msg_NOPREVIEW,
  Msg_CONNOTPREVIEW,
  Msg_NOSTOPPREVIEW,
  Msg_NOVIDEO,
  Msg_SNAPFAILED,
  Msg_STALLED,
  Msg_STOREFAILED,
  Msg_RESTOREFAILED,
  Count
};

// NOSUPPORT has two defaults: the camera search writes the first, the capture graph's
// missing stream configuration the second; whichever runs first fills the file.
inline constexpr std::array<UiTextKey, static_cast<int>(Txt::Count)> kUiTextTable = {{
    {"MainWnd", "MainCaption", u8"Tavio 2016-2026"},  // Main_MainCaption
    {"MainWnd", "FILEPATH", u8"设置文件保存路径"},  // Main_FILEPATH
    {"MainWnd", "EXIT", u8"退出"},  // Main_EXIT
    {"MainWnd", "OPEN", u8"启动相机"},  // Main_OPEN
    {"MainWnd", "PLAY", u8"播放"},  // Main_PLAY
    {"MainWnd", "STOP", u8"静止"},  // Main_STOP
    {"MainWnd", "SNAP", u8"拍照"},  // Main_SNAP
    {"MainWnd", "RECORD", u8"录像"},  // Main_RECORD
    {"MainWnd", "HMIRROR", u8"水平镜像"},  // Main_HMIRROR
    {"MainWnd", "VMIRROR", u8"垂直镜像"},  // Main_VMIRROR
    {"MainWnd", "REMIRROR", u8"重置镜像"},  // Main_REMIRROR
    {"MainWnd", "ZOOMIN", u8"放大"},  // Main_ZOOMIN
    {"MainWnd", "ZOOMOUT", u8"缩小"},  // Main_ZOOMOUT
    {"MainWnd", "REZOOM", u8"重置缩放"},  // Main_REZOOM
    {"MainWnd", "RESOLUTION", u8"分辨率"},  // Main_RESOLUTION
    {"MainWnd", "FREQUENCY", u8"电源频率"},  // Main_FREQUENCY
    {"MainWnd", "PERPROTY", u8"相机属性"},  // Main_PERPROTY
    {"MainWnd", "AUTOEXPOSURE", u8"自动曝光"},  // Main_AUTOEXPOSURE
    {"MainWnd", "MANUALEXPOSURE", u8"手动曝光"},  // Main_MANUALEXPOSURE
    {"MainWnd", "FOLDERTIPS", u8"请先设置工作目录1"},  // Main_FOLDERTIPS
    {"MainWnd", "FOLDER", u8"设置工作目录1"},  // Main_FOLDER
    {"MainWnd", "SAVEPARAM", u8"保存参数"},  // Main_SAVEPARAM
    {"MainWnd", "RESTORE", u8"恢复参数"},  // Main_RESTORE
    {"MainWnd", "MOVE", u8"平移缩放"},  // Main_MOVE
    {"MainWnd", "VERSION", u8"软件"},  // Main_VERSION
    {"MainWnd", "STARTTIME", u8"开始时间"},  // Main_STARTTIME
    {"MainWnd", "STOREINFO", u8"保存参数成功"},  // Main_STOREINFO
    {"MainWnd", "RESTOREINFO", u8"参数恢复成功"},  // Main_RESTOREINFO
    {"MainWnd", "TIMELEN", u8"时长"},  // Main_TIMELEN
    {"Menu", "FILE", u8"文件"},  // Menu_FILE
    {"Menu", "SETTING", u8"设置"},  // Menu_SETTING
    {"Menu", "CONTROL", u8"控制"},  // Menu_CONTROL
    {"Menu", "ZOOM", u8"缩放"},  // Menu_ZOOM
    {"Menu", "MIRROR", u8"镜像"},  // Menu_MIRROR
    {"Menu", "ABOUT", u8"关于"},  // Menu_ABOUT
    {"MENU", "CHINESE", u8"中文"},  // Menu_CHINESE
    {"MENU", "ENGLISH", u8"英文"},  // Menu_ENGLISH
    {"MENU", "JAPANESE", u8"日文"},  // Menu_JAPANESE
    {"MENU", "LAN", u8"语言"},  // Menu_LAN
    {"CameraProWnd", "MainCaption", u8"相机属性"},  // Pro_MainCaption
    {"CameraProWnd", "BRIGHT", u8"亮度"},  // Pro_BRIGHT
    {"CameraProWnd", "CONTRAST", u8"对比度"},  // Pro_CONTRAST
    {"CameraProWnd", "HUE", u8"色调"},  // Pro_HUE
    {"CameraProWnd", "SAT", u8"饱和度"},  // Pro_SAT
    {"CameraProWnd", "SHARP", u8"清晰度"},  // Pro_SHARP
    {"CameraProWnd", "GAMMA", u8"伽玛"},  // Pro_GAMMA
    {"CameraProWnd", "WB", u8"白平衡"},  // Pro_WB
    {"CameraProWnd", "EXPOSURE", u8"曝光"},  // Pro_EXPOSURE
    {"CameraProWnd", "AUTO", u8"自动"},  // Pro_AUTO
    {"CameraProWnd", "GAIN", u8"增益"},  // Pro_GAIN
    {"CameraProWnd", "DEFAULT", u8"默认值"},  // Pro_DEFAULT
    {"CameraProWnd", "APPLY", u8"应用"},  // Pro_APPLY
    {"CameraProWnd", "OK", u8"确定"},  // Pro_OK
    {"CameraProWnd", "CANCEL", u8"取消"},  // Pro_CANCEL
    {"MaskWnd", "MASKFRAME", u8"边缘罩控制"},  // Mask_MASKFRAME
    {"MaskWnd", "MASKENABLE", u8"边缘罩　开启"},  // Mask_MASKENABLE
    {"MaskWnd", "MASKZOOMIN", u8"大"},  // Mask_MASKZOOMIN
    {"MaskWnd", "MASKZOOMOUT", u8"小"},  // Mask_MASKZOOMOUT
    {"MaskWnd", "CROSSFRAME", u8"准星控制"},  // Mask_CROSSFRAME
    {"MaskWnd", "CROSSENABLE", u8"准星　开启"},  // Mask_CROSSENABLE
    {"MaskWnd", "CROSSZOOMIN", u8"大"},  // Mask_CROSSZOOMIN
    {"MaskWnd", "CROSSZOOMOUT", u8"小"},  // Mask_CROSSZOOMOUT
    {"MoveWnd", "MainCaption", u8"工厂设置"},  // Move_MainCaption
    {"MoveWnd", "MOVEFRAME", u8"平移"},  // Move_MOVEFRAME
    {"MoveWnd", "UPDOWN", u8"上下移动"},  // Move_UPDOWN
    {"MoveWnd", "LEFTRIGHT", u8"左右移动"},  // Move_LEFTRIGHT
    {"MoveWnd", "MASKRESET", u8"重置"},  // Move_MASKRESET
    {"MoveWnd", "ZOOMFRAME", u8"缩放"},  // Move_ZOOMFRAME
    {"MoveWnd", "FACTOR", u8"比例"},  // Move_FACTOR
    {"MoveWnd", "ZOOMIN", u8"放大"},  // Move_ZOOMIN
    {"MoveWnd", "ZOOMOUT", u8"缩小"},  // Move_ZOOMOUT
    {"MoveWnd", "FACTORRESET", u8"重置"},  // Move_FACTORRESET
    {"AboutWnd", "MainCaption", u8"关于软件"},  // About_MainCaption
    {"AboutWnd", "SOFTNAME", u8"Vistrel　V1.0版"},  // About_SOFTNAME
    {"AboutWnd", "CPYRIGHT", u8"Copyright © 2016-2026 Tavio. All rights reserved."},  // About_CPYRIGHT
    {"AboutWnd", "LAN", u8"语言"},  // About_LAN
    {"WndMessage", "NOSUPPORT", u8"没有找到支持的硬件设备"},  // Msg_NOSUPPORT
    {"WndMessage", "NOSUPPORT", u8"没有找到VCapture:IAMStreamConfig接口"},  // Msg_NOSUPPORT_CONFIG
    {"WndMessage", "NOHARDWARE", u8"没有找到硬件设备"},  // Msg_NOHARDWARE
    {"WndMessage", "SETSOURCEERR", u8"错误：设置视频源组件失败！"},  // Msg_SETSOURCEERR
    {"WndMessage", "NOCREATEGRABBER", u8"错误：创建采集组件失败！"},  // Msg_NOCREATEGRABBER
    {"WndMessage", "NOFINDINTERFACE", u8"错误：采集组件找不到该接口！"},  // Msg_NOFINDINTERFACE
    {"WndMessage", "NOCREATERENDER", u8"错误：创建渲染组件失败！"},  // Msg_NOCREATERENDER
    {"WndMessage", "NORENDER", u8"错误：添加渲染组件失败！"},  // Msg_NORENDER
    {"WndMessage", "NOSOURCE", u8"错误：添加视频源组件失败！"},  // Msg_NOSOURCE
    {"WndMessage", "NOCREATESOURCE", u8"错误：创建视频源组件失败！"},  // Msg_NOCREATESOURCE
    {"WndMessage", "NOOPENSOURCE", u8"错误：不能打开视频源！"},  // Msg_NOOPENSOURCE
    {"WndMessage", "NOPREVIEW", u8"不能预览!"},  // Msg_NOPREVIEW
    {"WndMessage", "CONNOTPREVIEW", u8"不可以预览图像"},  // Msg_CONNOTPREVIEW
    {"WndMessage", "NOSTOPPREVIEW", u8"不能停止预览"},  // Msg_NOSTOPPREVIEW
    {"WndMessage", "NOVIDEO", u8"视频创建失败"},  // Msg_NOVIDEO
    {"WndMessage", "SNAPFAILED", u8"拍照保存失败"},  // Msg_SNAPFAILED: shown when a snapshot could not be written
    {"WndMessage", "STALLED", u8"相机没有图像输出，已停止"},  // Msg_STALLED: the camera sent no frame through its restarts
    {"WndMessage", "STOREFAILED", u8"保存参数失败"},  // Msg_STOREFAILED: Save could not write the camera's flash
    {"WndMessage", "RESTOREFAILED", u8"参数恢复失败"},  // Msg_RESTOREFAILED: Restore could not write the camera's flash
}};

inline const UiTextKey& TextKeyOf(Txt t) { return kUiTextTable[static_cast<int>(t)]; }
inline QString DefaultTextOf(Txt t) {
  return QString::fromUtf8(reinterpret_cast<const char*>(TextKeyOf(t).defaultText));
}

// Looks the text up in the language file at lngPath (the default when the file,
// section or key is missing, cut to 259 characters) and writes the value read back
// into the same place, so a fresh file fills with the defaults as texts are used. A
// missing file of a language that comes with the program (shipped_languages.h) is
// first written from the shipped one.
QString UiText(const QString& lngPath, const QString& section, const QString& key, const QString& defaultText);
QString UiText(const QString& lngPath, Txt text);
// The same on a language file's content in memory, which gains the text it lacked.
QString UiTextIn(QByteArray& content, Txt text);
