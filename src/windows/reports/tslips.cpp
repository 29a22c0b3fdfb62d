#include "windows/reports/tslips.h"

#include "engine/actions/slips.h"
#include "engine/db/database.h"
#include "engine/session/session.h"
#include "layout/slippages.h"
#include "windows/app/printing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QComboBox* choices(QWidget* parent, const QString& name, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QStringList split(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("[,，、;；\\s]+")), Qt::SkipEmptyParts);
}

QString valuesText(const QList<Levels::Tenths>& values)
{
    QStringList out;
    for (Levels::Tenths v : values)
        out << Levels::percentText(v).chopped(1);
    return out.join(QStringLiteral(", "));
}

} // namespace

Tslips::Tslips(Session& session) : Form(QStringLiteral("成绩条与等级")), m_session(session)
{
    setObjectName(QStringLiteral("slips"));
    auto* top = new QVBoxLayout(this);
    buildContentGroup(top);
    buildLevelsGroup(top);
    buildOutputRow(top);
    buildPreview(top);
    resize(760, 860);
    connectHandlers();
    showPage();
}

void Tslips::buildContentGroup(QVBoxLayout* top)
{
    auto* what = new QGroupBox(QStringLiteral("考试与内容"), this);
    auto* grid = new QGridLayout(what);
    examBox = choices(what, "examBox", {});
    examBox->setMinimumWidth(260);
    classBox = choices(what, "classBox", {});
    showBox = choices(what, "showBox", {QStringLiteral("只显示等级"), QStringLiteral("只显示成绩"), QStringLiteral("等级和成绩")});
    rankBox = choices(what, "rankBox",
                      {QStringLiteral("不显示名次"), QStringLiteral("班级名次"), QStringLiteral("年级名次"),
                       QStringLiteral("年级位置（位于年级前百分之几）")});
    rankNote = Ui::label(QStringLiteral("默认不显示名次：考试结果以等级告知学生本人和家长，不排名，不公布。"), what, "rankNote");
    sinceBox = choices(what, "sinceBox", {});
    changeBox = choices(what, "changeBox", {QStringLiteral("上次的等级"), QStringLiteral("上次的名次或位置")});
    yearEdit = Ui::edit({}, what, "yearEdit");
    yearEdit->setPlaceholderText(QStringLiteral("按成绩保存的日期，如 2024—2025学年第一学期"));
    grid->addWidget(Ui::label(QStringLiteral("考试："), what), 0, 0);
    grid->addWidget(examBox, 0, 1);
    grid->addWidget(Ui::label(QStringLiteral("班级："), what), 0, 2);
    grid->addWidget(classBox, 0, 3);
    grid->addWidget(Ui::label(QStringLiteral("显示："), what), 1, 0);
    grid->addWidget(showBox, 1, 1);
    grid->addWidget(Ui::label(QStringLiteral("名次："), what), 1, 2);
    grid->addWidget(rankBox, 1, 3);
    grid->addWidget(rankNote, 2, 0, 1, 4);
    grid->addWidget(Ui::label(QStringLiteral("与以前的考试比较："), what), 3, 0);
    grid->addWidget(sinceBox, 3, 1);
    grid->addWidget(Ui::label(QStringLiteral("列出："), what), 3, 2);
    grid->addWidget(changeBox, 3, 3);
    grid->addWidget(Ui::label(QStringLiteral("学年学期："), what), 4, 0);
    grid->addWidget(yearEdit, 4, 1, 1, 3);
    top->addWidget(what);
}

void Tslips::buildLevelsGroup(QVBoxLayout* top)
{
    auto* levels = new QGroupBox(QStringLiteral("等级方案（全校共用，保存在数据库中）"), this);
    auto* lg = new QGridLayout(levels);
    byShare = new QRadioButton(QStringLiteral("按名次比例"), levels);
    byShare->setObjectName("byShare");
    byLines = new QRadioButton(QStringLiteral("按得分率分数线"), levels);
    byLines->setObjectName("byLines");
    perClass = Ui::check(QStringLiteral("在各班内评定（不选时全年级一起评定）"), false, levels, "perClass");
    namesEdit = Ui::edit({}, levels, "namesEdit");
    valuesEdit = Ui::edit({}, levels, "valuesEdit");
    schemeNote = Ui::label({}, levels, "schemeNote");
    schemeNote->setWordWrap(true);
    defaultsButton = Ui::button(QStringLiteral("恢复默认"), levels, "defaultsButton");
    auto* methods = new QHBoxLayout;
    methods->addWidget(byShare);
    methods->addWidget(byLines);
    methods->addWidget(perClass);
    methods->addStretch(1);
    methods->addWidget(defaultsButton);
    lg->addLayout(methods, 0, 0, 1, 2);
    lg->addWidget(Ui::label(QStringLiteral("等级名称（从高到低）："), levels), 1, 0);
    lg->addWidget(namesEdit, 1, 1);
    lg->addWidget(Ui::label(QStringLiteral("各级的%（最后一级不填）："), levels, "valuesLabel"), 2, 0);
    lg->addWidget(valuesEdit, 2, 1);
    lg->addWidget(schemeNote, 3, 0, 1, 2);
    top->addWidget(levels);
}

