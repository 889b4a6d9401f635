#pragma once
// Percent-encoding of the texts that go into a URL as they are: a file name at the end of an
// address, a value in a query. Only what a URL cannot carry there is encoded, so an ordinary name
// or code travels exactly as it is written.
#include <string>
#include <string_view>

namespace quillan::transfer {

// `url` with the text after its last "/" (a file name) encoded for a path segment: blanks, "#",
// "%", "?", non-ASCII bytes, control characters and everything else a segment cannot hold become
// "%XX" ("http://h/d/Pkg Two.zip" -> "http://h/d/Pkg%20Two.zip").
std::string withEncodedFileName(const std::string& url);

// A query value with blanks, "&", "#", "%", "+", non-ASCII bytes and control characters encoded
// ("A B&x=#1" -> "A%20B%26x=%231"); "D-001" stays "D-001".
std::string encodeQueryValue(std::string_view value);

} // namespace quillan::transfer
