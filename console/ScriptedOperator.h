#pragma once
// The unattended operator: answers the decision points from the command line. A question it has
// no answer for gets the safe answer (No, Cancel), and that fact goes to the run log and to the
// output, so an unattended run never stalls and never hides a guess.
#include "base/Operator.h"
#include "console/Answers.h"

#include <optional>
#include <ostream>
#include <string>

namespace quillan {

class RunLog;

class ScriptedOperator : public Operator {
public:
    ScriptedOperator(Answers answers, std::ostream& out);

    // The run log that records answers taken by default; until set, only the output says so.
    void setLog(RunLog* log) { log_ = log; }

    void inform(const std::string& text) override;
    bool askYesNo(Question q, const std::string& text) override;
    bool askOkCancel(Question q, const std::string& text) override;
    bool attended() const override { return false; } // nobody reads the output while it runs

protected:
    // A question without a scripted answer. nullopt: take the safe answer.
    virtual std::optional<bool> askUnanswered(Question q, const std::string& text, bool okCancel);
    std::ostream& out() { return out_; }

private:
    bool ask(Question q, const std::string& text, bool okCancel);

    Answers answers_;
    std::ostream& out_;
    RunLog* log_ = nullptr;
};

// Prompts on the terminal for questions the command line leaves open (standard input is a
// terminal); the scripted answers still come first.
class TerminalOperator : public ScriptedOperator {
public:
    TerminalOperator(Answers answers, std::istream& in, std::ostream& out);
    bool attended() const override { return true; } // someone at the terminal answers

protected:
    std::optional<bool> askUnanswered(Question q, const std::string& text, bool okCancel) override;

private:
    std::istream& in_;
};

} // namespace quillan
