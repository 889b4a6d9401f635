#include "console/Commands.h"

#include "platform/SystemInfo.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>

namespace quillan {

bool Form_KeyDown(Console& c, int& keyCode, int& shift) {
    try {
        if (keyCode != kKeyF4)
            return false;
        keyCode = 0;
        shift = 0;
        return true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In Form_KeyDown");
        return false;
    }
}

void Form_Unload(Console& c) {
    c.conn.reset();
}

bool CmdExit_Click(Console& c) {
    try {
        Form_Unload(c);
        return true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In CmdExit_Click");
        return false;
    }
}

bool CmdViewLog_Click(Console& c) {
    try {
        if (c.state.errLogPath.empty())
            throw std::runtime_error("The run log has not been opened yet");
        const auto file = c.native(c.state.errLogPath);
        // A viewer that cannot open the file reports it itself; only a missing viewer is ours.
        if (!openWithAssociatedProgram(file))
            throw std::runtime_error("No program could be started to open " + file.string());
        return true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In CmdViewLog_Click");
        return false;
    }
}

int twipsToUnits(int twips, double unitsPerTwip) {
    return static_cast<int>(std::lround(twips * unitsPerTwip));
}

WindowGeometry recentre(int width, int height, int screenWidth, int screenHeight) {
    WindowGeometry g;
    g.width = width;
    g.height = height;
    g.left = std::max(0, screenWidth / 2 - width / 2);
    g.top = std::max(0, screenHeight / 2 - height / 2);
    return g;
}

namespace {

std::optional<WindowGeometry> fold(Console& c, const WindowMetrics& m, bool unfold, const char* suffix) {
    try {
        const int height = twipsToUnits(unfold ? kUnfoldedTwips : kFoldedTwips, m.unitsPerTwip);
        c.model.setButton(Button::CmdUp, c.model.buttonEnabled(Button::CmdUp), unfold);
        c.model.setButton(Button::CmdDown, c.model.buttonEnabled(Button::CmdDown), !unfold);
        c.model.processEvents();
        return recentre(m.windowWidth, height, m.screenWidth, m.screenHeight);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + suffix);
        return std::nullopt;
    }
}

} // namespace

std::optional<WindowGeometry> CmdDown_Click(Console& c, const WindowMetrics& m) {
    return fold(c, m, true, " In CmdDown_Click");
}

std::optional<WindowGeometry> CmdUp_Click(Console& c, const WindowMetrics& m) {
    return fold(c, m, false, " In CmdUp_Click");
}

} // namespace quillan
