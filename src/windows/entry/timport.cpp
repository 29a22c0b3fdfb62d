#include "windows/entry/timport.h"

#include "engine/db/database.h"
#include "engine/entry/setup.h"
#include "engine/session/session.h"
#include "windows/app/forms.h"
#include "windows/app/printing.h"
#include "windows/entry/entrytext.h"
#include "windows/entry/tluru.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor kHeaderBack{222, 234, 246};
const QColor kProblemBack{255, 205, 205};
const QColor kTitleText{128, 128, 128};

// Progress of a read: a window with 取消 once the read takes more than a
// moment, the program's window painted meanwhile. Under a test's message
// recorder nothing is shown and the recorder may cancel.
class Reading {
public:
    Reading(QWidget* parent, const QString& file) : m_name(Import::shownName(file)), m_recorder(Msg::recorder())
    {
        m_clock.start();
        if (m_recorder)
            return;
        m_dialog = std::make_unique<QProgressDialog>(QStringLiteral("正在读取“%1”……").arg(m_name), QStringLiteral("取消"),
                                                     0, 0, parent);
        m_dialog->setWindowTitle(QStringLiteral("请稍候"));
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(INT_MAX); // shown by the callback, after a moment
    }

    Actions::ReadProgress callback()
    {
        return [this](int rows) {
            if (m_recorder) {
                ++m_recorder->progressReports;
                return !m_recorder->cancelWrites;
            }
            if (!m_dialog->isVisible() && m_clock.elapsed() > 300)
                m_dialog->show();
            m_dialog->setLabelText(QStringLiteral("正在读取“%1”……已读%2行").arg(m_name).arg(rows));
            QApplication::processEvents();
            return !m_dialog->wasCanceled();
        };
    }

private:
    QString m_name;
    Msg::Recorder* m_recorder;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};

int targetIndex(const Import::Target& t)
{
    return int(Import::allTargets().indexOf(t));
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped().replace('\n', QStringLiteral("<br>"));
}

} // namespace

Timport::Timport(Session& session) : Form(kCaption), m_session(session)
{
    auto* lay = new QVBoxLayout(this);
    buildFileRow(lay);
    buildPreview(lay);
    buildImportRow(lay);
    resize(980, 600);
    connectHandlers();
    newRoster->setChecked(true);
    clear();
}

void Timport::buildFileRow(QVBoxLayout* lay)
{
    auto* top = new QGridLayout;
    top->addWidget(Ui::label("文件", this), 0, 0);
    fileName = Ui::edit("", this, "fileName");
    fileName->setReadOnly(true);
    fileName->setPlaceholderText(QStringLiteral("Excel 工作簿（.xlsx、.xls）或 CSV、文本文件（.csv、.txt）"));
    top->addWidget(fileName, 0, 1, 1, 4);
    chooseFile = Ui::button("选择文件…", this, "chooseFile");
    top->addWidget(chooseFile, 0, 5);
    top->addWidget(Ui::label("工作表", this), 1, 0);
    sheets = new QComboBox(this);
    sheets->setObjectName("sheets");
    sheets->setMinimumWidth(180);
    top->addWidget(sheets, 1, 1);
    top->addWidget(Ui::label("表头在第", this), 1, 2, Qt::AlignRight);
    headerRow = new QSpinBox(this);
    headerRow->setObjectName("headerRow");
    headerRow->setRange(0, 0);
    headerRow->setSpecialValueText(QStringLiteral("无表头"));
    top->addWidget(headerRow, 1, 3);
    top->addWidget(Ui::label("行（认错了可以改；每列是什么在下表第一行里选）", this), 1, 4);
    top->setColumnStretch(4, 1);
    lay->addLayout(top);
}

void Timport::buildPreview(QVBoxLayout* lay)
{
    preview = new QTableWidget(this);
    preview->setObjectName("preview");
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview->setSelectionMode(QAbstractItemView::NoSelection);
    preview->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    lay->addWidget(preview, 1);

    found = Ui::label("", this, "found");
    found->setWordWrap(true);
    found->setTextFormat(Qt::RichText);
    found->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lay->addWidget(found);
}

