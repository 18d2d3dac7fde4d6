// The plain modal message box without owner window: no icon, one OK button.
// User-interface thread.
#pragma once

class QString;

// Returns when the user has pressed OK.
void showPlainMessageBox(const QString& caption, const QString& text);
