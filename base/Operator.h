#pragma once
// The operator's few decision points. The window answers with modal message boxes, the terminal
// with a prompt, an unattended run with answers given on the command line; tests queue answers.
#include <string>

namespace quillan {

// Which question is asked; the command line names them notice, server, continue, close.
enum class Question { Notice, Server, Continue, Close, Other };

class Operator {
public:
    virtual ~Operator() = default;
    // Information box (title "Quillan"): the operator can only acknowledge it.
    virtual void inform(const std::string& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(Question q, const std::string& text) = 0;
    // OK/Cancel question; true for OK.
    virtual bool askOkCancel(Question q, const std::string& text) = 0;
    // Whether someone reads the boxes and can act on them (close a program they name). False for an
    // unattended run: a phase that waits for the operator then gives up after a bounded time.
    virtual bool attended() const { return true; }
};

const char* questionKey(Question q); // "notice", "server", "continue", "close", "other"

} // namespace quillan
