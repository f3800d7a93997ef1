#pragma once
#include <QDialog>

class QCheckBox;
class QPushButton;

// The options dialog: the one user option, whether a replacement keeps a
// backup of each overwritten file.
class fOption : public QDialog {
    Q_OBJECT
public:
    explicit fOption(QWidget *parent = nullptr);

    QCheckBox *Check1;
    QPushButton *Command1, *Command2;

    // Shows the dialog modally (through the ModalDialog seam).
    static void showModal(QWidget *parent);

private:
    void 确定();
};

// The usage help: five instructions, each followed by a blank line.
QString UsageHelpText();
void ShowUsageHelp(QWidget *parent);
