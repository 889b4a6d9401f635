// The deploy web service's answer to a list request, as the script download reads it: whether it
// is a SOAP fault, the document's text, and the names that text lists. Any answer gives a result.
#include "FuzzSupport.h"
#include "scripts/ServiceAnswer.h"

#include <cctype>

using namespace quillan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536)
        return 0;
    const std::string answer = fuzz::text(data, size);
    isSoapFault(answer);
    const std::string list = documentText(answer);
    auto blank = [](char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; };
    fuzz::require(list.empty() || (!blank(list.front()) && !blank(list.back())),
                  "the document's text is trimmed", list);
    const auto names = splitList(list);
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        fuzz::require(names[i].find(',') == std::string::npos, "a listed name holds no separator", names[i]);
        joined += (i > 0 ? "," : "") + names[i];
    }
    fuzz::require(joined == list, "the names put back together give the list", list);
    return 0;
}
