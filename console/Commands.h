#pragma once
// The operator's commands on the main window: exit, view log, the window-closing key guard and the
// fold/unfold buttons. None of them starts or steers a run. Views call these and act on the answer.
#include "base/Console.h"

#include <optional>

namespace quillan {

constexpr int kKeyF4 = 115;

// Form_KeyDown: F4, with or without modifier keys (so Alt+F4 too), is swallowed: key code and shift
// state become 0. Answers true when the key was swallowed.
bool Form_KeyDown(Console& c, int& keyCode, int& shift);

// Form_Unload: releases the database connection. Nothing else is closed or written.
void Form_Unload(Console& c);

// CmdExit_Click: unloads the main window; answers true when the view must now close.
bool CmdExit_Click(Console& c);

// CmdViewLog_Click: opens the run log (errLogPath) with the program associated with it.
// Answers true when a viewer was started.
bool CmdViewLog_Click(Console& c);

// Main window heights in twips (1440 to the inch).
constexpr int kFoldedTwips = 3000;
constexpr int kUnfoldedTwips = 9285;

struct WindowGeometry {
    int left = 0, top = 0, width = 0, height = 0;
};

// What a view knows of its window and screen, in its own unit (pixels), and how many of its units
// make one twip.
struct WindowMetrics {
    int windowWidth = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    double unitsPerTwip = 1.0 / 15.0; // 96 dots per inch
};

// Height in view units for a twip height; the two heights keep their proportion.
int twipsToUnits(int twips, double unitsPerTwip);

// left = screen width / 2 - window width / 2, top likewise; a window taller or wider than the
// screen is kept at 0 so that its title bar stays reachable.
WindowGeometry recentre(int width, int height, int screenWidth, int screenHeight);

// CmdDown_Click (unfold: height 9285, CmdUp shown, CmdDown hidden) and CmdUp_Click (fold: height
// 3000, CmdUp hidden, CmdDown shown). Each answers the new geometry, recentred; errors are shown
// as description + " In CmdDown_Click" / " In CmdUp_Click" and answer nothing.
std::optional<WindowGeometry> CmdDown_Click(Console& c, const WindowMetrics& m);
std::optional<WindowGeometry> CmdUp_Click(Console& c, const WindowMetrics& m);

} // namespace quillan