void Tslips::buildOutputRow(QVBoxLayout* top)
{
    auto* out = new QHBoxLayout;
    layoutBox = choices(this, "layoutBox",
                        {QStringLiteral("成绩条（每页多张，带裁剪线）"), QStringLiteral("家长通知书（每人一页）"),
                         QStringLiteral("Excel 工作簿（成绩条样式）")});
    filePerClass = Ui::check(QStringLiteral("每班一个文件"), false, this, "filePerClass");
    previewButton = Ui::button(QStringLiteral("预览"), this, "previewButton");
    writeButton = Ui::button(QStringLiteral("写出文件…"), this, "writeButton");
    out->addWidget(Ui::label(QStringLiteral("样式："), this));
    out->addWidget(layoutBox);
    out->addWidget(filePerClass);
    out->addStretch(1);
    out->addWidget(previewButton);
    out->addWidget(writeButton);
    top->addLayout(out);
}

void Tslips::buildPreview(QVBoxLayout* top)
{
    auto* pager = new QHBoxLayout;
    prevPage = Ui::button(QStringLiteral("上一页"), this, "prevPage");
    nextPage = Ui::button(QStringLiteral("下一页"), this, "nextPage");
    pageLabel = Ui::label({}, this, "pageLabel");
    pager->addWidget(prevPage);
    pager->addWidget(pageLabel);
    pager->addWidget(nextPage);
    pager->addStretch(1);
    top->addLayout(pager);
    auto* scroll = new QScrollArea(this);
    picture = Ui::label({}, scroll, "picture");
    picture->setAlignment(Qt::AlignCenter);
    scroll->setWidget(picture);
    scroll->setWidgetResizable(true);
    scroll->setMinimumHeight(360);
    top->addWidget(scroll, 1);
}

void Tslips::connectHandlers()
{
    connect(examBox, &QComboBox::currentIndexChanged, this, [this] { Msg::guard([this] { examChosen(); }); });
    connect(byShare, &QRadioButton::toggled, this, [this] { methodChosen(); });
    connect(rankBox, &QComboBox::currentIndexChanged, this,
            [this] { rankNote->setVisible(rankBox->currentIndex() == 0); });
    Ui::connectHandler(defaultsButton, &QPushButton::clicked, this, [this] {
        Levels::Scheme d;
        d.method = byLines->isChecked() ? Levels::Method::Lines : Levels::Method::Share;
        showScheme(d);
    });
    Ui::connectHandler(previewButton, &QPushButton::clicked, this, &Tslips::previewClick);
    Ui::connectHandler(writeButton, &QPushButton::clicked, this, &Tslips::writeClick);
    connect(prevPage, &QPushButton::clicked, this, [this] { m_page = std::max(0, m_page - 1); showPage(); });
    connect(nextPage, &QPushButton::clicked, this, [this] { m_page = std::min(m_pages - 1, m_page + 1); showPage(); });
}

void Tslips::FormShow()
{
    fillExams();
    showScheme(m_session.levelScheme());
}

void Tslips::fillExams()
{
    const QString wasExam = examBox->currentText(), wasSince = sinceBox->currentText();
    m_exams.clear();
    const QSignalBlocker block(examBox);
    examBox->clear();
    sinceBox->clear();
    sinceBox->addItem(QStringLiteral("不比较"));
    for (const Levels::SavedExam& e : Levels::savedExams()) {
        m_exams << e.exam;
        const QString text = QStringLiteral("%1（编号%2，%3人）").arg(e.exam.name).arg(e.exam.number).arg(e.students);
        examBox->addItem(text);
        sinceBox->addItem(text);
    }
    // The examination just saved (the current one) unless another was chosen.
    int at = examBox->findText(wasExam);
    if (at < 0) {
        const Session::Exam& current = m_session.exam();
        for (int i = m_exams.size() - 1; i >= 0 && at < 0; --i)
            if (m_exams.at(i).name == current.name && QString::number(m_exams.at(i).number) == current.number.trimmed())
                at = i;
    }
    if (at < 0)
        at = int(m_exams.size()) - 1;
    examBox->setCurrentIndex(at);
    sinceBox->setCurrentIndex(std::max(0, sinceBox->findText(wasSince)));
    Msg::guard([this] { examChosen(); });
}

