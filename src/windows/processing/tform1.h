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

class TForm1 : public Form {
    Q_OBJECT
public:
    enum class Mode { Ranking, Analysis, Bands };

    TForm1();
    void FormCreate() override;

    // Puts the panel into a mode (groups, colours, height) without showing it.
    void setMode(Mode mode);
    Mode mode() const { return m_mode; }
    // What the entry window's pictures do: set the mode, show the panel, then
    // the parameter panel on top of it.
    void showMode(Mode mode);

    // The full mark typed for a subject (kemu1 … kemu10); none while its
    // field holds no positive integer. Entry checks marks against these.
    std::optional<qint64> fullMarkOf(const QString& subject) const;
    // The known full marks of the seven subjects the grade tables hold.
    QMap<QString, qint64> fullMarks() const;
    // The summary strip names the ticked subjects, each in its own label
    // (综合 has none), and no other.
    void showSubjects(const QStringList& ticked);

    // Hidden working settings.
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
    void Button2Click(); // show the parameter panel
    void Button3Click(); // close, back to grade entry
    void Button7Click();
    void Button1Click(); // ranking run
    void fenxiClick();   // analysis run
    void fenduanClick(); // band run

protected:
    void FormShow() override;
    void FormClose() override;

private:
    // The full mark fields by subject, in the parameter panel's order.
    QList<std::pair<QString, QLineEdit*>> fullMarkFields() const;
    // The working settings in use are kept for the next start.
    void rememberSettings(bool withBands) const;
    Mode m_mode = Mode::Ranking;
    bool m_bandUpperStored = false;
    QString m_defaultUpper = QStringLiteral("399"); // the upper limit last put in sx by default
};
