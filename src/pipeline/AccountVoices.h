#pragma once

#include "platform/Job.h"

#include <QStringList>

class ScriptRun;

// The account's own voices, asked of the voice service through convert.py in the background.
// Without a key, without the network or without the permission, it fails, and the fixed voices
// are all there is.
class AccountVoices : public Job {
    Q_OBJECT
public:
    AccountVoices(const QString& interpreter, const QString& script, QObject* parent = nullptr);

    // "Name (category), voiceid" rows, once done.
    const QStringList& rows() const { return m_rows; }

protected:
    void begin() override;
    void halt() override;

private:
    ScriptRun* m_run;
    QStringList m_rows;
};