void Timport::buildImportRow(QVBoxLayout* lay)
{
    auto* kind = new QHBoxLayout;
    kind->addWidget(Ui::label("导入为", this));
    newRoster = new QRadioButton(this);
    newRoster->setObjectName("newRoster");
    marksForRoster = new QRadioButton(QStringLiteral("现有名单的成绩（按学号对应，没有学号按姓名）"), this);
    marksForRoster->setObjectName("marksForRoster");
    kind->addWidget(newRoster);
    kind->addWidget(marksForRoster);
    kind->addStretch(1);
    importButton = Ui::button("导入", this, "importButton");
    closeButton = Ui::button("关闭", this, "closeButton");
    for (QPushButton* b : {importButton, closeButton}) {
        b->setMinimumWidth(100);
        kind->addWidget(b);
    }
    lay->addLayout(kind);
}

void Timport::connectHandlers()
{
    Ui::connectHandler(chooseFile, &QPushButton::clicked, this, &Timport::chooseFileClick);
    Ui::connectHandler(sheets, &QComboBox::currentIndexChanged, this, &Timport::sheetChanged);
    Ui::connectHandler(headerRow, &QSpinBox::valueChanged, this, &Timport::headerRowChanged);
    Ui::connectHandler(importButton, &QPushButton::clicked, this, &Timport::importClick);
    Ui::connectHandler(closeButton, &QPushButton::clicked, this, [this] { close(); });
}

void Timport::clear()
{
    m_book.reset();
    m_sheet = {};
    m_layout = {};
    m_layoutError.clear();
    fileName->clear();
    newRoster->setText(QStringLiteral("新名单（替换表 %1 中的全部学生）").arg(m_table));
    showSheet();
}

void Timport::openFor(const QString& table, bool roster)
{
    Db::table(table);
    m_table = table;
    clear();
    (roster ? newRoster : marksForRoster)->setChecked(true);
    Forms::showWindow(this);
}

void Timport::openForWorkingTable()
{
    if (!Forms::daoru)
        return;
    const QString table = Forms::session().workingTable();
    Forms::daoru->openFor(table, Db::rowCount(table) == 0);
}

QComboBox* Timport::mapping(int column) const
{
    return qobject_cast<QComboBox*>(preview->cellWidget(0, column));
}

void Timport::chooseFileClick()
{
    const QString file = Msg::openFileName(QStringLiteral("选择要导入的成绩表"),
                                           m_book ? QFileInfo(m_book->fileName()).absolutePath() : Print::startFolder(),
                                           QStringLiteral("成绩表 (*.xlsx *.xls *.csv *.txt);;所有文件 (*)"));
    if (!file.isEmpty())
        loadFile(file);
}

void Timport::loadFile(const QString& file)
{
    clear();
    try {
        m_book = Import::open(file);
        Reading reading(this, file);
        m_sheet = Actions::readFirstRecognised(*m_book, reading.callback());
    } catch (...) {
        clear();
        throw;
    }
    fileName->setText(QDir::toNativeSeparators(file));
    m_layout = m_sheet.found ? m_sheet.layout : Import::layoutAt(m_sheet.preview, 0);
    m_layoutError = m_sheet.found ? QString() : m_sheet.unrecognised;
    showSheet();
}

void Timport::read(std::optional<Import::Layout> layout)
{
    const int index = sheets->currentIndex();
    m_sheet = {};
    Reading reading(this, m_book->fileName());
    m_sheet = Import::readTable(*m_book, index, layout, reading.callback());
}

void Timport::sheetChanged()
{
    if (m_filling || !m_book)
        return;
    m_layoutError.clear();
    read(std::nullopt);
    m_layout = m_sheet.found ? m_sheet.layout : Import::layoutAt(m_sheet.preview, 0);
    m_layoutError = m_sheet.found ? QString() : m_sheet.unrecognised;
    showSheet();
}