void Tslips::examChosen()
{
    const QString was = classBox->currentText();
    classBox->clear();
    classBox->addItem(QStringLiteral("全年级"));
    m_preview.reset();
    showPage();
    const int i = examBox->currentIndex();
    if (i < 0 || i >= m_exams.size())
        return;
    for (qint64 c : Levels::readExam(m_exams.at(i), m_session.fullMarks()).classList())
        classBox->addItem(Slips::classText(c), c);
    classBox->setCurrentIndex(std::max(0, classBox->findText(was)));
}

void Tslips::showScheme(const Levels::Scheme& s)
{
    m_edit = s;
    const QSignalBlocker a(byShare), b(byLines);
    byShare->setChecked(s.method == Levels::Method::Share);
    byLines->setChecked(s.method == Levels::Method::Lines);
    perClass->setChecked(s.perClass);
    methodChosen();
}

void Tslips::methodChosen()
{
    // The half edited so far is kept when the teacher looks at the other one.
    const bool lines = byLines->isChecked();
    const Levels::Method shown = namesEdit->property("method").toInt() == int(Levels::Method::Lines) ? Levels::Method::Lines
                                                                                                    : Levels::Method::Share;
    if (namesEdit->property("method").isValid() && shown != (lines ? Levels::Method::Lines : Levels::Method::Share)) {
        QList<Levels::Tenths> values;
        bool ok = true;
        for (const QString& v : split(valuesEdit->text())) {
            const auto p = Levels::parsePercent(v);
            ok = ok && p.has_value();
            values << p.value_or(0);
        }
        if (ok && shown == Levels::Method::Lines) {
            m_edit.lineNames = split(namesEdit->text());
            m_edit.lines = values;
        } else if (ok) {
            m_edit.shareNames = split(namesEdit->text());
            m_edit.shares = values;
        }
    }
    namesEdit->setProperty("method", int(lines ? Levels::Method::Lines : Levels::Method::Share));
    namesEdit->setText((lines ? m_edit.lineNames : m_edit.shareNames).join(QStringLiteral(", ")));
    valuesEdit->setText(valuesText(lines ? m_edit.lines : m_edit.shares));
    perClass->setEnabled(!lines);
    if (auto* l = findChild<QLabel*>("valuesLabel"))
        l->setText(lines ? QStringLiteral("各级的分数线，占满分的%（最后一级不填）：")
                         : QStringLiteral("各级人数的%（最后一级不填，是其余的学生）："));
    Levels::Scheme s = m_edit;
    s.method = lines ? Levels::Method::Lines : Levels::Method::Share;
    schemeNote->setText(Levels::legend(s));
}

Levels::Scheme Tslips::scheme() const
{
    Levels::Scheme s = m_edit;
    s.method = byLines->isChecked() ? Levels::Method::Lines : Levels::Method::Share;
    s.perClass = perClass->isChecked();
    const QStringList names = split(namesEdit->text());
    QList<Levels::Tenths> values;
    for (const QString& v : split(valuesEdit->text())) {
        const auto p = Levels::parsePercent(v);
        if (!p)
            throw Db::InputError(QStringLiteral("等级方案里的“%1”不是百分数（写成 15 或 12.5）").arg(v));
        values << *p;
    }
    if (s.method == Levels::Method::Lines) {
        s.lineNames = names;
        s.lines = values;
    } else {
        s.shareNames = names;
        s.shares = values;
    }
    Levels::check(s);
    // The half not in use is kept as the session has it unless what was
    // typed there is usable too.
    Levels::Scheme other = s;
    other.method = s.method == Levels::Method::Lines ? Levels::Method::Share : Levels::Method::Lines;
    try {
        Levels::check(other);
    } catch (const Db::InputError&) {
        const Levels::Scheme& kept = m_session.levelScheme();
        if (other.method == Levels::Method::Lines) {
            s.lineNames = kept.lineNames;
            s.lines = kept.lines;
        } else {
            s.shareNames = kept.shareNames;
            s.shares = kept.shares;
        }
    }
    return s;
}

void Tslips::applyScheme()
{
    const Levels::Scheme s = scheme();
    m_session.setLevelScheme(s);
    schemeNote->setText(Levels::legend(s));
}

