// What the FTP phase reads from the server and the settings: the server setting ("ftp://host:port/"),
// a listing entry's name (the text before the TAB) checked before it becomes a local file name,
// the name matched against the download pattern, and the size shown in the listing.
#include "FuzzSupport.h"
#include "transfer/ByteSizeText.h"
#include "transfer/FtpTypes.h"
#include "transfer/RemoteName.h"

using namespace quillan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    const std::string input = fuzz::text(data, size);

    transfer::FtpEndpoint ep = transfer::FtpEndpoint::parse(input, "user", "password");
    fuzz::require(ep.host.find('/') == std::string::npos, "the host holds no path", ep.host);

    const std::string name = input.substr(0, input.find('\t'));
    const std::string rest = input.size() > name.size() ? input.substr(name.size() + 1) : std::string();
    if (transfer::isSafeRemoteName(name))
        fuzz::require(name.find_first_of("/\\:") == std::string::npos && name != "." && name != "..",
                      "a safe name cannot leave its folder", name);
    transfer::wildcardMatch(rest, name);
    transfer::wildcardMatch(name, rest);

    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < size && i < 8; ++i)
        bytes = (bytes << 8) | data[i];
    fuzz::require(!transfer::byteSizeText(bytes).empty(), "every size has a text");
    return 0;
}
