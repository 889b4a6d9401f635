#pragma once
// What the release tool reports for input it cannot publish: the text names the file or option and
// says what to change. Nothing has been written to the release folder when it is thrown.
#include <stdexcept>

namespace quillan::release {

class ReleaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace quillan::release
