// How the program starts: Qt's own texts in Chinese, and the command line
// answered without a display.
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(Start, QtsOwnButtonsSpeakChinese)
{
    // The look every start applies (the test main applies it too).
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
}

TEST(Start, VersionNeedsNoDisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const auto run = [&](const QStringList &args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(SAMENAME_EXE), args);
        EXPECT_TRUE(p.waitForFinished(10000));
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    auto [code, out] = run({QStringLiteral("--version")});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, QStringLiteral("墨桐同名文件批量替换 1.6.620\n"));
    // Without a display the program names itself, not where it was built.
    std::tie(code, out) = run({});
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(out.startsWith(QStringLiteral("墨桐同名文件批量替换"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("build/"))) << out.toStdString();
}
