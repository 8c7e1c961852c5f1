#pragma once

#include <QString>
#include <QStringList>

// Debug mode is asked for by "--debug" as the first argument after the
// program's name (exactly, in this case), or else by the running model "debug".
// `arguments` is the command line as the application object keeps it, the
// program's name first.
bool debugModeRequested(const QStringList& arguments, const QString& runningModel);
