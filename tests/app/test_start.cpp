// Qt's own texts in Chinese, as every start applies them.
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(Start, QtsOwnButtonsSpeakChinese)
{
    // The look every start applies (the test main applies it too).
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
}
