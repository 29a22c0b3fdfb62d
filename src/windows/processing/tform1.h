#pragma once
// The processing panel: one mode per run (ranking, subject analysis, score
// bands), each with its own settings and start button.

#include "windows/app/form.h"
#include "engine/db/table.h"

#include <QMap>
#include <optional>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

class Session;

class TForm1 : public Form {
    Q_OBJECT
public:
    enum class Mode { Ranking, Analysis, Bands };

    explicit TForm1(Session& session);
    void FormCreate() override;

    // Puts the panel into a mode (groups, colours, height) without showing it.
    void setMode(Mode mode);
    Mode mode() const { return m_mode; }
    // What the entry window's pictures do: set the mode, show the panel, then
    // the parameter panel on top of it.
    void showMode(Mode mode);

    // The summary strip names the ticked subjects, each in its own label
    // (综合 has none), and no other.
    void showSubjects(const QStringList& ticked);

    // Hidden mirrors of the session's working settings.
    QLineEdit* dbs;
    QLineEdit* fxs;
    QLineEdit* tjs;
    QLineEdit* banshu0;
    QLineEdit* cishuk;
    QLineEdit* Edit2; // suffix of the total read by the band run

    // Summary strip.
    QFrame* Panel3;
    QLabel *Label36, *Label24, *Label29, *Label22, *Label30;
    QLineEdit* banshu1;
    QLineEdit* Edit1;
    QLabel *aa, *bb, *cc, *dd, *Label37, *Label38;

    // Ranking group.
    QGroupBox* GroupBox1;
    QPushButton* Button6;
    QPushButton* Button1;
    QProgressBar *Gauge1, *Gauge2, *Gauge3;
    QLabel *Label19, *Label20, *Label21, *Label23;

    // Analysis group.
    QGroupBox* GroupBox2;
    QLabel* Label11;
    QLineEdit *kemu1, *kemu2, *kemu3, *kemu4, *kemu5, *kemu6, *kemu7, *kemu8, *kemu9, *kemu10;
    QGroupBox* GroupBox4;
    QLineEdit *edit3, *Edit4, *Edit5, *Edit6;
    QPushButton* Button5;
    QPushButton* fenxi;
    QProgressBar* Gauge4;

    // Band group.
    QGroupBox* GroupBox3;
    QLabel *Label1, *Label2, *Label25;
    QLineEdit* sx;
    QLineEdit* shumus;
    QPushButton* fenduan;
    QPushButton* Button7;
    QProgressBar* Gauge5;

    QLabel* banshu2Label;
    QLabel* banshu2Unit; // "班" after banshu2
    QLineEdit* banshu2; // last class of the range (hidden in bands mode)
    QPushButton* Button2;
    QPushButton* Button3;

    // Table components pointed at the working tables.
    Db::Table cj{"cj"};
    Db::Table t1{"cj"};
    Db::Table fx{"fx"};
    Db::Table t2{"tj"};

    // The ranking run's result line, as it was shown.
    QString lastReport;

public slots:
    void showParameters(); // Button5, Button6: the parameter panel on top
    void backToEntry();    // Button2, Button3, Button7: back to grade entry
    void Button2Click();   // the name the panel's description gives showParameters
    void Button3Click();   // and backToEntry
    void Button7Click();
    void Button1Click(); // ranking run
    void fenxiClick();   // analysis run
    void fenduanClick(); // band run

protected:
    void FormShow() override;
    void FormClose() override;

private:
    // The constructor's steps, one per group of controls, in creation order.
    void buildHiddenMirrors();
    void buildSummaryStrip(QVBoxLayout* outer);
    void buildRankingGroup(QVBoxLayout* outer);
    void buildAnalysisGroup(QVBoxLayout* outer);
    void buildBandGroup(QVBoxLayout* outer);
    void buildBottomRow(QVBoxLayout* outer);
    void connectHandlers();
    void connectSettings();

    // The full mark fields by subject, in the parameter panel's order.
    QList<std::pair<QString, QLineEdit*>> fullMarkFields() const;
    // The session's settings into the fields (those the teacher types in
    // only when asked: not while he may be typing).
    void showSettings(bool typedFieldsToo);
    // The full marks and top-N limits typed, checked and handed to the session.
    void applyAnalysisFields();
    Session& m_session;
    bool m_applying = false;
    Mode m_mode = Mode::Ranking;
};
