#pragma once
// The operator's decision points as modal message boxes titled "Quillan". A box stops the run until
// it is answered; the window's event loop keeps running underneath it.
#include "base/Operator.h"

#include <QPointer>
#include <QWidget>

namespace quillan::ui {

class QtOperator : public Operator {
public:
    explicit QtOperator(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void inform(const std::string& text) override;
    bool askYesNo(Question q, const std::string& text) override;
    bool askOkCancel(Question q, const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace quillan::ui
