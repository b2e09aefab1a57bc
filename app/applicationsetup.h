#ifndef NIMBAL_APPLICATIONSETUP_H
#define NIMBAL_APPLICATIONSETUP_H

// The steps around the application object that every start of the window
// shares: the program itself, and the tools that open the same window.
namespace ApplicationSetup {

// Before the QApplication exists: high-DPI scaling (Qt 6 always scales).
void beforeApplication();

// After it exists and before any widget: the application font, "微软雅黑"
// at 8 points.
void applyFont();

} // namespace ApplicationSetup

#endif
