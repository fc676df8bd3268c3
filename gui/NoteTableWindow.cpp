#include "gui/NoteTableWindow.h"

#include "gui/Controls.h"
#include "base/Guard.h"
#include "gui/MainWindow.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>

TForm3::TForm3(TForm1& mainWindow, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_main(mainWindow) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("ZWK-Liste"));
    setFixedSize(264, 574);
    setModal(false);

    StringGrid1 = new QTableWidget(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(0, 0, 264, 574);
    StringGrid1->setColumnCount(NoteTable::kColumnCount);
    StringGrid1->setRowCount(96);
    // Row 0 and column 0 are the grid's fixed header cells, drawn as part of the grid.
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(80);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);

    centerOnScreen(this);

    FormCreate();

    // A click on a note cell chooses it (again); a keyboard move chooses the note it selects.
    // Header and name cells are fixed: clicking them chooses nothing.
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (row > 0 && column > 0)
            guarded([this] { StringGrid1Click(); });
    });
    connectGuarded(StringGrid1, &QTableWidget::itemSelectionChanged, this,
                   [this] { StringGrid1Click(); });
}

void TForm3::FormCreate() {
    m_table = NoteTable::loadStored();
    fillGrid();
}

void TForm3::fillGrid() {
    const QSignalBlocker blocker(StringGrid1);
    StringGrid1->setRowCount(m_table.rowCount());
    const QBrush fixed = palette().button();
    for (int row = 0; row < m_table.rowCount(); ++row) {
        for (int column = 0; column < NoteTable::kColumnCount; ++column) {
            auto* cell = new QTableWidgetItem(m_table.cell(column, row));
            if (row == 0 || column == 0) {
                // Fixed cells take neither the selection nor the cursor, and keep their look.
                cell->setFlags(Qt::NoItemFlags);
                cell->setBackground(fixed);
                cell->setForeground(palette().buttonText());
            } else {
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            StringGrid1->setItem(row, column, cell);
        }
    }
    // As a grid with fixed cells starts: the first non-fixed cell is selected.
    if (m_table.rowCount() > 1)
        StringGrid1->setCurrentCell(1, 1);
}

void TForm3::StringGrid1Click() {
    const QList<QTableWidgetSelectionRange> ranges = StringGrid1->selectedRanges();
    if (ranges.isEmpty())
        return;
    const int top = ranges.first().topRow();
    m_main.activeFrequencyField()->setText(m_table.cell(NoteTable::kFrequencyColumn, top));
}

void TForm3::ListeNotenFrequenzen1Click() {
    show();
}

QString TForm3::NoteNameToFrequency(const QString& name) const {
    return ::NoteNameToFrequency(m_table, name);
}

int TForm3::FrequencyToMidiNote(const QString& frequency) const {
    return ::FrequencyToMidiNote(m_table, frequency);
}

int TForm3::MidiNoteToFrequency(const QString& midiNote) const {
    return ::MidiNoteToFrequency(m_table, midiNote);
}
