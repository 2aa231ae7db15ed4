#pragma once

#include <QDialog>
#include <QStringList>

#include <optional>

class QCheckBox;
class QPushButton;
class QSpinBox;

// Before a run sends audio to the voice service: what it costs, and "Convert (about N
// credits)" or "Cancel". The user may have runs under a number of credits go without asking.
class CostDialog : public QDialog {
    Q_OBJECT
public:
    CostDialog(const QStringList& lines, qint64 credits, QWidget* parent = nullptr);

    // Where "Don't ask again" was ticked: the runs under this many go without the question.
    std::optional<qint64> askAbove() const;

    QPushButton* convertButton() const { return m_convert; }
    QCheckBox* dontAsk() const { return m_dontAsk; }
    QSpinBox* under() const { return m_under; }

private:
    QPushButton* m_convert;
    QCheckBox* m_dontAsk;
    QSpinBox* m_under;
};
