#include "app/CostDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

CostDialog::CostDialog(const QStringList& lines, qint64 credits, QWidget* parent)
    : QDialog(parent)
    , m_convert(
          new QPushButton(tr("Convert (about %1 credits)").arg(QLocale().toString(credits)), this))
    , m_dontAsk(new QCheckBox(tr("Don't ask again for runs under"), this))
    , m_under(new QSpinBox(this)) {
    setObjectName(QStringLiteral("costDialog"));
    setWindowTitle(tr("What the run costs"));
    auto* text = new QLabel(lines.join(QLatin1Char('\n')), this);
    text->setObjectName(QStringLiteral("costLines"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_under->setRange(0, 10000000);
    m_under->setSingleStep(1000);
    m_under->setGroupSeparatorShown(true);
    // A sensible first figure: a little over this run.
    m_under->setValue(int(std::min<qint64>(10000000, (credits / 1000 + 1) * 1000)));
    m_under->setEnabled(false);
    m_under->setAccessibleName(tr("Credits under which runs go without asking"));
    connect(m_dontAsk, &QCheckBox::toggled, m_under, &QWidget::setEnabled);
    auto* under = new QHBoxLayout;
    under->addWidget(m_dontAsk);
    under->addWidget(m_under);
    under->addWidget(new QLabel(tr("credits"), this));
    under->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_convert, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_convert->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(under);
    layout->addWidget(buttons);
}

std::optional<qint64> CostDialog::askAbove() const {
    return m_dontAsk->isChecked() ? std::optional<qint64>(m_under->value()) : std::nullopt;
}
