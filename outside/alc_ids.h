// How the camera-control library's ids are written where they are compared with the
// VID_ and PID_ fields of USB instance ids.
#pragma once

#include <QString>

// Four upper-case hexadecimal digits with leading zeros: 0x9ABC gives "9ABC", 0x1 "0001".
QString AlcIdText(unsigned short id);
