#include "base/Console.h"

#include "base/Machine.h"

namespace quillan {

Console::Console(std::filesystem::path programFolder, Operator& oper)
    : Console(std::move(programFolder), oper, realMachine()) {}

Console::Console(std::filesystem::path programFolder, Operator& oper, Machine& machine)
    : op(oper), os(machine), paths(PathMap::forProgramFolder(programFolder)),
      programFolder_(std::move(programFolder)) {
    state.appPath = paths.toWindows(programFolder_);
}

std::filesystem::path Console::native(std::string_view windowsPath) const {
    return resolveCase(paths.toNative(windowsPath));
}

} // namespace quillan
