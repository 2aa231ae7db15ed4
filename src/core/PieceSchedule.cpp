#include "core/PieceSchedule.h"

#include <algorithm>

PieceSchedule::PieceSchedule(const QList<int>& pieces, int atOnce, int preparing)
    : m_waiting(pieces)
    , m_atOnce(std::max(1, atOnce))
    , m_preparing(std::max(1, preparing)) {}

int PieceSchedule::count(Phase phase) const {
    return int(std::count(m_phase.cbegin(), m_phase.cend(), phase));
}

PieceSchedule::Moves PieceSchedule::next() {
    Moves moves;
    const bool stopping = m_failed || m_halted;
    for (auto it = m_phase.begin(); it != m_phase.end(); ++it) {
        if (it.value() != Phase::Ready)
            continue;
        if (stopping) {
            moves.cancel.append(it.key());
            it.value() = Phase::Cancelled;
        } else if (count(Phase::Sending) < m_atOnce) {
            moves.send.append(it.key()); // in their order: the map is sorted
            it.value() = Phase::Sending;
        }
    }
    // Ahead of the service: as many preparing or waiting for their turn as may be sent at once.
    while (!stopping && !m_paused && !m_waiting.isEmpty() &&
           count(Phase::Preparing) + count(Phase::Ready) < m_atOnce &&
           count(Phase::Preparing) < m_preparing && alive() < 2 * m_atOnce) {
        const int piece = m_waiting.takeFirst();
        m_phase.insert(piece, Phase::Preparing);
        moves.start.append(piece);
    }
    return moves;
}

void PieceSchedule::ready(int piece) {
    if (m_phase.value(piece) == Phase::Preparing)
        m_phase[piece] = Phase::Ready;
}

void PieceSchedule::answered(int piece) {
    if (m_phase.value(piece) == Phase::Sending)
        m_phase[piece] = Phase::Answered;
}

void PieceSchedule::converted(int piece) {
    if (m_phase.remove(piece))
        ++m_done;
}

void PieceSchedule::returned(int piece) {
    if (!m_phase.remove(piece))
        return;
    m_waiting.append(piece);
    std::sort(m_waiting.begin(), m_waiting.end());
}

void PieceSchedule::failed(int piece) {
    m_phase.remove(piece);
    m_failed = true;
}

bool PieceSchedule::busy(int piece) {
    returned(piece);
    const int sending = count(Phase::Sending);
    if (sending > 0) {
        m_atOnce = std::min(m_atOnce, sending);
        return true;
    }
    m_paused = true;
    return false;
}

bool PieceSchedule::finished() const {
    return m_phase.isEmpty() && !m_paused && (m_failed || m_halted || m_waiting.isEmpty());
}
