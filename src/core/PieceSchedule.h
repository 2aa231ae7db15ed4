#pragma once

#include <QList>
#include <QMap>

// When each piece of a conversion runs. A piece's script first prepares it (measures it, looks it
// up in the cache, splits off its background on this machine); where it needs the voice service
// it says it is ready and waits for its turn. At most `atOnce` pieces are at the service at a
// time, and a piece gives up its place as soon as the service has answered: its script writes
// the piece while the next one is sent. Meanwhile the next pieces prepare, so that each is ready
// when a place comes free, at most `preparing` at a time (the work is the processor's, and the
// first ready go first). Pieces go to the service in their order.
class PieceSchedule {
public:
    PieceSchedule(const QList<int>& pieces, int atOnce, int preparing);

    struct Moves {
        QList<int> start;  // scripts to start
        QList<int> send;   // ready pieces whose turn it is
        QList<int> cancel; // ready pieces that are not to be sent after all
    };
    // What to do now; call it after every change.
    Moves next();

    void ready(int piece);
    void answered(int piece);
    // A piece's script ended: with the piece in place, or with nothing of it done.
    void converted(int piece);
    void returned(int piece);
    // Its script failed: no more pieces start; the ready ones are cancelled.
    void failed(int piece);
    // The account took no more requests at once: the piece goes back to the front. With requests
    // of this run still at the service, the run goes on with that many at once (true); with none,
    // nothing starts until `resume()` (false).
    bool busy(int piece);
    void resume() { m_paused = false; }
    // Nothing new starts; what runs is let to end.
    void halt() { m_halted = true; }

    // Sent to the service, answered or not, and its script not ended yet: paid for, whatever
    // happens now; a stop lets its script end, which keeps the answer.
    bool isPaid(int piece) const {
        const Phase phase = m_phase.value(piece, Phase::Preparing);
        return phase == Phase::Sending || phase == Phase::Answered;
    }
    int atOnce() const { return m_atOnce; }
    int alive() const { return int(m_phase.size()); }
    int done() const { return m_done; }
    bool hasFailed() const { return m_failed; }
    // Nothing runs and nothing more will start.
    bool finished() const;

private:
    // Answered: its script keeps the answer; Cancelled: it ends without being sent.
    enum class Phase { Preparing, Ready, Sending, Answered, Cancelled };
    int count(Phase phase) const;

    QList<int> m_waiting;
    QMap<int, Phase> m_phase; // the pieces whose scripts run
    int m_atOnce;
    int m_preparing;
    int m_done = 0;
    bool m_failed = false;
    bool m_halted = false;
    bool m_paused = false;
};
