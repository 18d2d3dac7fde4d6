// Reading a commissioning sheet from a file as offices save them: UTF-8 with
// or without byte-order mark, UTF-16 with one, or GB18030; an encoding it
// cannot tell becomes a problem of the sheet that names it. Any thread.
#pragma once

#include "core/commission/CommissionSheet.h"

#include <QByteArray>
#include <QString>

// The file's bytes as UTF-8, or a BadEncoding problem.
bool sheetTextAsUtf8(const QByteArray& bytes, std::string* text, std::vector<CommissionProblem>* problems);

// Reads and checks the sheet in `path`. False, with the system's reason in
// `error`, only when the file cannot be read; what is wrong in it is in
// the sheet's problems.
bool readSheetFile(const QString& path, CommissionSheet* sheet, QString* error);
