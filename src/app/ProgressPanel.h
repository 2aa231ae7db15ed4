#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The run and what it says: the conversion's progress, Full Auto with its log; and, placed by
// the window, what the last tool printed and the line that keeps how the last run ended (where
// the new video is, or why there is none) until the next one.
class ProgressPanel : public QWidget {
    Q_OBJECT
public:
    explicit ProgressPanel(QWidget* parent = nullptr);

    // The run made `video`; "Play" and "Open folder" reach it.
    void showResult(const QString& video);
    // The run failed, and why.
    void showFailure(const QString& reason);
    // A new run begins: the last one's line goes.
    void clearResult();
    // The video the line names; empty when it names none.
    const QString& result() const { return m_result; }

    QPlainTextEdit* txtOut; // placed by the window
    QLabel* Label9;
    QListWidget* lstAI;
    QPushButton* Command1;
    QCheckBox* chkKeepOriginal; // the original voice as a second track
    QListWidget* listAuto;
    QLabel* lblResult;
    QPushButton* cmdPlay;
    QPushButton* cmdOpenFolder;
    QWidget* resultLine; // lblResult, cmdPlay and cmdOpenFolder; placed by the window

private:
    QString m_result;
};
