#include "debuglinesoff.h"

#include <QLoggingCategory>
#include <QString>

DebugLinesOff::DebugLinesOff() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

DebugLinesOff::~DebugLinesOff() { QLoggingCategory::setFilterRules(QString()); }