void Timport::headerRowChanged()
{
    if (m_filling || !m_book)
        return;
    apply(Import::layoutAt(m_sheet.preview, headerRow->value()));
}

void Timport::mappingChanged()
{
    if (m_filling || !m_book)
        return;
    Import::Layout layout = m_layout;
    const int width = preview->columnCount();
    layout.targets.resize(width);
    layout.headers.resize(width);
    layout.notes.resize(width);
    const QList<Import::Target> targets = Import::allTargets();
    for (int c = 0; c < width; ++c) {
        const Import::Target chosen = targets.value(mapping(c)->currentIndex());
        if (chosen == layout.targets.at(c))
            continue;
        layout.targets[c] = chosen;
        layout.notes[c] = chosen.field == Import::Field::Skip ? QStringLiteral("选了不导入") : QString();
    }
    apply(layout);
}

void Timport::apply(const Import::Layout& layout)
{
    m_layout = layout;
    try {
        Import::checkLayout(layout);
        m_layoutError.clear();
    } catch (const Db::InputError& e) {
        // Nothing is read until the mapping can be imported; the teacher may
        // be halfway through swapping two columns.
        m_layoutError = e.text();
        showSheet();
        return;
    }
    const QList<Import::Row> rows = m_sheet.preview;
    const QList<Import::Merge> merges = m_sheet.merges;
    read(layout);
    if (m_sheet.cancelled) {
        m_sheet.preview = rows;
        m_sheet.merges = merges;
    }
    showSheet();
}

void Timport::showSheet()
{
    m_filling = true;
    sheets->clear();
    if (m_book) {
        sheets->addItems(m_book->sheetNames());
        sheets->setCurrentIndex(qMax(0, m_book->indexOf(m_sheet.sheet)));
    }
    int lastRow = 0;
    for (const Import::Row& r : m_sheet.preview)
        lastRow = qMax(lastRow, r.number);
    headerRow->setRange(0, lastRow);
    headerRow->setValue(m_layout.headerRow);
    headerRow->setEnabled(m_book != nullptr);
    sheets->setEnabled(m_book != nullptr);
    showPreview();
    found->setText(summary());
    // A faulty cell is put right in the sheet, or its column left out here.
    importButton->setEnabled(m_book && m_sheet.found && !m_sheet.cancelled && m_layoutError.isEmpty()
                             && m_sheet.problems.isEmpty());
    m_filling = false;
}

void Timport::showPreview()
{
    preview->clear();
    int width = int(m_layout.targets.size());
    for (const Import::Row& r : m_sheet.preview)
        width = qMax(width, int(r.cells.size()));
    preview->setColumnCount(width);
    preview->setRowCount(m_book ? 1 + int(m_sheet.preview.size()) : 0);
    if (!m_book)
        return;
    showPreviewHeaders(width);
    addMappingBoxes(width);
    fillPreviewCells(width);
    spanMergedTitles(width);
    preview->resizeColumnsToContents();
    for (int c = 0; c < width; ++c)
        preview->setColumnWidth(c, qBound(72, preview->columnWidth(c), 220));
}

void Timport::showPreviewHeaders(int width)
{
    QStringList letters;
    for (int c = 0; c < width; ++c)
        letters << Import::columnName(c);
    preview->setHorizontalHeaderLabels(letters);
    QStringList rowNames{QStringLiteral("导入为")};
    for (const Import::Row& r : m_sheet.preview)
        rowNames << QString::number(r.number);
    preview->setVerticalHeaderLabels(rowNames);
}

void Timport::addMappingBoxes(int width)
{
    const QList<Import::Target> targets = Import::allTargets();
    for (int c = 0; c < width; ++c) {
        auto* box = new QComboBox(preview);
        box->setObjectName(QStringLiteral("mapping%1").arg(c));
        for (const Import::Target& t : targets)
            box->addItem(t.label());
        const Import::Target t = m_layout.targets.value(c);
        box->setCurrentIndex(targetIndex(t));
        box->setToolTip(m_layout.notes.value(c));
        preview->setCellWidget(0, c, box);
        Ui::connectHandler(box, &QComboBox::currentIndexChanged, this, &Timport::mappingChanged);
    }
}

