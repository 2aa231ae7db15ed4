#pragma once

#include <QListWidget>
#include <QString>

#include <functional>

// Shows what the parts folder holds: with a run's record, its pieces in the order of the audio
// ("Piece 1 of 3, 0:00 to 4:57: converted (Liam)", their files a tooltip and the item's data
// away); any other files by their names. It reads the folder only when told to.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    void setPath(const QString& folder) {
        m_folder = folder;
        refresh();
    }
    QString path() const { return m_folder; }
    // The name of a voice by its id, for the pieces' lines.
    void setVoiceNames(std::function<QString(const QString&)> name) {
        m_voiceName = std::move(name);
    }
    void refresh();
    // The piece a row shows (from 0), in the item's data under this role; none for other files.
    static constexpr int kPieceRole = Qt::UserRole + 1;
    // The piece of the selected row; -1 when the row is no piece or none is selected.
    int selectedPiece() const {
        const QListWidgetItem* row = currentItem();
        const QVariant piece = row && row->isSelected() ? row->data(kPieceRole) : QVariant();
        return piece.isValid() ? piece.toInt() : -1;
    }

private:
    QString m_folder;
    std::function<QString(const QString&)> m_voiceName;
};
