#pragma once
// The working session: what every step of an examination's work reads and
// what the windows and the batch tool show. It holds the working grade
// table, the names of the analysis and band tables, the column suffix, the
// class range, the ticked subjects, the full marks, the top-N limits, the
// band settings and the current examination. Every value is checked when
// set (Db::InputError names the setting) and told through a signal, so that
// a window that shows it follows it and never reads another window's field.
//
// The current examination and the working table live in the database's own
// one-row tables (check, linshi); the working settings in the program's
// settings table, kept across starts (a session that is told not to
// remember them, as the batch tool's, leaves that table alone).

#include "engine/rules/levels.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

class Session : public QObject {
    Q_OBJECT
public:
    // The examination being worked on, as check holds it.
    struct Exam {
        QString name;   // mc
        QString number; // bh, as typed
        bool marksSaved = false;    // c1
        bool analysisSaved = false; // c2
        bool bandsSaved = false;    // c3
    };

    explicit Session(QObject* parent = nullptr);

    // Reads the current examination and the working table from the open
    // database and, when `remember` is set, the stored working settings.
    void load(bool remember = true);
    bool remembers() const { return m_remember; }

    // ---- tables -------------------------------------------------------
    // The working grade table: cjn after a roster was entered afresh
    // (linshi.shibie 0), else cj.
    const QString& workingTable() const { return m_workingTable; }
    qint64 rosterMode() const { return m_rosterMode; }
    // Writes linshi.shibie and follows it.
    void setRosterMode(qint64 mode);
    // Another grade table for this session only, linshi left as it is (the
    // batch tool's --table).
    void useTable(const QString& table);
    QString analysisTable() const { return QStringLiteral("fx"); }
    QString bandTable() const { return QStringLiteral("tj"); }
    // The suffix of the mark and rank columns ("语文" + "1").
    QString suffix() const { return QStringLiteral("1"); }

    // ---- working settings ---------------------------------------------
    qint64 firstClass() const { return m_firstClass; }
    qint64 lastClass() const { return m_lastClass; }
    // Classes 1 to 18.
    void setClassRange(qint64 first, qint64 last);
    // The roster's own classes, when the teacher has not chosen a range.
    void followRoster();

    // The ticked subjects in their fixed order (at least one).
    const QStringList& subjects() const { return m_subjects; }
    void setSubjects(const QStringList& subjects);

    // A subject's full mark (1 to 1000): the one set last, else what the
    // saved analyses tell, else 100.
    qint64 fullMark(const QString& subject) const;
    QMap<QString, qint64> fullMarks() const;
    void setFullMark(const QString& subject, qint64 full);
    void setFullMarks(const QMap<QString, qint64>& full);

    // The grade's top-N limits of the analysis (1 to 1,000,000 each).
    const std::array<qint64, 4>& top() const { return m_top; }
    void setTop(const std::array<qint64, 4>& top);

    // The band run's first upper limit (0 to 100,000) and band count
    // (1 to 100). Until the teacher sets the limit it is the sum of the
    // ticked subjects' full marks less one.
    qint64 bandUpper() const;
    bool bandUpperChosen() const { return m_bandUpper >= 0; }
    qint64 bandCount() const { return m_bandCount; }
    void setBands(qint64 upper, qint64 count);
    // The count alone: an upper limit not chosen keeps following the subjects.
    void setBandCount(qint64 count);

    // ---- levels ---------------------------------------------------------
    // The school's level scheme (by share or by score lines), kept in the
    // settings table; read at load() whether or not the session remembers
    // the working settings (it is the school's choice, not a step's), stored
    // when set by a session that remembers. Checked when set.
    const Levels::Scheme& levelScheme() const { return m_levelScheme; }
    void setLevelScheme(const Levels::Scheme& scheme);

    // ---- the current examination --------------------------------------
    const Exam& exam() const { return m_exam; }
    // Reads check again (after a save or another program moved it).
    void reloadExam();
    // What another program (the batch tool) may have changed since: the
    // current examination and the working table, told through the signals
    // when they differ. The working settings are the session's own.
    void refresh();

    // Told by the actions after they wrote the working grade table.
    void notifyGradesChanged();
    // Told by the actions after they wrote check.
    void notifyExamChanged();

signals:
    void workingTableChanged(const QString& table);
    void examChanged();
    void settingsChanged();
    void gradesChanged();

private:
    void storeWorking();

    bool m_remember = true;
    QString m_workingTable = QStringLiteral("cj");
    qint64 m_rosterMode = 1;
    qint64 m_firstClass = 1;
    qint64 m_lastClass = 5;
    bool m_rangeChosen = false;
    QStringList m_subjects{QStringLiteral("语文")};
    QMap<QString, qint64> m_fullMarks; // set in this session or stored
    std::array<qint64, 4> m_top{100, 200, 300, 400};
    qint64 m_bandUpper = -1; // not chosen
    qint64 m_bandCount = 30;
    Exam m_exam;
    Levels::Scheme m_levelScheme;
};
