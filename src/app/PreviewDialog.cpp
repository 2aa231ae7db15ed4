#include "app/PreviewDialog.h"

#include "app/ABPlayer.h"
#include "core/Excerpt.h"
#include "core/Voices.h"
#include "pipeline/RunControl.h"
#include "pipeline/VoiceTrial.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PreviewDialog::PreviewDialog(StepHost& window, std::function<RunInputs()> inputs,
                             const WorkFolder& program, QWidget* parent)
    : QDialog(parent)
    , m_window(window)
    , m_inputs(std::move(inputs))
    , m_program(program)
    , m_folder(QDir::temp().filePath(QStringLiteral("voxsplice-preview-XXXXXX"))) {
    setObjectName(QStringLiteral("PreviewDialog"));
    setWindowTitle(tr("Preview"));
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel(this);
    layout->addWidget(m_title);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Start at"), this));
    txtStart = new QLineEdit(this);
    txtStart->setObjectName(QStringLiteral("txtStart"));
    txtStart->setPlaceholderText(tr("first speech"));
    txtStart->setToolTip(tr("Where the 30 s begin, as 1:15 or 75; empty: where the speech "
                            "begins."));
    txtStart->setMaximumWidth(txtStart->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 14);
    row->addWidget(txtStart);
    cmdConvert = new QPushButton(tr("Convert 30 s"), this);
    cmdConvert->setObjectName(QStringLiteral("cmdConvert"));
    cmdConvert->setDefault(true); // Enter in the start box
    row->addWidget(cmdConvert);
    row->addStretch();
    layout->addLayout(row);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 3);
    layout->addWidget(m_status);
    m_player = new ABPlayer(this);
    layout->addWidget(m_player);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &PreviewDialog::reject);
    connect(cmdConvert, &QPushButton::clicked, this, &PreviewDialog::cmdConvert_Click);
    setMinimumWidth(600);
}

PreviewDialog::~PreviewDialog() {
    // Its tools end before their folder goes.
    delete m_trial;
    m_player->unload();
}

QString PreviewDialog::status() const {
    return m_status->text();
}

void PreviewDialog::cmdConvert_Click() {
    if (m_trial) {
        // The button stops a preview under way; pressed again while the excerpt already paid
        // for is kept, it asks before throwing that away.
        if (!m_trial->stopRequested() || m_trial->paidPending() == 0)
            m_trial->stop();
        else
            ask(stopNowQuestion(m_trial->paidPending()), [trial = QPointer(m_trial)](bool yes) {
                if (yes && trial)
                    trial->stopNow();
            });
        return;
    }
    std::optional<double> start;
    if (const QString text = txtStart->text().trimmed(); !text.isEmpty()) {
        start = parseUserTime(text);
        if (!start) {
            m_status->setText(tr("Write the start as 1:15 or 75 (seconds), or leave it empty for "
                                 "the first speech."));
            return;
        }
    }
    if (!m_folder.isValid()) {
        m_status->setText(tr("No folder for the preview: %1").arg(m_folder.errorString()));
        return;
    }
    const RunInputs inputs = m_inputs();
    m_title->setText(
        tr("%1 with %2")
            .arg(QFileInfo(inputs.input).fileName(), voiceNameFromRow(inputs.voiceRow)));
    m_player->unload(); // its files are written again
    m_details.clear();
    m_status->setToolTip(QString());
    m_trial = new VoiceTrial(StepContext{*this, m_program.withRoot(m_folder.path()), inputs}, start,
                             this);
    connect(m_trial, &Job::finished, this, &PreviewDialog::trialEnded);
    cmdConvert->setText(tr("Stop"));
    m_trial->start();
}

void PreviewDialog::trialEnded() {
    VoiceTrial* trial = m_trial;
    m_trial = nullptr;
    trial->deleteLater();
    cmdConvert->setText(tr("Convert 30 s"));
    if (m_closing) {
        deleteLater();
        return;
    }
    const JobOutcome& outcome = trial->outcome();
    m_status->setToolTip(m_details);
    if (outcome.isStopped()) {
        m_status->setText(tr("Not converted."));
        return;
    }
    if (!outcome.isDone()) {
        m_status->setText(tr("No preview: %1").arg(outcome.reason));
        return;
    }
    const Excerpt& excerpt = trial->excerpt();
    const QString from = userTimeText(excerpt.start);
    const QString to = userTimeText(excerpt.start + excerpt.length);
    QString what = txtStart->text().trimmed().isEmpty()
                       ? tr("%1 to %2 (from the first speech)").arg(from, to)
                       : tr("%1 to %2").arg(from, to);
    what += trial->reused()        ? tr(": from the cache, nothing paid.")
            : trial->credits() > 0 ? tr(": about %1 credits.").arg(trial->credits())
            : trial->offline()     ? tr(": changed on this machine, nothing paid.")
                                   : tr(": nothing paid.");
    if (!ABPlayer::canPlay()) {
        m_status->setText(what + QLatin1Char(' ') +
                          tr("This machine has no sound output; the excerpt and its new voice are "
                             "in %1 while this window is open.")
                              .arg(QDir::toNativeSeparators(m_folder.path())));
        return;
    }
    m_status->setText(what);
    m_player->load(trial->original(), trial->converted(), ABPlayer::Side::NewVoice,
                   trial->excerpt().start);
}

void PreviewDialog::reject() {
    QDialog::reject();
    if (m_trial) {
        m_closing = true;
        m_trial->stop();
    } else {
        deleteLater();
    }
}

void PreviewDialog::setToolOutput(const QString& text) {
    m_details = text.right(4000);
}

void PreviewDialog::log(Log, const QString& message) {
    m_status->setText(message);
}

void PreviewDialog::showStage(const QString& stage) {
    m_status->setText(stage + QStringLiteral("..."));
}