// Header rows bold on blue, title rows above the data grey; a faulty cell
// is tinted and tells its problem in its tip.
void Timport::fillPreviewCells(int width)
{
    QHash<QPair<int, int>, QString> problems;
    for (const Import::Problem& p : m_sheet.problems)
        problems.insert({p.row, p.column}, p.message());
    const int firstHeader = m_layout.headerRow;
    const int lastHeader = m_layout.headerRow + m_layout.headerRows - 1;
    for (int i = 0; i < m_sheet.preview.size(); ++i) {
        const Import::Row& r = m_sheet.preview.at(i);
        const bool header = firstHeader > 0 && r.number >= firstHeader && r.number <= lastHeader;
        const bool title = r.number < m_layout.firstDataRow() && !header;
        for (int c = 0; c < width; ++c) {
            auto* item = new QTableWidgetItem(r.at(c).shown());
            if (header) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
                item->setBackground(kHeaderBack);
            } else if (title) {
                item->setForeground(kTitleText);
            }
            const QString problem = problems.value({r.number, c}, problems.value({r.number, -1}));
            if (!problem.isEmpty()) {
                item->setBackground(kProblemBack);
                item->setToolTip(problem);
            }
            preview->setItem(i + 1, c, item);
        }
    }
}

void Timport::spanMergedTitles(int width)
{
    // A merged title is one cell, as the sheet shows it.
    for (const Import::Merge& m : m_sheet.merges) {
        if (m.firstRow != m.lastRow)
            continue;
        for (int i = 0; i < m_sheet.preview.size(); ++i)
            if (m_sheet.preview.at(i).number == m.firstRow && m.firstColumn < width)
                preview->setSpan(i + 1, m.firstColumn, 1, qMin(m.lastColumn, width - 1) - m.firstColumn + 1);
    }
}

QString Timport::summary() const
{
    if (!m_book)
        return QStringLiteral("请选择要导入的成绩表文件。表头（学号或考号、班级、姓名、各科）可以在前十行里的任何一行，"
                              "上面的标题行不要紧；缺考的成绩空着或填“缺考”“缺”“/”都可以。");
    const auto red = [](const QString& text) { return QStringLiteral("<span style='color:#b00000'>%1</span>").arg(escaped(text)); };
    if (m_sheet.cancelled)
        return red(QStringLiteral("读取已取消，没有读完这个工作表。"));
    if (!m_layoutError.isEmpty())
        return red(m_layoutError)
            + escaped(QStringLiteral("\n可以在“表头在第…行”里指出表头所在的行，或在下表第一行里为每列选它是什么。"));

    int marks = 0;
    for (const Import::Student& s : m_sheet.students)
        for (const Import::Mark& m : s.marks)
            marks += m.state == Import::Mark::State::Value;
    QStringList parts;
    parts << (m_layout.headerRow > 0 ? QStringLiteral("表头在第%1行，第%2行起是学生：").arg(m_layout.headerRow).arg(m_layout.firstDataRow())
                                     : QStringLiteral("没有表头，第1行起是学生："))
                 + QStringLiteral("共%1名学生，%2个成绩，%3个缺考。").arg(m_sheet.students.size()).arg(marks).arg(m_sheet.absences);
    if (!m_sheet.skipped.isEmpty())
        parts.last() += QStringLiteral("跳过%1行（不是学生的行）。").arg(m_sheet.skipped.size());
    QStringList leftOut;
    for (int c = 0; c < m_layout.targets.size(); ++c)
        if (m_layout.targets.at(c).field == Import::Field::Skip && !m_layout.headers.value(c).trimmed().isEmpty())
            leftOut << QStringLiteral("%1列“%2”").arg(Import::columnName(c), m_layout.headers.value(c).trimmed());
    if (!leftOut.isEmpty())
        parts << QStringLiteral("不导入：") + leftOut.join(QStringLiteral("、")) + QStringLiteral("。");
    QString text = escaped(parts.join('\n'));
    if (!m_sheet.problems.isEmpty()) {
        QStringList listed;
        for (int i = 0; i < m_sheet.problems.size() && i < 3; ++i)
            listed << m_sheet.problems.at(i).message();
        if (m_sheet.problems.size() > 3)
            listed << QStringLiteral("……");
        text += QStringLiteral("<br>")
            + red(QStringLiteral("有%1处要改正（上表中标红），改正之前不能导入（或把那一列选为“不导入”）：%2")
                      .arg(m_sheet.problems.size())
                      .arg(listed.join(QStringLiteral("；"))));
    }
    return text;
}

