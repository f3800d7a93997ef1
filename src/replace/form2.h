#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

// Asks what a restore does with a file standing at the restored name. Only
// its two buttons change RestoreConflictChoice.
class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);

    QLabel *Label1;
    QRadioButton *Option1, *Option2;
    QPushButton *Command1, *Command2;

    // Shows the dialog modally (through the ModalDialog seam).
    static void showModal(QWidget *parent);

private:
    void 确定();
    void 取消();
};
