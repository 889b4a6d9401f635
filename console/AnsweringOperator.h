#pragma once
// Answers given ahead (command line) in front of another operator: a question with an answer is
// answered at once (and the run log says so); any other question and every information box go to
// the operator behind it. The window uses it to honour --answer.
#include "base/Operator.h"
#include "console/Answers.h"

namespace quillan {

class RunLog;

class AnsweringOperator : public Operator {
public:
    AnsweringOperator(Answers answers, Operator& behind) : answers_(std::move(answers)), behind_(behind) {}
    void setLog(RunLog* log) { log_ = log; }

    void inform(const std::string& text) override { behind_.inform(text); }
    bool askYesNo(Question q, const std::string& text) override;
    bool askOkCancel(Question q, const std::string& text) override;
    bool attended() const override { return behind_.attended(); }

private:
    bool given(Question q, const std::string& text, bool okCancel, bool& answer);

    Answers answers_;
    Operator& behind_;
    RunLog* log_ = nullptr;
};

} // namespace quillan
