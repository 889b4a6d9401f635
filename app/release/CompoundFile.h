#pragma once
// The container of an Excel 97 workbook: a compound file (the structured storage of that era's
// documents) holding one stream. Written with libgsf, which lays out the sectors, the allocation
// tables and the directory, and keeps a stream under 4,096 bytes in the short-sector stream as the
// format asks.
#include <string>

namespace quillan::release {

// The bytes of a compound file whose root holds the stream `name` with `bytes`; no time stamps,
// so the same stream gives the same file. Throws std::runtime_error when libgsf fails.
std::string compoundFile(const std::string& name, const std::string& bytes);

} // namespace quillan::release
