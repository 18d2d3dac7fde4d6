// What the window and the command line say when a text is not a search
// range, in the user's language. Any thread.
#pragma once

#include "core/search/SearchRange.h"

#include <QString>

QString searchRangeFaultText(SearchRangeFault fault, const QString& text);
