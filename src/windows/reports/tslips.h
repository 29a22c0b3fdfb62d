#pragma once
// 成绩条与等级: per-student slips of a saved examination to hand to students
// and families, with the school's level scheme. The window gathers the
// choices, the engine makes the slips, the page layout or the workbook
// writer writes them; the scheme set here is the session's (and so kept).

#include "windows/app/form.h"

#include "engine/reports/slips.h"
#include "engine/rules/levels.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QVBoxLayout;
class Session;

class Tslips : public Form {
    Q_OBJECT
public:
    explicit Tslips(Session& session);

    QComboBox* examBox;   // the saved examinations
    QComboBox* classBox;  // 全年级, then each class
    QComboBox* showBox;   // levels / marks / both
    QComboBox* rankBox;   // none / class / grade / position
    QLabel* rankNote;     // why ranks are off by default
    QComboBox* sinceBox;  // 不比较, then the saved examinations
    QComboBox* changeBox; // in level / in standing
    QRadioButton* byShare;
    QRadioButton* byLines;
    QCheckBox* perClass;
    QLineEdit* namesEdit;  // the levels' names, best first
    QLineEdit* valuesEdit; // their shares or lines, the last level's left out
    QLabel* schemeNote;    // what the scheme means, or what is wrong with it
    QPushButton* defaultsButton;
    QComboBox* layoutBox; // slips / letters / workbook
    QCheckBox* filePerClass;
    QLineEdit* yearEdit;
    QPushButton* previewButton;
    QPushButton* writeButton;
    QPushButton* prevPage;
    QPushButton* nextPage;
    QLabel* pageLabel;
    QLabel* picture;

    // The options and the scheme as the controls say; a Db::InputError
    // naming the field when one is not usable.
    Slips::Options options() const;
    Levels::Scheme scheme() const;

    void previewClick();
    void writeClick();

protected:
    void FormShow() override;

private:
    void buildContentGroup(QVBoxLayout* top);
    void buildLevelsGroup(QVBoxLayout* top);
    void buildOutputRow(QVBoxLayout* top);
    void buildPreview(QVBoxLayout* top);
    void connectHandlers();
    void fillExams();
    void examChosen();
    void methodChosen();
    void showScheme(const Levels::Scheme& scheme);
    void applyScheme();
    void showPage();
    Slips::Set makeSet();

    Session& m_session;
    QList<Levels::ExamRef> m_exams;
    // The preview: the set shown and its page.
    Levels::Scheme m_edit; // the scheme being edited, both halves
    std::optional<Slips::Set> m_preview;
    int m_page = 0;
    int m_pages = 0;
};
