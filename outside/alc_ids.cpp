#include "outside/alc_ids.h"

QString AlcIdText(unsigned short id) { return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper(); }
