// The export dialog; see export_dialog.h.
#include "app/export_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/text_catalogue.h"
#include "ui/text_tables.h"

namespace korvane {

ExportDialog::ExportDialog(QWidget* parent, const ExportDialogContent& content, FolderChooser chooser)
    : QDialog(parent), chooser_(std::move(chooser)), offerNeighbours_(content.offerNeighbours)
{
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(CatalogueText(keys::kExportTitle));
    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const char* key, QWidget* value) {
        auto* label = new QLabel(CatalogueText(key), this);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
    };
    // Names and times come from the card: shown as they stand, never as markup.
    lbRange = new QLabel(content.rangeText, this);
    lbRange->setObjectName(QStringLiteral("lbRange"));
    lbRange->setTextFormat(Qt::PlainText);
    addRow(0, keys::kExportRange, lbRange);
    lbRecordings = new QLabel(content.recordingsText, this);
    lbRecordings->setObjectName(QStringLiteral("lbRecordings"));
    lbRecordings->setTextFormat(Qt::PlainText);
    addRow(1, keys::kExportRecordings, lbRecordings);

    auto* destination = new QWidget(this);
    auto* destinationRow = new QHBoxLayout(destination);
    destinationRow->setContentsMargins(0, 0, 0, 0);
    lbDestinationName = new QLabel(destination);
    lbDestinationName->setObjectName(QStringLiteral("lbDestinationName"));
    lbDestinationName->setTextFormat(Qt::PlainText);
    lbDestinationName->setFrameShape(QFrame::StyledPanel);
    lbDestinationName->setMinimumWidth(260);
    lbDestinationName->setAutoFillBackground(true);
    QPalette white = lbDestinationName->palette();
    white.setColor(QPalette::Window, Qt::white);
    lbDestinationName->setPalette(white);
    btnChoose = new QPushButton(CatalogueText(keys::kExportChoose), destination);
    btnChoose->setObjectName(QStringLiteral("btnChoose"));
    destinationRow->addWidget(lbDestinationName, 1);
    destinationRow->addWidget(btnChoose);
    addRow(2, keys::kExportDestination, destination);

    cbNeighbours = new QCheckBox(CatalogueText(keys::kExportNeighbours), this);
    cbNeighbours->setObjectName(QStringLiteral("cbNeighbours"));
    cbNeighbours->setToolTip(content.neighboursText);
    cbNeighbours->setVisible(content.offerNeighbours);
    cbOverlay = new QCheckBox(CatalogueText(keys::kExportOverlay), this);
    cbOverlay->setObjectName(QStringLiteral("cbOverlay"));
    grid->addWidget(cbNeighbours, 3, 1);
    grid->addWidget(cbOverlay, 4, 1);

    btnOk = new QPushButton(CatalogueText(keys::kExportStart), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(CatalogueText(keys::kExportCancel), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    connect(btnChoose, &QPushButton::clicked, this, &ExportDialog::Choose);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ExportDialog::SetDestination(const QString& folder)
{
    destination_ = folder;
    lbDestinationName->setText(QDir::toNativeSeparators(folder));
}

bool ExportDialog::Overlay() const { return cbOverlay->isChecked(); }
void ExportDialog::SetOverlay(bool on) { cbOverlay->setChecked(on); }
bool ExportDialog::Neighbours() const { return offerNeighbours_ && cbNeighbours->isChecked(); }
void ExportDialog::SetNeighbours(bool on) { cbNeighbours->setChecked(on); }

void ExportDialog::Choose()
{
    const QString caption = CatalogueText(keys::kExportDestination);
    const QString chosen = chooser_ ? chooser_(this, caption, destination_)
                                    : QFileDialog::getExistingDirectory(this, caption, destination_);
    if (!chosen.isEmpty())
        SetDestination(chosen);
}

} // namespace korvane
