#pragma once
// Deploy scripts that cannot be imported are set aside in "DEPLOY REFUSED" below the application
// folder, each with a text file saying why, so that they no longer stand in front of the scripts
// published after them: left in "DEPLOY IN", such a script was imported first by every run and
// stopped every run's import.
#include "base/Console.h"

#include <string>

namespace quillan {

// The folder of refused scripts ("C:\Tervik\DEPLOY REFUSED").
std::string refusedScriptFolder(const Console& c);

// Moves `fileName` from deployInFolder into the refused folder (replacing a script of the same
// name refused before), writes "<fileName>.reason.txt" beside it with `reason`, and logs both.
// Throws when the script cannot be moved: it then stays where it was.
void refuseScript(Console& c, const std::string& fileName, const std::string& reason);

} // namespace quillan
