// Writing a whole file so that a failure cannot leave it cut short: into a
// temporary file beside it, renamed over it only when all is written. Used
// for every file the tool writes but the window's list export. Any thread.
#pragma once

#include <QByteArray>
#include <QString>

// False, with the system's reason in `error`, when `bytes` could not be
// written to `path`; an existing file is then left as it was.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error);

// Whether `path` can be written (its folder takes a new file and an
// existing file may be replaced); nothing is changed. False with the reason.
bool canWriteFile(const QString& path, QString* error);
