#include "ui/QtOperator.h"

#include <QMessageBox>
#include <QString>

namespace quillan::ui {

namespace {

int ask(QWidget* parent, QMessageBox::Icon icon, const std::string& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QStringLiteral("Quillan"), QString::fromStdString(text), buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void QtOperator::inform(const std::string& text) {
    ask(parent_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtOperator::askYesNo(Question, const std::string& text) {
    return ask(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

bool QtOperator::askOkCancel(Question, const std::string& text) {
    // Closing the box without a choice (Esc, the window's close button) counts as Cancel.
    return ask(parent_, QMessageBox::Information, text, QMessageBox::Ok | QMessageBox::Cancel,
               QMessageBox::Ok) == QMessageBox::Ok;
}

} // namespace quillan::ui
