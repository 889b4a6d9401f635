#include "base/Operator.h"

namespace quillan {

const char* questionKey(Question q) {
    switch (q) {
    case Question::Notice:
        return "notice";
    case Question::Server:
        return "server";
    case Question::Continue:
        return "continue";
    case Question::Close:
        return "close";
    case Question::Other:
        break;
    }
    return "other";
}

} // namespace quillan
