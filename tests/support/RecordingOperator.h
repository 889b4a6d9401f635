#pragma once
// The operator of the tests: answers are queued ahead (then `answer` for every further question),
// and every information box and question is kept in order with the answer it got.
#include "base/Operator.h"

#include <deque>
#include <string>
#include <vector>

namespace quillan::test {

class RecordingOperator : public Operator {
public:
    struct Asked {
        Question question;
        std::string text;
        bool okCancel;
        bool answer;
    };

    std::deque<bool> answers;          // consumed front first
    bool answer = false;               // once the queue is empty: the safe answer (No, Cancel)
    std::vector<std::string> informed; // texts of the information boxes, in order
    std::vector<Asked> asked;          // every question, in order, with the answer given
    bool someoneThere = true;          // attended(): false plays an unattended run

    bool attended() const override { return someoneThere; }

    void inform(const std::string& text) override { informed.push_back(text); }
    bool askYesNo(Question q, const std::string& text) override { return next(q, text, false); }
    bool askOkCancel(Question q, const std::string& text) override { return next(q, text, true); }

    std::vector<std::string> askedTexts() const {
        std::vector<std::string> texts;
        for (const auto& a : asked)
            texts.push_back(a.text);
        return texts;
    }

private:
    bool next(Question q, const std::string& text, bool okCancel) {
        bool a = answer;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        asked.push_back({q, text, okCancel, a});
        return a;
    }
};

} // namespace quillan::test
