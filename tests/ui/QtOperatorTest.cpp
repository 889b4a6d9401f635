// The operator's message boxes: title "Quillan", the text as given, and the answer the button means.
#include "ui/QtOperator.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace quillan::uitest {
namespace {

struct SeenBox {
    QString title, text;
};

// Answers the next message box with `button` (or Esc when NoButton) and records what it showed.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&seen, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = {box->windowTitle(), box->text()};
        if (button == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(button)->click();
    });
}

TEST(QtOperator, BoxesShowTheTextAndAnswerAsTheOperatorChose) {
    app();
    ui::QtOperator op;
    SeenBox seen;

    answerNextBox(seen, QMessageBox::Ok);
    op.inform("Updates Completed successfully");
    EXPECT_EQ(seen.title, "Quillan");
    EXPECT_EQ(seen.text, "Updates Completed successfully");

    answerNextBox(seen, QMessageBox::No);
    EXPECT_FALSE(op.askYesNo(Question::Continue, "Do you want to continue?"));
    EXPECT_EQ(seen.text, "Do you want to continue?");
    answerNextBox(seen, QMessageBox::Yes);
    EXPECT_TRUE(op.askYesNo(Question::Close, "Close Tervik.exe?"));

    answerNextBox(seen, QMessageBox::Ok);
    EXPECT_TRUE(op.askOkCancel(Question::Notice, "Notice"));
    answerNextBox(seen, QMessageBox::Cancel);
    EXPECT_FALSE(op.askOkCancel(Question::Notice, "Notice"));
    answerNextBox(seen, QMessageBox::NoButton); // Esc is no consent
    EXPECT_FALSE(op.askOkCancel(Question::Notice, "Notice"));
}

} // namespace
} // namespace quillan::uitest
