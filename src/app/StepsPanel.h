#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// The five steps, each its command template (or, for the conversion, the interpreter) and its
// button, in the order they run, with the help on the templates' macros: the group "Commands",
// which folds away for those who only need Full Auto.
class StepsPanel : public QWidget {
    Q_OBJECT
public:
    explicit StepsPanel(QWidget* parent = nullptr);

    bool isOpen() const;
    void setOpen(bool open);
    void setMacroHelp(const QString& text);

    QToolButton* grpCommands; // folds and opens the group
    QLabel* Label2;
    QLineEdit* txtExtractCmd;
    QPushButton* Command2;
    QLabel* Label3;
    QLineEdit* txtSplit;
    QPushButton* Command3;
    QLabel* Label4;
    QLineEdit* txtPy;
    QPushButton* cmdConvert;
    QLabel* Label5;
    QLineEdit* txtConcat;
    QPushButton* Command4;
    QLabel* Label6;
    QLineEdit* txtIntegrate;
    QPushButton* Command5;
    QPlainTextEdit* txtMacros; // what the templates' macros stand for

signals:
    // Opened or folded by the user.
    void toggled(bool open);

private:
    QWidget* m_body;
    QLabel* m_summary;
    bool m_open = false;
};
