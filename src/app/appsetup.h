#pragma once

class QApplication;

// The application's look and language, set once at start: the Fusion style,
// a CJK interface font, the GB2312 face names mapped to installed fonts, and
// Qt's own Chinese texts for standard buttons.
void SetUpApplication(QApplication &app);

// False (after saying so on stderr) when there is no display to show windows on.
bool HasDisplay(const char *program);