Slips::Options Tslips::options() const
{
    Slips::Options o;
    const int i = examBox->currentIndex();
    if (i < 0 || i >= m_exams.size())
        throw Db::InputError(QStringLiteral("还没有永久保存过考试成绩：请先在成绩录入窗口排名并永久保存"));
    o.exam = m_exams.at(i);
    if (classBox->currentIndex() > 0)
        o.cls = classBox->currentData().toLongLong();
    o.show = Slips::Show(showBox->currentIndex());
    o.rank = Slips::RankMode(rankBox->currentIndex());
    if (sinceBox->currentIndex() > 0) {
        o.earlier = m_exams.value(sinceBox->currentIndex() - 1);
        o.change = changeBox->currentIndex() == 1 ? Slips::Change::Position : Slips::Change::Level;
    }
    o.yearLine = yearEdit->text().trimmed();
    Slips::check(o);
    return o;
}

Slips::Set Tslips::makeSet()
{
    const Slips::Options o = options();
    applyScheme();
    return Actions::slips(m_session, o);
}

void Tslips::previewClick()
{
    m_preview = makeSet();
    m_page = 0;
    showPage();
}

void Tslips::showPage()
{
    if (!m_preview) {
        m_pages = 0;
        picture->clear();
        picture->setText(QStringLiteral("按“预览”看成绩条的样子"));
        pageLabel->clear();
        prevPage->setEnabled(false);
        nextPage->setEnabled(false);
        return;
    }
    // A workbook holds the same slips: its preview is the slips' page.
    const auto form = layoutBox->currentIndex() == 1 ? Layout::SlipPages::Form::Notice : Layout::SlipPages::Form::Slips;
    Layout::SlipPages pages(*m_preview, form);
    const QImage image = Layout::pageImage(pages, Layout::furnitureOf(*m_preview, form), m_page, 80);
    m_pages = std::max(1, pages.pageCount());
    m_page = std::clamp(m_page, 0, m_pages - 1);
    picture->setPixmap(QPixmap::fromImage(image));
    pageLabel->setText(QStringLiteral("第 %1 页 / 共 %2 页（%3名学生）").arg(m_page + 1).arg(m_pages).arg(m_preview->slips.size()));
    prevPage->setEnabled(m_page > 0);
    nextPage->setEnabled(m_page + 1 < m_pages);
}

void Tslips::writeClick()
{
    const Slips::Set set = makeSet();
    const int layout = layoutBox->currentIndex();
    const bool workbook = layout == 2;
    const auto form = layout == 1 ? Layout::SlipPages::Form::Notice : Layout::SlipPages::Form::Slips;
    const QString kind = layout == 1 ? QStringLiteral("家长通知书") : QStringLiteral("成绩条");
    const QString suffix = workbook ? QStringLiteral(".xlsx") : QStringLiteral(".pdf");
    const QString path = Print::chooseFile(QStringLiteral("写出") + kind, set.examName + kind, suffix,
                                           workbook ? QStringLiteral("Excel 工作簿 (*.xlsx)") : QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    // One file, or a file per class beside the chosen name ("期中成绩条-3班.pdf").
    QList<std::pair<QString, Slips::Set>> files;
    if (filePerClass->isChecked() && set.classes().size() > 1) {
        const QFileInfo f(path);
        for (qint64 c : set.classes())
            files.append({f.dir().filePath(f.completeBaseName() + QLatin1Char('-') + Slips::classText(c) + suffix),
                          set.onlyClass(c)});
    } else {
        files.append({path, set});
    }
    qint64 pages = 0;
    const bool done = Print::runWrite(QStringLiteral("正在写出%1名学生的%2……").arg(set.slips.size()).arg(kind),
                                      [&](const Export::Progress& progress) {
                                          for (qsizetype i = 0; i < files.size(); ++i) {
                                              const Export::Progress part = Export::phase(progress, int(1000 * i / files.size()), int(1000 * (i + 1) / files.size()));
                                              if (workbook)
                                                  Slips::writeWorkbook(files.at(i).first, files.at(i).second, part);
                                              else
                                                  pages += Layout::writeSlips(files.at(i).first, files.at(i).second, form, part);
                                          }
                                      });
    if (!done)
        return;
    QStringList where;
    for (const auto& f : files)
        where << QDir::toNativeSeparators(f.first);
    const QString amount = workbook ? QStringLiteral("每班一张工作表") : QStringLiteral("共%1页").arg(pages);
    Msg::info(QStringLiteral("已写出%1名学生的%2（%3）：\n%4").arg(set.slips.size()).arg(kind, amount, where.join('\n')));
}
