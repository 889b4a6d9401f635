#pragma once
// An operator for tests: answers are queued ahead, every box and question is recorded.
#include "base/Operator.h"

#include <deque>
#include <string>
#include <vector>

namespace quillan {

class QueueOperator : public Operator {
public:
    struct Asked {
        Question question;
        std::string text;
        bool okCancel;
        bool answer;
    };

    std::deque<bool> answers;          // consumed front first; an empty queue answers No / Cancel
    std::vector<std::string> informed; // texts of the information boxes, in order
    std::vector<Asked> asked;          // every question, in order, with the answer given

    void inform(const std::string& text) override { informed.push_back(text); }
    bool askYesNo(Question q, const std::string& text) override { return next(q, text, false); }
    bool askOkCancel(Question q, const std::string& text) override { return next(q, text, true); }

private:
    bool next(Question q, const std::string& text, bool okCancel) {
        bool a = false;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        asked.push_back({q, text, okCancel, a});
        return a;
    }
};

} // namespace quillan
