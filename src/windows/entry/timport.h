#pragma once
// Importing a grade sheet file: the teacher chooses a file and a sheet, sees
// its first rows with the header found and what each column goes into
// (changeable), chooses a new roster or marks for the roster the table
// holds, and imports. The rules are the import action's; this window shows
// what it read and asks the questions.

#include "engine/actions/import.h"
#include "windows/app/form.h"

#include <memory>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;
class Session;

class Timport : public Form {
    Q_OBJECT
public:
    explicit Timport(Session& session);

    // Opens the window to import into `table`, offering a new roster first
    // or marks for the table's roster first.
    void openFor(const QString& table, bool newRoster);
    // From the main window: into the working table, a new roster when it
    // holds no students yet.
    static void openForWorkingTable();
    // Reads a file and shows its first recognised sheet (what 选择文件… does
    // with the file chosen).
    void loadFile(const QString& file);
    // The drop-down under a column of the preview.
    QComboBox* mapping(int column) const;
    const QString& table() const { return m_table; }

    QLineEdit* fileName;
    QPushButton* chooseFile;
    QComboBox* sheets;
    QSpinBox* headerRow; // 0: the sheet has no header
    QTableWidget* preview;
    QLabel* found;       // what was read, the columns left out, the problems
    QRadioButton* newRoster;
    QRadioButton* marksForRoster;
    QPushButton* importButton;
    QPushButton* closeButton;

    static inline const QString kCaption = QStringLiteral("导入成绩表");

public slots:
    void chooseFileClick();
    void sheetChanged();
    void headerRowChanged();
    void mappingChanged();
    void importClick();

private:
    void buildFileRow(QVBoxLayout* lay);
    void buildPreview(QVBoxLayout* lay);
    void buildImportRow(QVBoxLayout* lay);
    void connectHandlers();
    // No file: the window as it opens.
    void clear();
    // Reads the sheet shown in `sheets`: recognised, or with the layout given.
    void read(std::optional<Import::Layout> layout);
    // Reads with the layout the controls show, when it can be imported at all.
    void apply(const Import::Layout& layout);
    void showSheet();
    void showPreview();
    void showPreviewHeaders(int width);
    void addMappingBoxes(int width);
    void fillPreviewCells(int width);
    void spanMergedTitles(int width);
    QString summary() const;
    void refreshOthers(const Actions::ImportPlan& plan);

    Session& m_session;
    QString m_table = QStringLiteral("cjn");
    std::unique_ptr<Import::Workbook> m_book;
    Import::Table m_sheet;   // the sheet as last read
    Import::Layout m_layout; // the mapping the controls show
    QString m_layoutError;   // why m_layout cannot be imported
    bool m_filling = false;  // the controls are being filled: no handler runs
};
