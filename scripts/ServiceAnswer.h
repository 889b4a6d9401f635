#pragma once
// Reading the deploy web service's answer to a list request: whether it is a SOAP fault, and the
// script names it lists. The answer comes from a server, so any text must give an answer here.
#include <string>
#include <vector>

namespace quillan {

// True when the document is a SOAP envelope whose body holds a Fault.
bool isSoapFault(const std::string& answer);

// The document's text, as the XML document object gives it: every text node in document order,
// white space around the whole trimmed. A text that is not well-formed XML gives "".
std::string documentText(const std::string& answer);

// The names of a list text ("a.xml,b.xml"), split at each ",", empty names kept.
std::vector<std::string> splitList(const std::string& list);

} // namespace quillan
