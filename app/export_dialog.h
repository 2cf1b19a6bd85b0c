#pragma once
// The export dialog: what will be exported, the destination folder with its chooser, the
// burned-in read-out choice and, for an Event recording without marks, the offer to add the
// recordings just before and after it. It only holds the choices; ExportCommand checks them.
#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace korvane {

struct ExportDialogContent {
    QString rangeText;         // "12:00:10.500 – 12:01:07.000 (56.5 s)"
    QString recordingsText;    // the file names, one per line
    bool offerNeighbours = false;
    QString neighboursText;    // the names of the recordings offered
};

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // The folder chooser: caption and start folder in, the chosen folder out (empty: cancelled).
    using FolderChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& start)>;

    ExportDialog(QWidget* parent, const ExportDialogContent& content, FolderChooser chooser);

    QString Destination() const { return destination_; }
    void SetDestination(const QString& folder);
    bool Overlay() const;
    void SetOverlay(bool on);
    bool Neighbours() const;
    void SetNeighbours(bool on);

    QLabel* lbRange = nullptr;
    QLabel* lbRecordings = nullptr;
    QLabel* lbDestinationName = nullptr;
    QPushButton* btnChoose = nullptr;
    QCheckBox* cbNeighbours = nullptr;
    QCheckBox* cbOverlay = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void Choose();

    FolderChooser chooser_;
    QString destination_;
    bool offerNeighbours_ = false;
};

} // namespace korvane
