#include "base/Console.h"

namespace quillan {

Console::Console(std::filesystem::path programFolder, Operator& oper)
    : op(oper), paths(PathMap::forProgramFolder(programFolder)), programFolder_(std::move(programFolder)) {
    state.appPath = paths.toWindows(programFolder_);
}

std::filesystem::path Console::native(std::string_view windowsPath) const {
    return resolveCase(paths.toNative(windowsPath));
}

} // namespace quillan