void Timport::importClick()
{
    if (!m_book)
        throw Db::InputError(QStringLiteral("请先选择要导入的文件"));
    if (!m_layoutError.isEmpty())
        throw Db::InputError(m_layoutError);
    const Actions::ImportKind kind = newRoster->isChecked() ? Actions::ImportKind::NewRoster : Actions::ImportKind::Marks;
    const Actions::ImportPlan plan = Actions::planImport(m_session, m_table, m_sheet, kind);
    if (plan.marksForRoster()) {
        // Marks reach a student only when the teacher has seen which.
        if (plan.bulk.match.hasConflicts()) {
            // Bulk input's list of the rows, with a hint about files instead
            // of pasted boxes.
            QString text = EntryText::conflicts(plan.bulk);
            if (const qsizetype hint = text.lastIndexOf(QStringLiteral("\n\n")); hint > 0)
                text.truncate(hint);
            text.replace(QStringLiteral("没有输入任何成绩"), QStringLiteral("没有导入任何成绩"));
            Msg::warning(text + QStringLiteral("\n\n请检查文件是否是这个年级的成绩表，学号、姓名、班号各列是否选对。"));
            return;
        }
        if (plan.bulk.match.matched() == 0) {
            Msg::warning(QStringLiteral("文件中没有一行对上表 %1 名单上的学生，没有导入任何成绩。"
                                        "要把文件中的学生作为名单导入，请选“新名单”。")
                             .arg(m_table));
            return;
        }
        if (plan.bulk.match.hasGaps() && !Msg::yesNo(EntryText::gapsQuestion(plan.bulk)))
            return;
    }
    if (!plan.bulk.aboveFull.isEmpty() && !Msg::yesNo(EntryText::aboveFullQuestion(plan.bulk.aboveFull)))
        return;
    if (!plan.marksForRoster() && plan.replaced > 0
        && !Msg::okCancel(QStringLiteral("表 %1 中现有的%2名学生和他们的成绩、总分、名次都会删除，换成文件中的%3名学生。要导入吗？")
                              .arg(m_table)
                              .arg(plan.replaced)
                              .arg(plan.read)))
        return;

    const Actions::ImportResult r = Actions::writeImport(m_session, m_table, plan);
    const QString from = QStringLiteral("“%1”的工作表“%2”").arg(Import::shownName(plan.file), plan.sheet);
    if (plan.marksForRoster())
        Msg::info(QStringLiteral("已从%1导入%2名学生的成绩：%3个成绩，%4个缺考（空着或填了缺考的，不计0分）。\n"
                                 "表 %5 的名单上共%6名学生，文件中没有的学生原有成绩不变。")
                      .arg(from)
                      .arg(r.students)
                      .arg(r.marks)
                      .arg(r.absences)
                      .arg(m_table)
                      .arg(r.rosterSize));
    else
        Msg::info(QStringLiteral("已从%1导入新名单：%2名学生，%3个成绩，%4个缺考（空着或填了缺考的，不计0分）。")
                      .arg(from)
                      .arg(r.students)
                      .arg(r.marks)
                      .arg(r.absences));
    refreshOthers(plan);
    close();
}

void Timport::refreshOthers(const Actions::ImportPlan&)
{
    // The session already follows the import (working table, class range);
    // the entry window shows what was imported.
    Tluru::showFresh();
}
