#pragma once
// The grade entry window: the working grade table as an editable grid for a
// class range and the chosen subjects, the saved state of the three processing
// steps, the way into the processing panel, and the permanent copy of marks
// and ranks.

#include "engine/db/query.h"
#include "engine/processing/saves.h"
#include "windows/app/form.h"
#include "windows/app/printing.h"

#include "windows/entry/entrygrid.h"

#include <QPalette>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class PictureButton;

class Session;
namespace Db { class GridModel; }

class Tluru : public Form, public Print::Printable {
    Q_OBJECT
public:
    explicit Tluru(Session& session);
    // The grid as it shows: its columns, for the 打印 menu and the grid's own export.
    Print::Job printJob() const override;
    // How the grid's text looks, as the display settings window sets it.
    void setGridFontSize(int pointSize);
    void setGridColour(QPalette::ColorRole role, const QColor& colour);
    void FormCreate() override;

    QLabel* Image7; // banner
    QLabel* Label2;
    QLineEdit* mingc;
    QLabel* Label1;
    QLineEdit* bianh;
    QCheckBox* cx;
    QGroupBox* GroupBox1;
    QLineEdit* Edit2;
    QLabel* Label4;
    QLineEdit* Edit3;
    QLabel* Label11;
    QCheckBox *ca, *cb, *cc, *cd, *ce, *cf;
    QCheckBox* cg; // 综合, unticked until the school types 综合 marks here
    QPushButton* SpeedButton1;
    EntryGrid* luru_dg;
    QWidget* DBNavigator1;
    QToolButton *navFirst, *navPrior, *navNext, *navLast, *navCancel;
    QPushButton* SpeedButton3;
    QPushButton* SpeedButton2;
    PictureButton *Image5, *Image2, *Image6, *Image1;
    QLabel *Panel3, *Panel4, *Panel5;
    QPushButton* Button1; // the permanent copy: saveGrades
    // The rows the grid shows and edits: the working table, or the ranking's
    // result with its save button.
    Db::GridModel* Query1;
    QPushButton* SlipsButton; // opens 成绩条与等级 once the marks are saved

    // The ticked subjects of the filter in their fixed order.
    QStringList chosenSubjects() const;
    // The working grade table the grid and the copy use.
    QString workTable() const;
    // Reads the current examination and the working table again and rebuilds
    // the grid: what showing the window does.
    void reopen();
    // Shows the window with the current examination and working table, also
    // when it was already open on an earlier one.
    static void showFresh();
    // The ranking run hands its result over: the window shows the ranking
    // query with its save button, the first columns at their set widths.
    void showRankingResult(const Db::SelectSpec& query);
    // The examination name the window would save under.
    QString examName() const;
    // Builds the grid query from the filter, opens it and lays the grid out.
    void openGrid();
    // Reads the grid's rows again after another window changed the table,
    // keeping its columns and their widths. Nothing happens while the grid
    // shows no query.
    void reloadGrid();

    static constexpr int kGridWidth = 537;

    // The words of a second save of an examination: 替换 or 取消.
    static QString replaceQuestion(const QString& what, const Save::Exam& exam, qint64 rows);


public slots:
    void SpeedButton1Click();
    void saveGrades();   // Button1
    void Button2Click(); // the name the window's description gives saveGrades
    void Image5Click();
    void Image2Click();
    void Image6Click();
    void Image1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    // The constructor's steps, one per group of controls, in creation order.
    void buildHeader(QVBoxLayout* root);
    void buildSteps(QHBoxLayout* body);
    void buildFilterGroup(QVBoxLayout* right);
    void buildGrid(QVBoxLayout* right);
    void buildNavigator(QVBoxLayout* right);
    void buildSaveButtons(QVBoxLayout* right);
    void connectHandlers();

    void layOutGrid();
    void fitWidth();
    void showSavedState();
    void showExam(); // the session's examination, its saved steps
    void markEdited();
    static inline const QString kEditedAfterSave = QStringLiteral("成绩在保存后改动");
    static inline const QString kSavedDiffers = QStringLiteral("保存后成绩有改动，与保存的不同：请重新排名并保存");
    QPair<qint64, qint64> m_rosterRange{-1, -1};
    Session& m_session;
    bool m_reopening = false;
    void layOutResult();
};
