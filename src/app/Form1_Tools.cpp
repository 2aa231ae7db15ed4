// The Tools menu: converting a video to MP4, storing the API key, the voice samples.
#include "app/DropLineEdit.h"
#include "app/Form1.h"
#include "core/CommandTemplate.h"
#include "platform/FileSnapshot.h"
#include "platform/Platform.h"
#include "platform/UserEnvironment.h"

#include <QPlainTextEdit>

void Form1::mnuConvertWMV_Click() {
    runExclusive(QStringLiteral("Converting to MP4"), [this] {
        const QString input = m_dialogs->OpenFile(QString(), QStringLiteral("Open File"));
        if (input.isEmpty())
            return;
        const QString baseName = m_paths.BaseName(input);
        const QString folder = m_paths.ParentFolder(input);
        const QString output = m_dialogs->SaveFile(baseName + QStringLiteral(".mp4"), folder,
                                                   QStringLiteral("Save File"));
        if (output.isEmpty())
            return;
        // Both paths travel in double quotes; a quote inside one would end the quoted span early
        // and hand ffmpeg pieces of names, possibly an output that the user never chose.
        if (input.contains(QLatin1Char('"')) || output.contains(QLatin1Char('"'))) {
            msgBox(tr("File names with a double quote (\") cannot be passed to ffmpeg. Rename the "
                      "file or choose another name."));
            return;
        }

        const QString command = QStringLiteral("ffmpeg -i \"") + input +
                                QStringLiteral("\" -c:v libx264 -crf 23 -c:a aac -q:a 100 \"") +
                                output + QLatin1Char('"');
        // No "-y": standard input is closed, so when the output exists ffmpeg's question reads
        // end-of-file, ffmpeg declines and ends, and its own words show after "Error: ".
        const FileSnapshot before({output});
        if (!m_runner.Run(ffmpegPath, removeProgramWord(command))) {
            if (m_runner.wasStopped()) {
                // A stopped encode leaves a file that is no video; the input is untouched.
                for (const QString& path : before.written())
                    m_paths.DeleteFile(path);
                txtOut->setPlainText(QStringLiteral("Stopped\r\n") + m_runner.Output());
                return;
            }
            txtOut->setPlainText(QStringLiteral("Error: ") + m_runner.Output());
            return;
        }
        txtOut->setPlainText(m_runner.Output());
        if (!m_paths.FileExists(output))
            return;
        txtOut->setPlainText(txtOut->toPlainText() + QStringLiteral("\r\nFileSize: ") +
                             QString::number(m_paths.FileLength(output)));
        txtInput->setText(output);
    });
}

void Form1::mnuSetApiKey_Click() {
    const QString key = m_dialogs->AskText(QStringLiteral("Paste in your elevenlabs api key"));
    if (key.isEmpty())
        return;
    QString error;
    if (!SetEnvVar(QLatin1String(kApiKeyVariable), key, true, &error))
        msgBox(tr("The key is set for this session, but it could not be kept for the next "
                  "ones.\n\n%1")
                   .arg(error));
}

void Form1::mnuVoiceSamples_Click() {
    const QString player = m_work.file(executableFileName(QStringLiteral("voices")));
    qint64 process = 0;
    if (m_paths.FileExists(player))
        process = m_launcher->startProgram(player, WindowStyle::MinimizedFocus);
    if (process != 0)
        return;
    const QString samples =
        PathTools::join(m_work.file(QStringLiteral("voices")), QStringLiteral("samples"));
    if (m_paths.FolderExists(samples))
        m_launcher->openFolder(samples);
}
