#include "app/StepsPanel.h"

#include "core/CommandTemplate.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLineEdit* templateBox(QWidget* parent, Template which, const char* name) {
    auto* box = new QLineEdit(defaultTemplate(which), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setCursorPosition(0);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 30);
    return box;
}

} // namespace

StepsPanel::StepsPanel(QWidget* parent)
    : QWidget(parent)
    , grpCommands(new QToolButton(this))
    , m_body(new QWidget(this)) {
    setObjectName(QStringLiteral("stepsPanel"));
    grpCommands->setObjectName(QStringLiteral("grpCommands"));
    grpCommands->setText(tr("Co&mmands"));
    grpCommands->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    grpCommands->setAutoRaise(true);
    grpCommands->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    grpCommands->setToolTip(tr("The five steps one by one, their ffmpeg command lines and the "
                               "Python that converts"));

    const auto label = [this](const QString& text, const char* name) {
        auto* l = new QLabel(text, m_body);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    const auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, m_body);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    Label2 = label(tr("Extract Cmd"), "Label2");
    txtExtractCmd = templateBox(m_body, Template::Extract, "txtExtractCmd");
    Command2 = button(tr("&Extract Audio"), "Command2");
    Label3 = label(tr("split cmd"), "Label3");
    txtSplit = templateBox(m_body, Template::Split, "txtSplit");
    Command3 = button(tr("&Split Audio"), "Command3");
    Label4 = label(tr("ai translate audio python path:"), "Label4");
    txtPy = new QLineEdit(m_body);
    txtPy->setObjectName(QStringLiteral("txtPy"));
    cmdConvert = button(tr("AI &Convert"), "cmdConvert");
    Label5 = label(tr("rejoin cmd"), "Label5");
    txtConcat = templateBox(m_body, Template::Concat, "txtConcat");
    Command4 = button(tr("&Rejoin Audio"), "Command4");
    Label6 = label(tr("reintegrate"), "Label6");
    txtIntegrate = templateBox(m_body, Template::Integrate, "txtIntegrate");
    Command5 = button(tr("Reintegr&ate"), "Command5");
    txtMacros = new QPlainTextEdit(m_body);
    txtMacros->setObjectName(QStringLiteral("txtMacros"));
    txtMacros->setReadOnly(true);
    txtMacros->setAccessibleName(tr("Macros"));
    // A few lines of it; the rest a scroll away.
    txtMacros->setMaximumHeight(txtMacros->fontMetrics().lineSpacing() * 5 +
                                2 * txtMacros->frameWidth() + 8);

    auto* grid = new QGridLayout(m_body);
    grid->setContentsMargins(0, 0, 0, 0);
    const QList<std::tuple<QLabel*, QLineEdit*, QPushButton*>> rows = {
        {Label2, txtExtractCmd, Command2},
        {Label3, txtSplit, Command3},
        {Label4, txtPy, cmdConvert},
        {Label5, txtConcat, Command4},
        {Label6, txtIntegrate, Command5}};
    int row = 0;
    for (const auto& [caption, box, step] : rows) {
        caption->setBuddy(box);
        grid->addWidget(caption, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(step, row, 2);
        ++row;
    }
    grid->addWidget(txtMacros, row, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    // Folded, it says what it holds.
    m_summary = new QLabel(tr("the five steps one by one, their command lines and Python"), this);
    m_summary->setObjectName(QStringLiteral("lblCommandsSummary"));
    m_summary->setEnabled(false);
    auto* header = new QHBoxLayout;
    header->addWidget(grpCommands, 0, Qt::AlignLeft);
    header->addWidget(m_summary, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(header);
    layout->addWidget(m_body);
    layout->addStretch(1);
    connect(grpCommands, &QToolButton::clicked, this, [this] {
        setOpen(!m_open);
        emit toggled(m_open);
    });
    setOpen(false);
}

bool StepsPanel::isOpen() const {
    return m_open;
}

void StepsPanel::setOpen(bool open) {
    m_open = open;
    grpCommands->setAccessibleDescription(open ? tr("open") : tr("folded"));
    grpCommands->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    m_body->setVisible(open);
    m_summary->setVisible(!open);
}

void StepsPanel::setMacroHelp(const QString& text) {
    txtMacros->setPlainText(text);
}
